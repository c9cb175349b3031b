#include "start/error_text.h"

#include "start/lower_case.h"

#include <new>
#include <stdexcept>
#include <system_error>

namespace {

// The message of the innermost error; the outer one when the innermost is not a std::exception.
std::string InnermostMessage(const std::exception& e) {
  try {
    std::rethrow_if_nested(e);
  } catch (const std::exception& inner) {
    return InnermostMessage(inner);
  } catch (...) {
  }
  return e.what();
}

struct Kind {
  bool (*matches)(const std::exception&);
  const wchar_t* name;
};

template <typename E>
bool Is(const std::exception& e) {
  return dynamic_cast<const E*>(&e) != nullptr;
}

// Most specific first.
constexpr Kind kKinds[] = {
    {Is<std::bad_alloc>, L"Out of memory"},
    {Is<std::system_error>, L"System error"},
    {Is<std::runtime_error>, L"Runtime error"},
    {Is<std::logic_error>, L"Program error"},
};

constexpr wchar_t kOtherKind[] = L"Error";
constexpr wchar_t kUnknownError[] = L"Unknown error";

}  // namespace

std::wstring ApplicationTitle(std::wstring_view modulePath) {
  const auto slash = modulePath.find_last_of(L"\\/:");
  std::wstring_view name =
      slash == std::wstring_view::npos ? modulePath : modulePath.substr(slash + 1);
  name = name.substr(0, name.find(L'.'));
  if (name.empty()) return {};
  std::wstring rest(name.substr(1));
  LowerCaseInPlace(rest);
  return std::wstring(1, name.front()) + rest;
}

std::wstring WithFullStop(std::wstring text) {
  if (!text.empty() && text.back() > L'.') text += L'.';
  return text;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int length = lead < 0x80                   ? 1
                 : lead >= 0xC2 && lead < 0xE0 ? 2
                 : lead >= 0xE0 && lead < 0xF0 ? 3
                 : lead >= 0xF0 && lead < 0xF5 ? 4
                                               : 0;
    char32_t cp = length == 1   ? lead
                  : length == 2 ? lead & 0x1F
                  : length == 3 ? lead & 0x0F
                                : lead & 0x07;
    bool valid = length > 0 && i + length <= utf8.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values above U+10FFFF are not characters.
    if (valid && ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                  (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
      valid = false;
    if (!valid) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000 && sizeof(wchar_t) == 2) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<wchar_t>(cp);
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::wstring HandlerErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return WithFullStop(Utf8ToWide(InnermostMessage(e)));
  } catch (...) {
    return WithFullStop(kUnknownError);
  }
}

std::wstring StartupErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    const wchar_t* name = kOtherKind;
    for (const Kind& kind : kKinds) {
      if (kind.matches(e)) {
        name = kind.name;
        break;
      }
    }
    return std::wstring(name) + L": " + WithFullStop(Utf8ToWide(InnermostMessage(e)));
  } catch (...) {
  }
  return WithFullStop(kUnknownError);
}
