#include "start/error_text.h"

#include "start/lower_case.h"

#include <new>
#include <stdexcept>
#include <system_error>

#include "base/utf.h"

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
