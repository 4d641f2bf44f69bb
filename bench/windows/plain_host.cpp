// The floor for the Windows flasher under Wine: one thread, blocking ReadFile and WriteFile on a
// COM port, no events, no status queries; the same packets as the engine sends.
//   plain_host COMn FILE.hex
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
  explicit Line(const std::string& name) {
    port_ = CreateFileW(sys::Wide("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) Fail("CreateFileW");
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 10400;
    dcb.fBinary = 1;
    dcb.ByteSize = 8;
    if (!SetCommState(port_, &dcb)) Fail("SetCommState");
    COMMTIMEOUTS timeouts = {};  // every read waits for all it asks for
    if (!SetCommTimeouts(port_, &timeouts)) Fail("SetCommTimeouts");
  }
  ~Line() { CloseHandle(port_); }

  void Write(const std::uint8_t* data, DWORD count) {
    DWORD written = 0;
    if (!WriteFile(port_, data, count, &written, nullptr) || written != count) Fail("WriteFile");
  }
  void Read(std::uint8_t* data, DWORD count) {
    DWORD got = 0;
    if (!ReadFile(port_, data, count, &got, nullptr) || got != count) Fail("ReadFile");
  }

 private:
  HANDLE port_;
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
  if (argc != 3) {
    std::fprintf(stderr, "usage: plain_host COMn FILE.hex\n");
    return 2;
  }
  try {
    h2b::ImageFileStream image(h2b::ConvertHexFileToImage(argv[2]));
    Line line(argv[1]);
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
