#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace flash {

// The download's progress as text: a redrawn bar with the percentage on a terminal, one
// line per new percentage otherwise (logs, pipes). Percentages as the window's bar has them,
// printed only forward: the reset after a wrong reply prints no 0 %.
class ProgressPrinter {
 public:
  ProgressPrinter(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

  void SetTotal(std::uint32_t totalParts);
  void SetParts(std::uint32_t partsComplete);
  void Show();
  void Hide();
  // A line of its own amid the progress; a bar on a terminal is drawn again below it.
  void Note(const std::string& line);
  // The whole image is through: 100 %, also for an image shorter than one part.
  void Complete();

 private:
  void Print();

  std::FILE* out_;
  bool terminal_;
  bool visible_ = false;
  std::uint32_t total_ = 0;
  std::uint32_t parts_ = 0;
  unsigned percent_ = 0;
  int printed_ = -1;  // the percentage last printed
};

}  // namespace flash
