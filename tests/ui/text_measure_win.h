#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

#include "base/handles_win.h"

// The size of one line of text in Tahoma, measured apart from the window under test.
inline SIZE TextExtent(const std::wstring& text, int charHeight, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -charHeight;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy(lf.lfFaceName, L"Tahoma");
  FontHandle font(CreateFontIndirectW(&lf));
  WindowDc screen(nullptr);
  SelectGuard select(screen.get(), font.get());
  SIZE size{};
  GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}
