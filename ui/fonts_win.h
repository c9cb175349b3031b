#pragma once

#include <windows.h>

#include <array>

#include "ui/dpi_scale_win.h"
#include "ui/layout_table.h"
#include "base/handles_win.h"

// The window's Tahoma fonts: every text style, regular and underlined, created once.
class FontSet {
public:
  explicit FontSet(const DpiScale& scale);

  HFONT Get(layout::TextStyle style, bool underline) const;
  COLORREF Colour(layout::TextStyle style) const;

private:
  static constexpr int kStyles = 7;
  std::array<FontHandle, kStyles * 2> fonts_;
};
