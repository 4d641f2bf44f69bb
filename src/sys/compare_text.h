#pragma once

#include <string>
#include <vector>

namespace sys {

// Negative, zero or positive as UTF-8 text a sorts before, with or after b in the user's
// locale, letter case aside. The one order of port names, in the window's menu and in the
// flasher's list alike.
int CompareText(const std::string& a, const std::string& b);

// Sorts texts by CompareText; equal ones keep their order.
void SortTexts(std::vector<std::string>& texts);

}  // namespace sys
