#pragma once

#include <cstdint>
#include <exception>

#include "serial/comm_port.h"
#include "serial/ui_dispatcher.h"

namespace serial {

// The line the boot loader speaks on: 10400 bit/s 8N1, no flow control of any kind, DTR and
// RTS inactive. LoaderLink sets it; the port device's own tests use it as well.
void SetLoaderLine(TCommPort& port);

// Whatever takes a loader link's traffic: the window's program, the flasher's run, a
// production-line station. Called on the user-interface thread, as TCommPort's handlers are.
class LinkConsumer {
 public:
  virtual ~LinkConsumer() = default;
  // count received bytes are waiting; at least 1.
  virtual void Received(std::int32_t count) = 0;
  // The line failed and the port has closed itself; returns whether the failure is still to
  // be reported through Failed.
  virtual bool LineLost(bool allWritten) = 0;
  // A failure met by the port's threads or thrown by a handler; must not throw.
  virtual void Failed(const std::exception_ptr& failure) = 0;
};

// A serial port set up for the boot loader and wired to one consumer: every program gets its
// port here, so the line settings and the notifications are wired in one place.
class LoaderLink {
 public:
  // ui and consumer must outlive the link.
  LoaderLink(UiDispatcher& ui, LinkConsumer& consumer);
  LoaderLink(const LoaderLink&) = delete;
  LoaderLink& operator=(const LoaderLink&) = delete;

  TCommPort& Port() { return port_; }
  const TCommPort& Port() const { return port_; }
  // Hands the traffic from now on to another consumer (a port found by listening, taken over
  // by the run that downloads on it). The user-interface thread.
  void Connect(LinkConsumer& consumer) { consumer_ = &consumer; }

 private:
  TCommPort port_;
  LinkConsumer* consumer_;
};

}  // namespace serial
