#include "serial/loader_line.h"

#include "serial/comm_port.h"

namespace serial {

void SetLoaderLine(TCommPort& port) {
  port.SetUserBaudrate(10400);
  port.SetParity(TParity::paNone);
  port.SetDatabits(TDatabits::db8);
  port.SetStopbits(TStopbits::sb1);
  TFlowControl flow;
  flow.ControlDtr = TDtrControl::dtrDisabled;
  flow.ControlRts = TRtsControl::rtsDisabled;
  port.SetFlowControl(flow);
}

}  // namespace serial
