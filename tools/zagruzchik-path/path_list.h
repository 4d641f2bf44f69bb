#pragma once

#include <string>

namespace pathlist {

// A PATH value edited as a list of entries separated by ';', with every other entry and every
// separator left exactly as it was, so that adding and then removing gives back the same text.

// Whether entry names folder: letter case aside, a trailing backslash aside.
bool SameFolder(const std::wstring& entry, const std::wstring& folder);
// Whether any entry of path names folder.
bool Contains(const std::wstring& path, const std::wstring& folder);
// path with ";folder" appended (just folder when path is empty).
std::wstring WithEntry(const std::wstring& path, const std::wstring& folder);
// path without the entries that name folder, each with one separator; an entry that merely
// begins with folder's text stays.
std::wstring WithoutEntry(const std::wstring& path, const std::wstring& folder);

}  // namespace pathlist
