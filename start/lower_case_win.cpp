#include "start/lower_case.h"

#include <windows.h>

void LowerCaseInPlace(std::wstring& text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
}
