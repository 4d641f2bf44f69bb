#pragma once

#include <string>

namespace sys {

// UTF-8, as the program keeps every text, to the UTF-16 of the Windows calls and back.
std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace sys
