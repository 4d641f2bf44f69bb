// The floors for the Windows flasher under Wine, one thread sending the same packets as the
// engine: blocking ReadFile and WriteFile, no events, no status queries; or with --events, the
// least a host built on line events can do: the port overlapped with the device's time-outs and
// event mask, and for every arrival one WaitCommEvent, one ClearCommError and one ReadFile.
//   plain_host [--events] COMn FILE.hex
#include <windows.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "h2b/convert_hex_file.h"
#include "h2b/image_file_stream.h"
#include "sys/win32/wide_text.h"
#include "transfer/packets.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string(what) + " failed, error " + std::to_string(GetLastError()));
}

class Line {
 public:
  Line(const std::string& name, bool events) : events_(events) {
    port_ = CreateFileW(sys::Wide("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                        nullptr, OPEN_EXISTING, events ? FILE_FLAG_OVERLAPPED : 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) Fail("CreateFileW");
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 10400;
    dcb.fBinary = 1;
    dcb.ByteSize = 8;
    if (!SetCommState(port_, &dcb)) Fail("SetCommState");
    // Plain: every read waits for all it asks for. Events: the device's own.
    COMMTIMEOUTS timeouts = {events ? 5u : 0u, 0, 0, 0, 0};
    if (!SetCommTimeouts(port_, &timeouts)) Fail("SetCommTimeouts");
    if (events && !SetCommMask(port_, EV_RXCHAR | EV_ERR)) Fail("SetCommMask");
  }
  ~Line() {
    CloseHandle(port_);
    CloseHandle(done_);
  }

  void Write(const std::uint8_t* data, DWORD count) {
    DWORD written = 0;
    OVERLAPPED request = {};
    request.hEvent = done_;
    if (!WriteFile(port_, data, count, &written, events_ ? &request : nullptr) &&
        !(GetLastError() == ERROR_IO_PENDING &&
          GetOverlappedResult(port_, &request, &written, TRUE)))
      Fail("WriteFile");
    if (written != count) Fail("WriteFile");
  }
  void Read(std::uint8_t* data, DWORD count) {
    if (!events_) {
      DWORD got = 0;
      if (!ReadFile(port_, data, count, &got, nullptr) || got != count) Fail("ReadFile");
      return;
    }
    while (count > 0) {
      OVERLAPPED request = {};
      request.hEvent = done_;
      DWORD mask = 0, ignored = 0, errors = 0;
      if (!WaitCommEvent(port_, &mask, &request) &&
          !(GetLastError() == ERROR_IO_PENDING &&
            GetOverlappedResult(port_, &request, &ignored, TRUE)))
        Fail("WaitCommEvent");
      COMSTAT status = {};
      if (!ClearCommError(port_, &errors, &status)) Fail("ClearCommError");
      const DWORD ask = status.cbInQue < count ? status.cbInQue : count;
      if (ask == 0) continue;
      request = {};
      request.hEvent = done_;
      DWORD got = 0;
      if (!ReadFile(port_, data, ask, &got, &request) &&
          !(GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(port_, &request, &got, TRUE)))
        Fail("ReadFile");
      data += got;
      count -= got;
    }
  }

 private:
  const bool events_;
  HANDLE port_;
  HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// Sends a packet and takes its echo and, unless it is the end command, the reply.
void Exchange(Line& line, const transfer::TxBufferArray& packet, DWORD length,
              std::optional<std::uint8_t> reply) {
  line.Write(packet.data(), length);
  std::uint8_t back[transfer::kTxBufferSize + 1];
  line.Read(back, length + (reply ? 1 : 0));
  if (reply && !transfer::ReplyMatches(back[length], *reply))
    throw std::runtime_error("wrong reply");
}

}  // namespace

int main(int argc, char** argv) {
  const bool events = argc == 4 && std::string(argv[1]) == "--events";
  if (argc != 3 && !events) {
    std::fprintf(stderr, "usage: plain_host [--events] COMn FILE.hex\n");
    return 2;
  }
  try {
    h2b::ImageFileStream image(h2b::ConvertHexFileToImage(argv[argc - 1]));
    Line line(argv[argc - 2], events);
    std::uint8_t hello = 0;
    while (hello != transfer::kDeviceHello) line.Read(&hello, 1);
    transfer::TxBufferArray packet{};
    transfer::PutSyncCommand(packet);
    Exchange(line, packet, transfer::kCommandLength, transfer::kAcknowledge);
    for (std::uint32_t block = 0;; ++block) {
      const auto address = static_cast<std::uint16_t>(block * transfer::kBlockSize);
      if (block % 4 == 0) {
        packet.fill(0);
        transfer::PutAddressCommand(packet, address);
        Exchange(line, packet, transfer::kCommandLength, transfer::kAcknowledge);
      }
      packet.fill(0);
      const std::size_t got =
          image.Read(packet.data() + transfer::kDataOffset, transfer::kBlockSize);
      transfer::PutDataHeader(packet, address);
      Exchange(line, packet, transfer::kDataCommandLength, transfer::DataChecksum(packet));
      if (got < transfer::kBlockSize) break;
    }
    packet.fill(0);
    transfer::PutEndCommand(packet);
    Exchange(line, packet, transfer::kCommandLength, std::nullopt);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
