#include "start/lower_case.h"

#include <locale.h>
#include <wctype.h>

namespace {

// The character classes of Unicode, whatever locale the process runs in.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  return locale;
}

}  // namespace

void LowerCaseInPlace(std::wstring& text) {
  const locale_t locale = UnicodeLocale();
  for (wchar_t& c : text)
    c = static_cast<wchar_t>(locale ? towlower_l(static_cast<wint_t>(c), locale)
                                    : towlower(static_cast<wint_t>(c)));
}
