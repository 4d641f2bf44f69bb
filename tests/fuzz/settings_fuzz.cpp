// The settings text: any file reads back byte for byte, and a write changes its own key
// alone. Input: section, key and value separated by 0x01, then the file's text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/settings/ini_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string_view Take(std::string_view& input) {
  const std::size_t end = input.find('\x01');
  const std::string_view part = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return part;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Every section and key name the text seems to hold, to probe with: exact parsing is the
// code under test's business, a probe only has to be asked before and after.
std::vector<std::pair<std::string, std::string>> Probes(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> probes;
  std::string section;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    line.remove_prefix(first);
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      section = std::string(line.substr(1, close == std::string_view::npos ? 0 : close - 1));
      while (!section.empty() && (section.back() == ' ' || section.back() == '\t'))
        section.pop_back();
      while (!section.empty() && (section[0] == ' ' || section[0] == '\t')) section.erase(0, 1);
    } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
      std::string key(line.substr(0, equals));
      while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
      probes.emplace_back(section, key);
    }
  }
  return probes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view section = Take(input);
  const std::string_view key = Take(input);
  const std::string_view value = Take(input);
  const std::string_view text = input;

  const ui::TIniText original(text);
  Check(original.Text() == text);

  ui::TIniText changed(text);
  if (!changed.Set(section, key, value)) {
    Check(changed.Text() == text);
    return 0;
  }
  const ui::TIniText reread(changed.Text());
  Check(reread.Find(section, key) == std::string(value));
  Check(reread.HasSection(section));
  for (const auto& [s, k] : Probes(text)) {
    if (SameNoCase(s, section) && SameNoCase(k, key)) continue;
    Check(reread.Find(s, k) == original.Find(s, k));
  }
  return 0;
}
