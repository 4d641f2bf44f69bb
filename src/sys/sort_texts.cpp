#include <algorithm>

#include "sys/compare_text.h"

namespace sys {

void SortTexts(std::vector<std::string>& texts) {
  std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
    return CompareText(a, b) < 0;
  });
}

}  // namespace sys
