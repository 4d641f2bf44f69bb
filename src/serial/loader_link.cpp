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

LoaderLink::LoaderLink(UiDispatcher& ui, LinkConsumer& consumer) : port_(ui), consumer_(&consumer) {
  SetLoaderLine(port_);
  port_.OnRxChar = [this](TCommPort&, std::int32_t count) { consumer_->Received(count); };
  port_.OnLineLost = [this](TCommPort&, bool allWritten) {
    return consumer_->LineLost(allWritten);
  };
  port_.ErrorReport = [this](const std::exception_ptr& failure) { consumer_->Failed(failure); };
}

}  // namespace serial
