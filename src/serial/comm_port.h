#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "serial/comm_device.h"
#include "serial/comm_error.h"
#include "serial/comm_settings.h"
#include "serial/port_device.h"
#include "serial/ui_dispatcher.h"

namespace serial {

class Handover;
class TransmitQueue;

// The serial port device: opens a port by name, configures the line, queues outgoing bytes for
// a writer thread and tells the user-interface thread when bytes have arrived.
//
// Threading contract
// - The user-interface thread (the one that runs the dispatcher's event loop) makes every call
//   below and runs every event handler. Nothing here is safe to call from another thread.
// - While open, two background threads exist. The event thread waits for line events and hands
//   each notification to the user-interface thread; before it hands over the next one it blocks
//   until the previous one has run there, so notifications never overlap and a handler that
//   runs a nested event loop holds the next one back. The writer thread transmits what WriteBuf
//   queued and, when the queue runs empty, hands OnTxEmpty over and waits for it. Neither thread
//   ever calls a handler itself.
// - Settings, handlers, the open device and the flags of the current opening belong to the
//   user-interface thread and take no lock. The threads get what they need (the device, the
//   queue, the hand-over) at Open and keep it until Close has joined them; the device's
//   descriptor is closed only after both threads have ended.
// - The transmit queue's mutex guards its bytes and count (WriteBuf appends, the writer removes);
//   the writer never holds it during write(2). The hand-over's mutex guards the completion of
//   each handed-over call and the released flag of the opening.
// - Blocking: WriteBuf waits up to WriteTimeout for room, ReadBuf up to ReadTimeout for a first
//   byte, Close joins the threads (they are released at once, also when Close runs inside an
//   OnRxChar handler that the event thread is waiting for) and then pauses ClosePause.
class TCommPort : public TPortDevice {
 public:
  using TNotifyEvent = std::function<void(TCommPort& sender)>;
  using TRxCharEvent = std::function<void(TCommPort& sender, std::int32_t count)>;
  using TErrorEvent = std::function<void(TCommPort& sender, std::uint32_t errors)>;
  // allWritten: every byte WriteBuf queued had been handed to the driver. Returns whether the
  // failure is still to be reported.
  using TLineLostEvent = std::function<bool(TCommPort& sender, bool allWritten)>;
  // Where exceptions raised inside a notification go (the application's error report).
  using TErrorReport = std::function<void(const std::exception_ptr& error)>;

  // ui must outlive the port.
  explicit TCommPort(UiDispatcher& ui);
  ~TCommPort() override;  // closes without OnClose
  TCommPort(const TCommPort&) = delete;
  TCommPort& operator=(const TCommPort&) = delete;

  // transfer::Port and TPortDevice
  std::string DeviceName() const override { return deviceName_; }
  bool Active() const override;
  void Open() override;
  std::int32_t WriteBuf(const std::uint8_t* buffer, std::int32_t count) override;
  std::int32_t ReadBuf(std::uint8_t* buffer, std::int32_t count) override;

  void Close() override;
  void Await(std::int32_t count) override;
  // While open: how promptly the driver hands received bytes on.
  LineLatency Latency() const;

