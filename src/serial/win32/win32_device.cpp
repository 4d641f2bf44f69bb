// The port device on the Win32 communications interface, as the device was designed: an
// overlapped handle, the DCB built from zero, SetupComm, fixed time-outs, an event mask, and
// overlapped WaitCommEvent, ReadFile and WriteFile.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "serial/comm_device.h"
#include "serial/comm_error.h"
#include "serial/comm_settings.h"
#include "serial/rate_tolerance.h"
#include "serial/win32/device_manager.h"
#include "sys/win32/wide_text.h"

namespace serial {

namespace {

// Owns one handle; an event object unless told otherwise.
class Handle {
 public:
  Handle() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

int LastError() {
  return static_cast<int>(GetLastError());
}

// Wine sets a rate that Linux has no constant for through Linux's old custom-divisor interface
// and then reports 38400, the constant that interface borrows: there the rate the line really
// runs at cannot be read back. Everywhere else the driver's report is believed.
bool RateReadBackIsBlind(std::int32_t requested, DWORD reported) {
  static const bool wine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  constexpr std::int32_t kLinuxRates[] = {50,    75,    110,    134,    150,    200,   300,
                                          600,   1200,  1800,   2400,   4800,   9600,  19200,
                                          38400, 57600, 115200, 230400, 460800, 921600};
  return wine && reported == 38400 &&
         std::find(std::begin(kLinuxRates), std::end(kLinuxRates), requested) ==
             std::end(kLinuxRates);
}

DWORD Ms(std::chrono::milliseconds ms) {
  return ms.count() <= 0 ? 0 : static_cast<DWORD>(ms.count());
}

class Win32Device : public CommDevice {
 public:
  Win32Device(HANDLE port, std::string name) : port_(port), name_(std::move(name)) {}

  // Pending requests end with the handle.
  ~Win32Device() override {
    EndPendingWait();
    CancelIo(port_.get());
  }

  // The event objects of the overlapped calls: without them nothing could be waited for.
  bool HasEvents() const {
    return readDone_.get() && writeDone_.get() && commEvent_.get() && again_.get() && wake_.get();
  }

  void Configure() {
    // A read that has its first byte ends once 5 ms pass without another; writes never time
    // out. Only the event mask of the device's use: received bytes and line errors.
    COMMTIMEOUTS timeouts = {5, 0, 0, 0, 0};
    if (!SetCommTimeouts(port_.get(), &timeouts))
      RaiseCommError("Error setting timeouts (%d), %s", LastError());
    if (!SetCommMask(port_.get(), EV_RXCHAR | EV_ERR))
      RaiseCommError(" Error setting EventMask (%d), %s", LastError());
  }

  void ApplyLine(const TLineSettings& line) override {
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(line.BaudRate);
    dcb.fBinary = 1;
    const TFlowControl& flow = line.FlowControl;
    dcb.fOutxCtsFlow = flow.OutCtsFlow;
    dcb.fOutxDsrFlow = flow.OutDsrFlow;
    dcb.fDtrControl = static_cast<DWORD>(flow.ControlDtr);
    dcb.fRtsControl = static_cast<DWORD>(flow.ControlRts);
    dcb.fOutX = flow.XonXoffOut;
    dcb.fInX = flow.XonXoffIn;
    dcb.fDsrSensitivity = flow.DsrSensitivity;
    dcb.fTXContinueOnXoff = flow.TxContinueOnXoff;
    dcb.fErrorChar = line.Options.Contains(TCommOption::coErrorChar);
    dcb.fNull = line.Options.Contains(TCommOption::coNullStrip);
    dcb.fParity = line.Options.Contains(TCommOption::coParityCheck);
    dcb.XonLim = static_cast<WORD>(line.XonLimit);
    dcb.XoffLim = static_cast<WORD>(line.XoffLimit);
    dcb.ByteSize = static_cast<BYTE>(4 + static_cast<int>(line.Databits));
    dcb.Parity = static_cast<BYTE>(line.Parity);
    dcb.StopBits = static_cast<BYTE>(line.Stopbits);
    dcb.XonChar = static_cast<char>(line.EventChars.XonChar);
    dcb.XoffChar = static_cast<char>(line.EventChars.XoffChar);
    dcb.ErrorChar = static_cast<char>(line.EventChars.ErrorChar);
    dcb.EofChar = static_cast<char>(line.EventChars.EofChar);
    dcb.EvtChar = static_cast<char>(line.EventChars.EventChar);
    if (!SetCommState(port_.get(), &dcb)) RaiseCommError("Error writing dcb (%d), %s", LastError());
    // A driver may round the rate to what its clock can divide down to, or keep another one:
    // believe only the rate it reports back.
    DCB applied = {};
    applied.DCBlength = sizeof applied;
    if (!GetCommState(port_.get(), &applied))
      RaiseCommError("Error writing dcb (%d), %s", LastError());
    if (!RateReadBackIsBlind(line.BaudRate, applied.BaudRate))
      CheckRateReadBack(line.BaudRate, applied.BaudRate, applied.BaudRate);
  }

