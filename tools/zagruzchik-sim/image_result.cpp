#include "image_result.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "boot_loader.h"

namespace sim {

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + name + ": " + std::strerror(errno));
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
}

bool Differs(const std::string& what) {
  std::cerr << "zagruzchik-sim: " << what << "\n";
  return true;
}

// The flasher sends every full block and then one that is not full (all zero when the
// size is a multiple of 128), padded with zeros.
bool CheckAgainst(const std::vector<std::uint8_t>& expected,
                  const std::vector<std::uint8_t>& received) {
  bool differs = false;
  const std::size_t blocks = received.size() / kBlockSize;
  const std::size_t wanted = expected.size() / kBlockSize + 1;
  if (blocks != wanted)
    differs = Differs("received " + std::to_string(blocks) + " blocks, expected " +
                      std::to_string(wanted));
  const std::size_t common = std::min(expected.size(), received.size());
  const auto [at, unused] =
      std::mismatch(expected.begin(), expected.begin() + common, received.begin());
  if (at != expected.begin() + common)
    differs = Differs("first difference at offset " + std::to_string(at - expected.begin()));
  if (std::any_of(received.begin() + common, received.end(), [](auto b) { return b != 0; }))
    differs = Differs("the padding after the image is not zero");
  return differs;
}

}  // namespace

void CheckFiles(const Options& options) {
  if (!options.outFile.empty() && !std::ofstream(options.outFile, std::ios::binary | std::ios::app))
    throw std::runtime_error("cannot write " + options.outFile + ": " + std::strerror(errno));
  std::error_code missing;
  if (!options.expectFile.empty() && std::filesystem::exists(options.expectFile, missing))
    ReadFile(options.expectFile);
}

int FinishImage(const Options& options, const std::vector<std::uint8_t>& received) {
  std::vector<std::uint8_t> expected;
  if (!options.expectFile.empty()) expected = ReadFile(options.expectFile);
  std::size_t length = received.size();
  if (options.length)
    length = *options.length;
  else if (!options.expectFile.empty())
    length = expected.size();

  bool differs = false;
  if (length > received.size()) {
    differs = Differs("received " + std::to_string(received.size()) + " bytes, fewer than " +
                      std::to_string(length));
    length = received.size();
  }
  if (!options.outFile.empty()) WriteFile(options.outFile, received.data(), length);
  if (!options.expectFile.empty() && CheckAgainst(expected, received)) differs = true;
  return differs ? 1 : 0;
}

}  // namespace sim