  // Settings. The ones marked "closed only" raise ECommError kPortIsOpen while open and keep
  // their value; line settings are re-applied at once while open when UpdateDCB is true.
  void SetDeviceName(const std::string& name) override;  // closed only
  std::int32_t PortNum() const { return portNum_; }
  void SetPortNum(std::int32_t portNum);  // closed only
  TBaudRate Baudrate() const { return baudrate_; }
  void SetBaudrate(TBaudRate rate);  // anything but brUser also sets UserBaudrate to 0
  std::int32_t UserBaudrate() const { return userBaudrate_; }
  void SetUserBaudrate(std::int32_t rate);  // also sets Baudrate to brUser
  TParity Parity() const { return line_.Parity; }
  void SetParity(TParity parity);
  TDatabits Databits() const { return line_.Databits; }
  void SetDatabits(TDatabits databits);
  TStopbits Stopbits() const { return line_.Stopbits; }
  void SetStopbits(TStopbits stopbits);
  const TFlowControl& FlowControl() const { return line_.FlowControl; }
  void SetFlowControl(const TFlowControl& flow);
  TCommOptions Options() const { return line_.Options; }
  void SetOptions(TCommOptions options);
  const TEventChars& EventChars() const { return line_.EventChars; }
  void SetEventChars(const TEventChars& chars);  // always re-applies
  const TBuffers& Buffers() const { return buffers_; }
  void SetBuffers(const TBuffers& buffers);  // closed only
  void SetReadTimeout(std::int32_t ms) { buffers_.ReadTimeout = ms; }
  void SetWriteTimeout(std::int32_t ms) { buffers_.WriteTimeout = ms; }
  TCommEvents MonitorEvents() const { return monitorEvents_; }
  void SetMonitorEvents(TCommEvents events);  // closed only
  // Kept for completeness: an unprivileged process cannot raise a thread above the others here.
  TThreadPriority EventPriority() const { return eventPriority_; }
  void SetEventPriority(TThreadPriority priority) { eventPriority_ = priority; }
  TThreadPriority WritePriority() const { return writePriority_; }
  void SetWritePriority(TThreadPriority priority) { writePriority_ = priority; }
  // Only decides the event mask: writes always go through the writer thread.
  bool DirectWrite() const { return directWrite_; }
  void SetDirectWrite(bool direct);  // closed only
  bool UpdateDCB() const { return updateDcb_; }
  void SetUpdateDCB(bool update);  // closed only
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool autoOpen) { autoOpen_ = autoOpen; }
  // The pause that ends Close (300 ms); tests shorten it.
  std::chrono::milliseconds ClosePause() const { return closePause_; }
  void SetClosePause(std::chrono::milliseconds pause) { closePause_ = pause; }

  // Events, raised on the user-interface thread.
  TNotifyEvent OnOpen;
  TNotifyEvent OnClose;
  TErrorEvent OnError;
  TRxCharEvent OnRxChar;  // count is the number of bytes waiting, at least 1
  // The line failed (adapter pulled out, far end hung up): the port has closed itself and the
  // failure goes to ErrorReport right after this handler, unless it returns false (a target
  // that restarts once it has taken the last command is no failure).
  TLineLostEvent OnLineLost;
  void SetOnTxEmpty(TNotifyEvent handler);
  // Unset: the message goes to standard error. It must not throw.
  TErrorReport ErrorReport;

 private:
  TLineSettings LineSettings() const;
  void ApplyLine();
  void RefuseWhileOpen() const;
  // Returns whether every byte queued had been written.
  bool CloseDevice(bool raiseOnClose, std::chrono::milliseconds pause);
  void EventLoop(CommDevice& device, Handover& handover, std::uint32_t mask);
  void WriterLoop(CommDevice& device, TransmitQueue& queue, Handover& handover);
  void Dispatch(std::uint32_t mask, int lineFailure);
  void LoseLine(const std::exception_ptr& failure);
  void DispatchTxEmpty();
  void Report(const std::exception_ptr& error);

  UiDispatcher& ui_;
  std::string deviceName_ = "COM%d";
  std::int32_t portNum_ = 0;
  TBaudRate baudrate_ = TBaudRate::br1200;
  std::int32_t userBaudrate_ = 0;
  TLineSettings line_;
  TBuffers buffers_;
  TCommEvents monitorEvents_{TCommEvent::ceError, TCommEvent::ceRxChar, TCommEvent::ceTxEmpty};
  TThreadPriority eventPriority_ = TThreadPriority::tpNormal;
  TThreadPriority writePriority_ = TThreadPriority::tpHighest;
  bool directWrite_ = false;
  bool updateDcb_ = true;
  bool autoOpen_ = false;
  std::chrono::milliseconds closePause_{300};
  TNotifyEvent onTxEmpty_;

  // The current opening; all empty while closed.
  std::unique_ptr<CommDevice> device_;
  std::shared_ptr<Handover> handover_;
  std::unique_ptr<TransmitQueue> queue_;
  std::thread eventThread_;
  std::thread writerThread_;
  std::uint64_t bytesRead_ = 0;  // by ReadBuf: tells what a handler left unread
  std::uint64_t openings_ = 0;   // tells a notification of an earlier opening
  // Read by the writer: whether OnTxEmpty needs a hand-over at all.
  std::atomic<bool> txEmptyAssigned_{false};
};

}  // namespace serial