  void SetupBuffers(std::int32_t readSize, std::int32_t writeSize) override {
    if (!SetupComm(port_.get(), static_cast<DWORD>(readSize), static_cast<DWORD>(writeSize)))
      RaiseCommError("Error initializing buffers (%d), %s", LastError());
  }

  std::int32_t BytesWaiting() override {
    COMSTAT status = {};
    if (!QueryStatus(status)) RaiseCommError("Error retrieving statistics (%d), %s", LastError());
    return static_cast<std::int32_t>(status.cbInQue);
  }

  std::uint32_t TakeLineErrors() override {
    BytesWaiting();
    return pendingErrors_.exchange(0);
  }

  std::int32_t Read(std::uint8_t* buffer, std::int32_t count, std::chrono::milliseconds firstByte,
                    std::chrono::milliseconds) override {
    // The 5 ms gap is the port's own read interval time-out.
    OVERLAPPED request = {};
    request.hEvent = readDone_.get();  // ReadFile resets it
    DWORD got = 0;
    if (!ReadFile(port_.get(), buffer, static_cast<DWORD>(count), &got, &request)) {
      if (GetLastError() != ERROR_IO_PENDING) RaiseCommError("Read error (%d), %s", LastError());
      if (WaitForSingleObject(readDone_.get(), Ms(firstByte)) != WAIT_OBJECT_0)
        CancelIo(port_.get());
      if (!GetOverlappedResult(port_.get(), &request, &got, TRUE) &&
          GetLastError() != ERROR_OPERATION_ABORTED)
        RaiseCommError("Read error (%d), %s", LastError());
    }
    return static_cast<std::int32_t>(got);
  }

  Event WaitEvent() override {
    for (;;) {
      if (!watching_) {
        WaitForSingleObject(wake_.get(), INFINITE);
        return Event::Woken;
      }
      if (!waitPending_) {
        *wait_ = {};  // WaitCommEvent resets its event
        wait_->overlapped.hEvent = commEvent_.get();
        if (WaitCommEvent(port_.get(), &wait_->mask, &wait_->overlapped)) {
          failures_ = 0;
          if (wait_->mask != 0) return Event::Received;
          continue;
        }
        if (GetLastError() != ERROR_IO_PENDING) {
          if (const std::optional<Event> event = AfterFailedWait()) return *event;
          continue;
        }
        waitPending_ = true;
      }
      const HANDLE events[] = {wake_.get(), again_.get(), commEvent_.get()};
      const DWORD which = WaitForMultipleObjects(3, events, FALSE, kLineCheckMs);
      if (which == WAIT_TIMEOUT) {
        if (const std::optional<Event> event = CheckLine()) return *event;
        continue;
      }
      if (which == WAIT_OBJECT_0) return Event::Woken;
      if (which == WAIT_OBJECT_0 + 1) {
        ResetEvent(again_.get());
        return Event::Received;
      }
      if (which != WAIT_OBJECT_0 + 2) return Event::Woken;  // cannot wait any more
      DWORD ignored = 0;
      if (!GetOverlappedResult(port_.get(), &wait_->overlapped, &ignored, FALSE)) {
        // Wine sets the event of a wait that it then leaves unfinished (Windows sets it only at
        // the end): the wait is ended here and taken for what set the event, bytes arriving;
        // with none waiting the notification finds nothing, and the next wait begins.
        if (GetLastError() == ERROR_IO_INCOMPLETE) {
          CancelIo(port_.get());
          GetOverlappedResult(port_.get(), &wait_->overlapped, &ignored, TRUE);
          waitPending_ = false;
          return Event::Received;
        }
        waitPending_ = false;
        if (const std::optional<Event> event = AfterFailedWait()) return *event;
        continue;
      }
      waitPending_ = false;
      failures_ = 0;
      if (wait_->mask != 0) return Event::Received;
    }
  }

  int LineFailure() const override { return lineFailure_; }

  void StopWatching() override {
    watching_ = false;
    EndPendingWait();
  }

  std::ptrdiff_t Write(const std::uint8_t* data, std::size_t n) override {
    OVERLAPPED request = {};
    request.hEvent = writeDone_.get();  // WriteFile resets it
    DWORD written = 0;
    if (!WriteFile(port_.get(), data, static_cast<DWORD>(n), &written, &request)) {
      if (GetLastError() != ERROR_IO_PENDING) return -LastError();
      const HANDLE events[] = {wake_.get(), writeDone_.get()};
      if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
        CancelIo(port_.get());
        GetOverlappedResult(port_.get(), &request, &written, TRUE);
        return 0;
      }
      if (!GetOverlappedResult(port_.get(), &request, &written, FALSE)) return -LastError();
    }
    // A write that moved nothing would be tried again at once: take it as a failed line.
    return written > 0 ? static_cast<std::ptrdiff_t>(written) : -ERROR_WRITE_FAULT;
  }

