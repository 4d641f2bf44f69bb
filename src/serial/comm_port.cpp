#include "serial/comm_port.h"

#include <cerrno>
#include <iostream>
#include <utility>

#include "serial/comm_device.h"
#include "serial/handover.h"
#include "serial/transmit_queue.h"

namespace serial {

namespace {

// A received byte ends ReadBuf once no further byte follows within this time.
constexpr std::chrono::milliseconds kInterByteGap{5};

std::chrono::milliseconds Ms(std::int32_t ms) {
  return std::chrono::milliseconds(ms > 0 ? ms : 0);
}

// Stores value and reports whether it changed.
template <typename T>
bool Assign(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

TCommPort::TCommPort(UiDispatcher& ui) : ui_(ui) {}

TCommPort::~TCommPort() {
  CloseDevice(false, closePause_);
}

bool TCommPort::Active() const {
  return device_ != nullptr;
}

void TCommPort::RefuseWhileOpen() const {
  if (Active()) throw ECommError(kPortIsOpen);
}

TLineSettings TCommPort::LineSettings() const {
  TLineSettings line = line_;
  line.BaudRate = baudrate_ == TBaudRate::brUser ? userBaudrate_ : BaudRateValue(baudrate_);
  line.XonLimit = buffers_.XonLimit;
  line.XoffLimit = buffers_.XoffLimit;
  return line;
}

void TCommPort::ApplyLine() {
  if (device_ && updateDcb_) device_->ApplyLine(LineSettings());
}

void TCommPort::Open() {
  RefuseWhileOpen();
  std::unique_ptr<CommDevice> device = OpenCommDevice(FormatDeviceName(deviceName_, portNum_));
  if (updateDcb_) device->ApplyLine(LineSettings());
  device->SetupBuffers(buffers_.ReadSize, buffers_.WriteSize);
  // The read time-outs are ReadBuf's own; the event thread watches what the mask names.
  const std::uint32_t mask = EventMask(monitorEvents_, directWrite_);

  device_ = std::move(device);
  ++openings_;
  handover_ = std::make_shared<Handover>(ui_);
  queue_ = std::make_unique<TransmitQueue>(static_cast<std::size_t>(buffers_.WriteSize));
  try {
    if (mask != 0) {
      eventThread_ =
          std::thread(&TCommPort::EventLoop, this, std::ref(*device_), std::ref(*handover_), mask);
    }
    writerThread_ = std::thread(&TCommPort::WriterLoop, this, std::ref(*device_), std::ref(*queue_),
                                std::ref(*handover_));
  } catch (...) {
    CloseDevice(false, closePause_);
    throw;
  }
  if (OnOpen) {
    try {
      OnOpen(*this);
    } catch (...) {
      Report(std::current_exception());
    }
  }
}

void TCommPort::Close() {
  CloseDevice(true, closePause_);
}

LineLatency TCommPort::Latency() const {
  return device_ ? device_->Latency() : LineLatency{};
}

bool TCommPort::CloseDevice(bool raiseOnClose, std::chrono::milliseconds pause) {
  if (!device_) return true;
  // Release first: a thread waiting for its hand-over may be waiting for the very handler that
  // is closing the port. Joining before the descriptor closes keeps the threads off it.
  handover_->Release();
  device_->Wake();
  queue_->Stop();
  if (eventThread_.joinable()) eventThread_.join();
  if (writerThread_.joinable()) writerThread_.join();
  // With the writer gone, a write it had under way has been counted.
  const bool allWritten = queue_->Empty();
  queue_.reset();  // what was still queued is discarded
  device_.reset();
  handover_.reset();
  if (raiseOnClose && OnClose) OnClose(*this);
  std::this_thread::sleep_for(pause);
  return allWritten;
}

std::int32_t TCommPort::WriteBuf(const std::uint8_t* buffer, std::int32_t count) {
  if (!device_ || count <= 0) return 0;
  if (!queue_->Append(buffer, static_cast<std::size_t>(count), Ms(buffers_.WriteTimeout))) {
    throw ECommError(kOutputBufferFull);
  }
  return count;
}

std::int32_t TCommPort::ReadBuf(std::uint8_t* buffer, std::int32_t count) {
  if (!device_ || count <= 0) return 0;
  const std::int32_t n = device_->Read(buffer, count, Ms(buffers_.ReadTimeout), kInterByteGap);
  bytesRead_ += static_cast<std::uint64_t>(n);
  return n;
}

void TCommPort::Await(std::int32_t count) {
  if (device_) device_->Await(count);
}

void TCommPort::EventLoop(CommDevice& device, Handover& handover, std::uint32_t mask) {
  for (;;) {
    const CommDevice::Event event = device.WaitEvent();
    if (event == CommDevice::Event::Woken) return;
    const bool failed = event == CommDevice::Event::LineFailed;
    const std::uint32_t reported = mask & (failed ? kEvRxChar | kEvErr : kEvRxChar);
    if (reported != 0 || failed) {
      const int failure = failed ? device.LineFailure() : 0;
      if (!handover.Start([this, reported, failure] { Dispatch(reported, failure); })) return;
    }
    if (failed) device.StopWatching();
  }
}

void TCommPort::WriterLoop(CommDevice& device, TransmitQueue& queue, Handover& handover) {
  const std::uint8_t* front = nullptr;
  std::size_t count = 0;
  while (queue.WaitForData(front, count)) {
    const std::ptrdiff_t written = device.Write(front, count);
    if (written == 0) return;  // closing
    if (written < 0) {
      // A tty that refuses a write has gone away: report it once and leave the queue alone, or
      // the same bytes would be written again and again.
      const int failure = static_cast<int>(-written);
      handover.Run([this, failure] { Dispatch(kEvErr, failure); });
      return;
    }
    if (queue.Remove(static_cast<std::size_t>(written)) == 0 &&
        txEmptyAssigned_.load(std::memory_order_relaxed)) {
      if (!handover.Run([this] { DispatchTxEmpty(); })) return;
    }
  }
}

void TCommPort::Dispatch(std::uint32_t mask, int lineFailure) {
  if (!device_) return;  // handed over before Close
  // Counted, not compared by address: a new device may well reuse the old one's memory.
  const std::uint64_t opening = openings_;
  // A failing query means the line is gone (an adapter pulled out, the far end hung up); so
  // does a failure the threads met. What a handler throws is only reported.
  std::exception_ptr lost;
  auto query = [&](auto&& f) -> decltype(f()) {
    try {
      return f();
    } catch (const ECommError&) {
      lost = std::current_exception();
      return 0;
    }
  };
  try {
    if (mask & kEvRxChar) {
      const std::int32_t count = query([&] { return device_->BytesWaiting(); });
      if (count > 0 && OnRxChar) {
        const std::uint64_t readBefore = bytesRead_;
        OnRxChar(*this, count);
        // Bytes the handler left unread are reported again at once, not only after a further
        // byte. A handler that read nothing waits for the next byte, so it cannot make us spin.
        const std::uint64_t taken = bytesRead_ - readBefore;
        if (device_ && taken > 0 && taken < static_cast<std::uint64_t>(count)) device_->Renotify();
      }
    }
    if ((mask & kEvErr) && !lost && device_ && openings_ == opening) {
      const std::uint32_t errors = query([&] { return device_->TakeLineErrors(); });
      if (errors != 0 && OnError) OnError(*this, errors);
    }
  } catch (...) {
    Report(std::current_exception());
  }
  if (lineFailure != 0 && !lost) {
    lost = std::make_exception_ptr(
        ECommError(CommErrorText("Error retrieving statistics (%d), %s", lineFailure)));
  }
  // A handler may have closed the port, or closed it and opened another.
  if (lost && device_ && openings_ == opening) LoseLine(lost);
}

// Closing at once releases the descriptor, so the kernel frees the adapter's name for a
// re-plugged one, and the next Open starts afresh; it also makes the report the only one.
void TCommPort::LoseLine(const std::exception_ptr& failure) {
  bool allWritten = false;
  try {
    // Nothing to settle: the line is gone.
    allWritten = CloseDevice(true, std::chrono::milliseconds(0));
  } catch (...) {
    Report(std::current_exception());
  }
  bool report = true;
  try {
    if (OnLineLost) report = OnLineLost(*this, allWritten);
  } catch (...) {
    Report(std::current_exception());
  }
  if (report) Report(failure);
}

void TCommPort::DispatchTxEmpty() {
  try {
    if (device_ && onTxEmpty_) onTxEmpty_(*this);
  } catch (...) {
    Report(std::current_exception());
  }
}

void TCommPort::Report(const std::exception_ptr& error) {
  if (ErrorReport) {
    ErrorReport(error);
    return;
  }
  std::cerr << MessageOf(error) << '\n';
}

void TCommPort::SetOnTxEmpty(TNotifyEvent handler) {
  onTxEmpty_ = std::move(handler);
  txEmptyAssigned_.store(static_cast<bool>(onTxEmpty_), std::memory_order_relaxed);
}

void TCommPort::SetDeviceName(const std::string& name) {
  RefuseWhileOpen();
  deviceName_ = name;
}

void TCommPort::SetPortNum(std::int32_t portNum) {
  RefuseWhileOpen();
  portNum_ = portNum;
}

void TCommPort::SetBaudrate(TBaudRate rate) {
  if (!Assign(baudrate_, rate)) return;
  if (rate != TBaudRate::brUser) userBaudrate_ = 0;
  ApplyLine();
}

void TCommPort::SetUserBaudrate(std::int32_t rate) {
  if (!Assign(userBaudrate_, rate)) return;
  baudrate_ = TBaudRate::brUser;
  ApplyLine();
}

void TCommPort::SetParity(TParity parity) {
  if (Assign(line_.Parity, parity)) ApplyLine();
}

void TCommPort::SetDatabits(TDatabits databits) {
  if (Assign(line_.Databits, databits)) ApplyLine();
}

void TCommPort::SetStopbits(TStopbits stopbits) {
  if (Assign(line_.Stopbits, stopbits)) ApplyLine();
}

void TCommPort::SetFlowControl(const TFlowControl& flow) {
  if (Assign(line_.FlowControl, flow)) ApplyLine();
}

void TCommPort::SetOptions(TCommOptions options) {
  if (Assign(line_.Options, options)) ApplyLine();
}

void TCommPort::SetEventChars(const TEventChars& chars) {
  line_.EventChars = chars;
  ApplyLine();
}

void TCommPort::SetBuffers(const TBuffers& buffers) {
  RefuseWhileOpen();
  buffers_ = buffers;
}

void TCommPort::SetMonitorEvents(TCommEvents events) {
  RefuseWhileOpen();
  monitorEvents_ = events;
}

void TCommPort::SetDirectWrite(bool direct) {
  RefuseWhileOpen();
  directWrite_ = direct;
}

void TCommPort::SetUpdateDCB(bool update) {
  RefuseWhileOpen();
  updateDcb_ = update;
}

}  // namespace serial
