#include "ui/settings/ini_text.h"

#include <algorithm>

namespace ui {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::string_view> SectionOf(std::string_view body) {
  const std::string_view text = Trim(body);
  const auto close = text.find(']');
  if (text.empty() || text.front() != '[' || close == std::string_view::npos) return {};
  return Trim(text.substr(1, close - 1));
}

// Comment lines and lines without "=" hold no key.
bool SplitKey(std::string_view body, std::string_view& key, std::string_view& value) {
  const std::string_view text = Trim(body);
  const auto equals = text.find('=');
  if (text.empty() || text.front() == ';' || text.front() == '#' || text.front() == '[' ||
      equals == std::string_view::npos)
    return false;
  key = Trim(text.substr(0, equals));
  value = Trim(text.substr(equals + 1));
  return !key.empty();
}

bool Quoted(std::string_view value) {
  return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// Blanks around a value are not part of it when read, so such a value, and one that is
// itself in quotes, is written in a pair of quotes that reading takes off again.
std::string Encode(std::string_view value) {
  const bool blank_edge = !value.empty() && (Trim(value).size() != value.size());
  if (!blank_edge && !Quoted(value)) return std::string(value);
  // Built by appending: GCC 12 takes "\"" + std::string(...) for an overlapping copy.
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.append(1, '"').append(value).append(1, '"');
  return quoted;
}

std::string Decode(std::string_view value) {
  return std::string(Quoted(value) ? value.substr(1, value.size() - 2) : value);
}

bool OneLine(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

bool ValidSection(std::string_view name) {
  return !name.empty() && Trim(name) == name && OneLine(name) && name.find(']') == name.npos;
}

bool ValidKey(std::string_view name) {
  return !name.empty() && Trim(name) == name && OneLine(name) && name.find('=') == name.npos &&
         name.find_first_of(";#[") != 0;
}

}  // namespace

TIniText::TIniText(std::string_view text) {
  if (text.starts_with(kBom)) {
    bom_ = kBom;
    text.remove_prefix(kBom.size());
  }
  while (!text.empty()) {
    const auto newline = text.find('\n');
    Line line;
    if (newline == std::string_view::npos) {
      line.body = text;
      text = {};
    } else {
      const bool crlf = newline > 0 && text[newline - 1] == '\r';
      line.body = text.substr(0, crlf ? newline - 1 : newline);
      line.end = crlf ? "\r\n" : "\n";
      text.remove_prefix(newline + 1);
    }
    lines_.push_back(std::move(line));
  }
  const auto ended =
      std::find_if(lines_.begin(), lines_.end(), [](const Line& l) { return !l.end.empty(); });
  if (ended != lines_.end()) eol_ = ended->end;
}

template <typename Visit>
std::size_t TIniText::ForEachKey(std::string_view section, Visit visit) const {
  std::size_t header = std::string_view::npos;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionOf(lines_[i].body)) {
      inside = EqualNoCase(*name, section);
      if (inside && header == std::string_view::npos) header = i;
      continue;
    }
    KeyLine line{i, {}, {}};
    if (inside && SplitKey(lines_[i].body, line.key, line.value) && visit(line)) break;
  }
  return header;
}

bool TIniText::HasSection(std::string_view section) const {
  bool found = false;
  ForEachKey(section, [&](const KeyLine&) { return found = true; });
  return found;
}

std::optional<std::string> TIniText::Find(std::string_view section, std::string_view key) const {
  std::optional<std::string> value;
  ForEachKey(section, [&](const KeyLine& line) {
    if (EqualNoCase(line.key, key)) value = Decode(line.value);
    return value.has_value();
  });
  return value;
}

std::vector<std::string> TIniText::Values(std::string_view section) const {
  std::vector<std::string> values;
  ForEachKey(section, [&](const KeyLine& line) {
    values.push_back(Decode(line.value));
    return false;
  });
  return values;
}

bool TIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSection(section) || !ValidKey(key) || !OneLine(value)) return false;
  std::optional<std::size_t> match;
  const std::size_t header = ForEachKey(section, [&](const KeyLine& line) {
    if (EqualNoCase(line.key, key)) match = line.index;
    return match.has_value();
  });
  if (match) {
    // Keep the key's own spelling and the spacing up to the value.
    std::string& body = lines_[*match].body;
    const auto value_at = body.find_first_not_of(" \t", body.find('=') + 1);
    body = body.substr(0, value_at == std::string::npos ? body.size() : value_at) + Encode(value);
    return true;
  }
  const std::string entry = std::string(key) + "=" + Encode(value);
  if (header != std::string_view::npos) {
    // A new key goes below the last key of the first such section, above its trailing blank
    // lines and comments.
    std::size_t after = header;
    for (std::size_t i = header + 1; i < lines_.size() && !SectionOf(lines_[i].body); ++i) {
      std::string_view k, v;
      if (SplitKey(lines_[i].body, k, v)) after = i;
    }
    Insert(after + 1, entry);
    return true;
  }
  std::string sectionLine;
  sectionLine.reserve(section.size() + 2);
  sectionLine.append(1, '[').append(section).append(1, ']');
  Insert(lines_.size(), sectionLine);
  Insert(lines_.size(), entry);
  return true;
}

void TIniText::Insert(std::size_t at, std::string body) {
  // A line without an end gets one; a lone CR at the end of its text would pair with a bare
  // LF into one CR LF break, and drop out of the value.
  if (at > 0 && lines_[at - 1].end.empty())
    lines_[at - 1].end = lines_[at - 1].body.ends_with('\r') ? "\r\n" : eol_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(body), eol_});
}

std::string TIniText::Text() const {
  std::string text = bom_;
  for (const Line& line : lines_) text += line.body + line.end;
  return text;
}

}  // namespace ui
