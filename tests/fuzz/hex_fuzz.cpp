// The HEX converter against the model of the record rules, on real files in a folder of
// its own: the same image, or a conversion error where a field is not hexadecimal, and
// nothing but the image left in the folder either way.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "h2b/convert_hex_file.h"
#include "hex_model.h"

namespace {

constexpr std::uint64_t kCap = 1 << 20;

void Check(bool condition) {
  if (!condition) std::abort();
}

void EnterOwnFolder() {
  static bool entered = false;
  if (entered) return;
  // In memory where there is a tmpfs: each conversion syncs its image to disk.
  std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
  pattern += "/hex-fuzz.XXXXXX";
  Check(::mkdtemp(pattern.data()) != nullptr && ::chdir(pattern.c_str()) == 0);
  entered = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const fuzz::ModelResult model = fuzz::ModelImage(text, kCap);
  if (model.tooLarge) return 0;
  EnterOwnFolder();
  std::filesystem::remove("f.BIN");
  std::ofstream("f.hex", std::ios::binary).write(text.data(), static_cast<std::streamsize>(size));
  bool converted = false;
  try {
    Check(h2b::ConvertHexFile("f.hex") == "f.BIN");
    converted = true;
  } catch (const h2b::EConvertError&) {
  }
  Check(converted == model.image.has_value());
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(".")) ++files;
  Check(files == (converted ? 2u : 1u));  // f.hex, and f.BIN when converted
  if (converted) {
    std::ifstream image("f.BIN", std::ios::binary);
    const std::vector<std::uint8_t> got{std::istreambuf_iterator<char>(image), {}};
    Check(got == *model.image);
  }
  return 0;
}