  // FTDI's driver keeps the adapter's latency timer with the device (set in the port's
  // advanced settings); other drivers keep none. Asked here, when wanted, not at every opening.
  LineLatency Latency() const override {
    LineLatency latency;
    if (const auto timer = PortDeviceEntry(name_).DriverNumber(L"LatencyTimer"))
      latency.timerMs = static_cast<int>(*timer);
    return latency;
  }
  void Renotify() override { SetEvent(again_.get()); }
  void Wake() override { SetEvent(wake_.get()); }

 private:
  // The port's status; the line errors it reports are kept for TakeLineErrors. False when the
  // query fails (the reason in GetLastError).
  bool QueryStatus(COMSTAT& status) {
    DWORD errors = 0;
    if (!ClearCommError(port_.get(), &errors, &status)) return false;
    pendingErrors_ |= static_cast<std::uint32_t>(errors);
    return true;
  }

  // A wait that failed while the port still answers is tried again (nothing returned), a few
  // times in a row at the most; a port that is gone (an adapter pulled out) fails its status
  // query too, and the line has failed with the wait's own error.
  std::optional<Event> AfterFailedWait() {
    const int failure = LastError();
    COMSTAT status = {};
    if (++failures_ > kFailuresRiddenOut || !QueryStatus(status)) {
      lineFailure_ = failure;
      return Event::LineFailed;
    }
    if (WaitForSingleObject(wake_.get(), 1) == WAIT_OBJECT_0) return Event::Woken;
    return std::nullopt;
  }

  // A line quiet for a while is asked for its status, which costs it nothing: Wine leaves a
  // wait pending when the line behind the port goes away (Windows ends it with an error), but
  // the status query then fails. The pending wait is ended and the line has failed.
  std::optional<Event> CheckLine() {
    COMSTAT status = {};
    if (QueryStatus(status)) return std::nullopt;
    lineFailure_ = LastError();
    EndPendingWait();
    return Event::LineFailed;
  }

  // Cancels the pending wait and lets it end. Wine never ends the cancelled wait of a line that
  // has gone away: after a while it is given up, and its request is left to the system (a few
  // bytes, once per lost line) rather than freed while the system may still write to it.
  void EndPendingWait() {
    if (!waitPending_) return;
    waitPending_ = false;
    // Also from a thread other than the one that began it (the destructor's).
    CancelIoEx(port_.get(), &wait_->overlapped);
    // Not the event: Wine may set it before the wait has ended.
    const ULONGLONG deadline = GetTickCount64() + kCancelWaitMs;
    while (!HasOverlappedIoCompleted(&wait_->overlapped)) {
      if (GetTickCount64() >= deadline) {
        static_cast<void>(wait_.release());
        wait_ = std::make_unique<WaitRequest>();
        return;
      }
      Sleep(1);
    }
  }

  static constexpr int kFailuresRiddenOut = 20;
  static constexpr DWORD kLineCheckMs = 1000;
  static constexpr DWORD kCancelWaitMs = 1000;

  Handle port_;
  const std::string name_;  // "COM3", as the device manager names the port
  Handle readDone_;
  Handle writeDone_;
  Handle commEvent_;
  Handle again_;
  Handle wake_;
  // The pending wait's request and the mask it fills in: the system writes both until the wait
  // has ended.
  struct WaitRequest {
    OVERLAPPED overlapped = {};
    DWORD mask = 0;
  };
  std::unique_ptr<WaitRequest> wait_ = std::make_unique<WaitRequest>();
  bool waitPending_ = false;
  bool watching_ = true;
  std::atomic<std::uint32_t> pendingErrors_{0};  // from the event thread and the reader's
  int lineFailure_ = 0;
  int failures_ = 0;  // failed waits since the last one that ended well
};

}  // namespace

std::unique_ptr<CommDevice> OpenSystemDevice(const std::string& name) {
  // COM12 and \\.\COM12 alike: the device namespace is put in front only when missing.
  const bool inNamespace = name.rfind("\\\\.\\", 0) == 0;
  const std::string devicePath = inNamespace ? name : "\\\\.\\" + name;
  const std::wstring path = sys::Wide(devicePath);
  HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    const int error = LastError();
    if (error == ERROR_FILE_NOT_FOUND)
      throw ECommError("Specified device not found (" + name + ").");
    throw ECommError("Can't open specified device " + name + " (Error " + std::to_string(error) +
                     ", " + SystemErrorText(error) + ")");
  }
  auto device = std::make_unique<Win32Device>(port, inNamespace ? name.substr(4) : name);
  if (!device->HasEvents()) {
    const int error = LastError();
    throw ECommError("Can't open specified device " + name + " (Error " + std::to_string(error) +
                     ", " + SystemErrorText(error) + ")");
  }
  device->Configure();
  return device;
}

}  // namespace serial
