#include "ui/fonts_win.h"

#include <cwchar>

FontSet::FontSet(const DpiScale& scale) {
  for (int s = 0; s < kStyles; ++s) {
    const auto style = static_cast<layout::TextStyle>(s);
    const auto& entry =
        layout::StyleOf(style == layout::TextStyle::None ? layout::TextStyle::Default : style);
    for (int u = 0; u < 2; ++u) {
      LOGFONTW lf{};
      lf.lfHeight = -scale(entry.charHeight);
      lf.lfWeight = entry.bold ? FW_BOLD : FW_NORMAL;
      lf.lfUnderline = u ? TRUE : FALSE;
      lf.lfCharSet = DEFAULT_CHARSET;
      lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
      lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
      lf.lfQuality = DEFAULT_QUALITY;
      lf.lfPitchAndFamily = DEFAULT_PITCH;
      wcsncpy(lf.lfFaceName, layout::kFontFace, LF_FACESIZE - 1);
      fonts_[s * 2 + u] = FontHandle(CreateFontIndirectW(&lf));
    }
  }
}

HFONT FontSet::Get(layout::TextStyle style, bool underline) const {
  return fonts_[static_cast<int>(style) * 2 + (underline ? 1 : 0)].get();
}

COLORREF FontSet::Colour(layout::TextStyle style) const {
  if (style == layout::TextStyle::Default || style == layout::TextStyle::None)
    return GetSysColor(COLOR_WINDOWTEXT);
  return layout::StyleOf(style).colour;
}
