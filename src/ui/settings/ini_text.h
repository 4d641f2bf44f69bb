#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The text of an INI file, edited in place: a change touches only the line it is about, so
// other sections, keys, comments, blank lines and line ends stay exactly as they were.
// Section and key names match without regard to ASCII case; the first match counts.
class TIniText {
 public:
  explicit TIniText(std::string_view text);

  // True when the section holds at least one key.
  bool HasSection(std::string_view section) const;
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // The values of every key of the section, in the file's order.
  std::vector<std::string> Values(std::string_view section) const;
  // False, with nothing changed, when the names or the value cannot be written as one line.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  std::string Text() const;

 private:
  struct Line {
    std::string body;
    std::string end;  // "\r\n", "\n", or empty on a last line without one
  };
  struct KeyLine {
    std::size_t index;
    std::string_view key;
    std::string_view value;
  };

  // Calls visit(KeyLine) for each key line of the matching sections until it returns true;
  // returns the index of the first matching header, or npos.
  template <typename Visit>
  std::size_t ForEachKey(std::string_view section, Visit visit) const;
  void Insert(std::size_t at, std::string body);

  std::string bom_;
  std::vector<Line> lines_;
  std::string eol_ = "\n";
};

}  // namespace ui
