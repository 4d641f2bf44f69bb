#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "journal.h"
#include "memory_images.h"
#include "recording_view.h"
#include "scripted_target.h"
#include "transfer/download.h"

namespace transfer::testing {

// The engine wired to the scripted target, a recording window and an in-memory image.
struct Rig {
  Journal journal;
  MemoryImages images{&journal};
  RecordingView view{&journal};
  ScriptedTarget target{&journal};
  Download download{target, view, images};

  Rig() {
    target.SetOnRxChar([this](std::int32_t count) { download.RxChar(count); });
  }

  // Start, then the target is powered and the line runs until it is quiet.
  void Flash(std::vector<std::uint8_t> image) {
    images.SetImage(std::move(image));
    download.Start("fw.hex");
    target.SendHello();
    target.Run();
  }
};

inline std::vector<std::uint8_t> RandomImage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<std::uint8_t> image(size);
  for (auto& b : image) b = static_cast<std::uint8_t>(byte(random));
  return image;
}

// The target collected the image at the start of what it received.
inline bool HoldsImage(const ScriptedTarget& target, const std::vector<std::uint8_t>& image) {
  const auto& got = target.Image();
  return got.size() >= image.size() && std::equal(image.begin(), image.end(), got.begin());
}

inline std::uint8_t SumOfData(const ScriptedTarget::Packet& dataCommand) {
  unsigned sum = 0;
  for (std::size_t i = 3; i < dataCommand.size(); ++i) sum += dataCommand[i];
  return static_cast<std::uint8_t>(sum);
}

}  // namespace transfer::testing
