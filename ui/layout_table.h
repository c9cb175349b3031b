#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "logic/controls.h"
#include "logic/pages.h"

// The setup window's fixed-pixel layout as data: every control's kind, box (96 DPI, relative to
// its parent), text style, sizing and designed visibility, plus the pages and the pictures.
namespace layout {

// Stored as 0x00BBGGRR.
using Colour = std::uint32_t;
inline constexpr Colour kPageBlue = 0x00D54000;      // #0040D5
inline constexpr Colour kButtonBlue = 0x00F7DFCA;    // #CADFF7
inline constexpr Colour kProgressGrey = 0x00F3F3F3;  // #F3F3F3
inline constexpr Colour kWhite = 0x00FFFFFF;

inline constexpr int kClientWidth = 679;
inline constexpr int kClientHeight = 609;
inline constexpr const wchar_t* kFontFace = L"Tahoma";

enum class Kind { Picture, Label, Button, ProgressBar };

enum class TextStyle { None, Title, LargeLink, LargeBold, Medium, Button, Default };

struct TextStyleRow {
  int charHeight;  // pixels without internal leading (a negative LOGFONT height)
  bool bold;
  Colour colour;
};

const TextStyleRow& StyleOf(TextStyle style);

enum class Picture { None, Photo, Logo, Mascot, FlagDe, FlagUs, Android, Windows };
inline constexpr int kPictureCount = 7;

struct PictureRow {
  Picture id;
  const wchar_t* resourceName;  // RCDATA entry of the executable
  int width, height;            // pixels of the stored picture
};

const PictureRow& PictureInfo(Picture picture);

struct Box {
  int left, top, width, height;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool Overlaps(const Box& o) const {
    return left < o.Right() && o.left < Right() && top < o.Bottom() && o.top < Bottom();
  }
  friend bool operator==(const Box&, const Box&) = default;
};

enum class Sizing { Fixed, AutoSize };

struct ControlRow {
  Control id;
  Kind kind;
  std::optional<TSetupPage> page;  // none: on the window itself (the header)
  Box box;
  TextStyle style;
  Sizing sizing;
  bool visible;
  Picture picture;
  const wchar_t* text;  // a text no language changes; none: the control's row in the catalogue
};

// Every control, the header first in stacking order (bottom to top), then page by page.
std::span<const ControlRow> Controls();
const ControlRow& ControlEntry(Control c);
// The text the control has before a language is applied.
std::wstring_view DesignedTextOf(const ControlRow& row);

struct PageRow {
  TSetupPage page;
  const char* panelName;
  int panelLeft;
};

inline constexpr int kPagePanelWidth = 800;
inline constexpr int kPagePanelHeight = 345;

// The six pages in their order inside the container.
std::span<const PageRow> Pages();

inline constexpr Box kPageContainerBox{0, 272, 801, 340};
// The active page while the window is being built, before the tabs are hidden.
inline constexpr TSetupPage kBuildingActivePage = tsh0;
// What FormCreate moves imgRilo to.
inline constexpr int kRiloTopAtCreation = 0;

}  // namespace layout
