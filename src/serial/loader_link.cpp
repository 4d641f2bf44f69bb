#include "serial/loader_link.h"

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

LoaderLink::LoaderLink(UiDispatcher& ui, LinkConsumer& consumer) : port_(ui) {
  SetLoaderLine(port_);
  port_.OnRxChar = [&consumer](TCommPort&, std::int32_t count) { consumer.Received(count); };
  port_.OnLineLost = [&consumer](TCommPort&, bool allWritten) {
    return consumer.LineLost(allWritten);
  };
  port_.ErrorReport = [&consumer](const std::exception_ptr& failure) { consumer.Failed(failure); };
}

}  // namespace serial
