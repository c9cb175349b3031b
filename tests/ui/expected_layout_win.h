#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "logic/controls.h"
#include "logic/edition.h"
#include "logic/pages.h"
#include "ui/layout_table.h"

class SetupViewWin;

// The setup window's layout as its description gives it, typed here apart from the program's
// own tables, so that a wrong number in either shows up. Pixels at 96 DPI.
namespace expected {

enum class Style { None, Title, LargeLink, LargeBold, Medium, Button };

struct TextStyle {
  int charHeight;
  bool bold;
  COLORREF colour;
};

const TextStyle& StyleOf(Style style);

enum class Shown { Always, Never, OnlyCompanion, NotCompanion };

struct ControlBox {
  ::Control id;
  std::optional<TSetupPage> page;  // none: on the window itself
  int left, top, width, height;
  Style style;
  bool autoSized;
  Shown shown;
  layout::Picture picture;
};

const std::vector<ControlBox>& Controls();

inline constexpr int kClientWidth = 679, kClientHeight = 609;
inline constexpr RECT kContainer{0, 272, 801, 612};
inline constexpr int kPanelWidth = 800, kPanelHeight = 345;
int PanelLeft(TSetupPage page);

// Everything that differs from the layout in a window built at dpi in edition: client area,
// container, page panels, and for every control its box, visibility, font, colour and picture.
// Boxes are the description's edges scaled with MulDiv; auto-sized labels keep their corner
// and take their text's size. Empty when all is as described.
std::vector<std::string> Mismatches(HWND form, SetupViewWin& view, TSetupEdition edition, int dpi);

}  // namespace expected
