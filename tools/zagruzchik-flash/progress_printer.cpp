#include "progress_printer.h"

#include <cmath>
#include <string>

namespace flash {

namespace {

constexpr unsigned kBarWidth = 40;

}  // namespace

void ProgressPrinter::SetTotal(std::uint32_t totalParts) {
  if (totalParts == total_) return;
  total_ = totalParts;
  parts_ = 0;
  percent_ = 0;
  Print();
}

void ProgressPrinter::SetParts(std::uint32_t partsComplete) {
  // The last block of a download counts one past the total: the bar stays full for it.
  parts_ = partsComplete < total_ ? partsComplete : total_;
  if (total_ != 0)
    percent_ = static_cast<unsigned>(std::nearbyint(100.0 * parts_ / total_));  // ties to even
  Print();
}

void ProgressPrinter::Show() {
  visible_ = true;
  printed_ = -1;
  Print();
}

void ProgressPrinter::Hide() {
  if (visible_ && terminal_) std::fputc('\n', out_);
  visible_ = false;
  std::fflush(out_);
}

void ProgressPrinter::Note(const std::string& line) {
  const bool drawn = visible_ && terminal_ && printed_ >= 0;
  std::fprintf(out_, "%s%s\n", drawn ? "\r\x1b[K" : "", line.c_str());
  if (drawn) printed_ = -1;
  Print();
}

void ProgressPrinter::Complete() {
  parts_ = total_;
  percent_ = 100;
  Print();
}

void ProgressPrinter::Print() {
  if (!visible_ || static_cast<int>(percent_) <= printed_) return;
  printed_ = static_cast<int>(percent_);
  if (terminal_) {
    const unsigned filled = percent_ * kBarWidth / 100;
    std::fprintf(out_, "\r[%s%s] %3u%%", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, '.').c_str(), percent_);
  } else {
    std::fprintf(out_, "%u%%\n", percent_);
  }
  std::fflush(out_);
}

}  // namespace flash
