// The Telnet decoder of the network ports: whatever a server sends, in whatever pieces, decodes
// alike, answers stay in proportion to the requests, and line data sent in binary mode comes
// back exactly. Input: one byte for the piece size, then the server's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "serial/net/telnet_codec.h"

namespace {

using serial::TelnetCodec;
using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Result {
  Bytes data;
  Bytes answers;
  bool ok = true;
};

Result Decode(const std::uint8_t* in, std::size_t n, std::size_t piece) {
  TelnetCodec codec;
  codec.Greeting();
  Result result;
  for (std::size_t i = 0; i < n && result.ok; i += piece) {
    const std::size_t size = piece < n - i ? piece : n - i;
    result.ok = codec.Decode(in + i, size, result.data, result.answers);
  }
  Check(result.answers.size() <= 3 * codec.OptionCommands());
  Check(result.answers.size() % 3 == 0);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = input[0] % 16 + 1;
  const std::uint8_t* stream = input + 1;
  const std::size_t n = size - 1;

  const Result whole = Decode(stream, n, n == 0 ? 1 : n);
  const Result pieces = Decode(stream, n, piece);
  if (whole.ok && pieces.ok) {
    Check(whole.data == pieces.data);
    Check(whole.answers == pieces.answers);
  }
  Check(whole.data.size() <= n && pieces.data.size() <= n);

  // The same bytes as line data: encoded by one side in binary mode, decoded by the other.
  TelnetCodec sender, receiver;
  sender.Greeting();
  receiver.Greeting();
  const std::uint8_t agreed[] = {255, 253, 0, 255, 251, 0};
  Bytes ignored, answers;
  sender.Decode(agreed, sizeof agreed, ignored, answers);
  receiver.Decode(agreed, sizeof agreed, ignored, answers);
  Bytes wire, back;
  sender.EncodeData(stream, n, wire);
  Check(receiver.Decode(wire.data(), wire.size(), back, answers));
  Check(back == Bytes(stream, stream + n));
  return 0;
}
