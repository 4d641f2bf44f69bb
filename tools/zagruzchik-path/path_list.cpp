#include "path_list.h"

#include <cwctype>
#include <vector>

namespace pathlist {

namespace {

std::wstring Folded(std::wstring text) {
  while (!text.empty() && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

struct Entry {
  std::size_t begin, end;  // [begin, end) in the path
};

std::vector<Entry> Entries(const std::wstring& path) {
  std::vector<Entry> entries;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = path.find(L';', begin);
    entries.push_back({begin, end == std::wstring::npos ? path.size() : end});
    if (end == std::wstring::npos) return entries;
    begin = end + 1;
  }
}

}  // namespace

bool SameFolder(const std::wstring& entry, const std::wstring& folder) {
  const std::wstring folded = Folded(folder);
  return !folded.empty() && Folded(entry) == folded;
}

bool Contains(const std::wstring& path, const std::wstring& folder) {
  for (const Entry& e : Entries(path))
    if (SameFolder(path.substr(e.begin, e.end - e.begin), folder)) return true;
  return false;
}

std::wstring WithEntry(const std::wstring& path, const std::wstring& folder) {
  return path.empty() ? folder : path + L';' + folder;
}

// Joining the kept entries again drops exactly one separator with each dropped entry.
std::wstring WithoutEntry(const std::wstring& path, const std::wstring& folder) {
  std::wstring kept;
  bool any = false;
  for (const Entry& e : Entries(path)) {
    const std::wstring entry = path.substr(e.begin, e.end - e.begin);
    if (SameFolder(entry, folder)) continue;
    if (any) kept += L';';
    kept += entry;
    any = true;
  }
  return kept;
}

}  // namespace pathlist
