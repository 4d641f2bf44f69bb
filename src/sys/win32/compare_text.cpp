#include "sys/compare_text.h"

#include <windows.h>

#include "sys/win32/wide_text.h"

namespace sys {

int CompareText(const std::string& a, const std::string& b) {
  const std::wstring wa = Wide(a), wb = Wide(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(),
                        static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size())) -
         CSTR_EQUAL;
}

}  // namespace sys
