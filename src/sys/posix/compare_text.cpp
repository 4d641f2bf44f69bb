#include "sys/compare_text.h"

#include <locale.h>
#include <wchar.h>
#include <wctype.h>

namespace sys {

namespace {

// The user's collation and letter cases, as LC_ALL, LC_COLLATE and LANG name them; C's where
// they name a locale that is not installed.
locale_t UserLocale() {
  static const locale_t locale = [] {
    locale_t made = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "", locale_t{});
    if (made == locale_t{})
      made = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (made == locale_t{}) made = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "C", locale_t{});
    return made;
  }();
  return locale;
}

// UTF-8 decoded and folded to lower case; a byte that starts no valid sequence stands for
// itself, so that every name still has its place.
std::wstring Folded(const std::string& text, locale_t locale) {
  std::wstring result;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
    char32_t code = length == 1   ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      code = lead;
      i += 1;
    } else {
      i += static_cast<std::size_t>(length);
    }
    result += static_cast<wchar_t>(towlower_l(static_cast<wint_t>(code), locale));
  }
  return result;
}

}  // namespace

int CompareText(const std::string& a, const std::string& b) {
  const locale_t locale = UserLocale();
  if (locale == locale_t{}) return a.compare(b);
  return wcscoll_l(Folded(a, locale).c_str(), Folded(b, locale).c_str(), locale);
}

}  // namespace sys
