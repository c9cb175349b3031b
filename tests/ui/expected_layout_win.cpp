#include "tests/ui/expected_layout_win.h"

#include <cwchar>
#include <sstream>

#include "tests/ui/text_measure_win.h"
#include "ui/setup_view_win.h"

namespace expected {
namespace {

using C = ::Control;
using P = layout::Picture;
using enum Style;
using enum Shown;
constexpr std::optional<TSetupPage> kHeader;

}  // namespace

const TextStyle& StyleOf(Style style) {
  static const TextStyle kStyles[] = {
      {0, false, 0},                       // None
      {35, true, RGB(255, 255, 255)},      // Title
      {24, false, RGB(255, 255, 255)},     // LargeLink
      {24, true, RGB(255, 255, 255)},      // LargeBold
      {21, false, RGB(255, 255, 255)},     // Medium
      {19, false, RGB(0x00, 0x40, 0xD5)},  // Button: page blue
  };
  return kStyles[static_cast<int>(style)];
}

const std::vector<ControlBox>& Controls() {
  static const std::vector<ControlBox> kControls{
      {C::imgRilo, kHeader, 0, 24, 681, 370, None, false, OnlyCompanion, P::Photo},
      {C::Image1, kHeader, 492, 24, 162, 65, None, false, Always, P::Logo},
      {C::imgTumo, kHeader, 104, 3, 465, 290, None, false, NotCompanion, P::Mascot},
      {C::Image2, kHeader, 10, 8, 31, 23, None, false, Always, P::FlagDe},
      {C::Image3, kHeader, 47, 8, 31, 23, None, false, Always, P::FlagUs},

      {C::lblSetupTitle, tsh1, 0, 24, 697, 42, Title, false, Always, P::None},
      {C::imgWindows, tsh1, 139, 137, 81, 73, None, false, Always, P::Windows},
      {C::imgAndroid, tsh1, 456, 137, 81, 73, None, false, Always, P::Android},
      {C::lblWindows, tsh1, 133, 216, 95, 29, LargeLink, true, Always, P::None},
      {C::lblAndroid, tsh1, 460, 216, 80, 29, LargeLink, true, Always, P::None},
      {C::lblMore, tsh1, 40, 292, 47, 25, Medium, true, Always, P::None},
      {C::pnlExit, tsh1, 480, 280, 185, 41, Button, false, Always, P::None},

      {C::lblAndroidStep1, tsh2, 0, 64, 690, 25, Medium, false, Always, P::None},
      {C::lblAndroidStep2, tsh2, 0, 95, 690, 25, Medium, false, Always, P::None},
      {C::lblAndroidStep3, tsh2, 0, 126, 690, 25, Medium, false, Always, P::None},
      {C::lblAndroidStep4, tsh2, 0, 157, 690, 25, Medium, false, Always, P::None},
      {C::pnlBtnBack2, tsh2, 480, 280, 185, 41, Button, false, Always, P::None},

      {C::lblNoConnection, tsh3, 0, 85, 690, 29, LargeBold, false, Never, P::None},
      {C::lblDownloadHeader, tsh3, 0, 109, 690, 29, LargeBold, false, Always, P::None},
      {C::ProgressBar1, tsh3, 152, 144, 385, 33, None, false, Always, P::None},
      {C::pnlBtnRety, tsh3, 257, 160, 185, 41, Button, false, Never, P::None},
      {C::pnlBtnCancelDownload, tsh3, 473, 280, 185, 41, Button, false, Always, P::None},

      {C::lblMorePDF, tsh4, 49, 45, 199, 29, LargeBold, true, Always, P::None},
      {C::lblMorePavoWindows, tsh4, 49, 80, 242, 25, Medium, true, Always, P::None},
      {C::lblMorePavoAndroid, tsh4, 49, 111, 231, 25, Medium, true, Always, P::None},
      {C::lblMoreRilo, tsh4, 49, 142, 167, 25, Medium, true, Always, P::None},
      {C::lblMoreSoftware, tsh4, 49, 213, 209, 29, LargeBold, true, Always, P::None},
      {C::lblMoreSoftwareRilo, tsh4, 49, 248, 167, 25, Medium, true, Always, P::None},
      {C::pnlBtnBackOther, tsh4, 480, 280, 185, 41, Button, false, Always, P::None},

      {C::lblSetupTitle2, tsh0, 0, 24, 697, 42, Title, false, Always, P::None},
      {C::Image6, tsh0, 293, 121, 81, 73, None, false, Always, P::Windows},
      {C::lblTumoOnlyInstall, tsh0, 0, 208, 679, 29, LargeLink, false, Always, P::None},
      {C::PnlExitTumo, tsh0, 480, 280, 185, 41, Button, false, Always, P::None},

      {C::lblSetupRilo, tsh5, 0, 24, 697, 42, Title, false, Always, P::None},
      {C::imgRiloInstall, tsh5, 293, 121, 81, 73, None, false, Always, P::Windows},
      {C::lblRiloInstall, tsh5, 0, 208, 679, 29, LargeLink, false, Always, P::None},
      {C::PnlExitRilo, tsh5, 480, 280, 185, 41, Button, false, Always, P::None},
  };
  return kControls;
}

int PanelLeft(TSetupPage page) { return page == tsh2 ? -3 : 0; }

namespace {

class Report {
public:
  explicit Report(std::vector<std::string>& out) : out_(out) {}
  template <typename... Parts>
  void operator()(const std::string& what, const Parts&... parts) {
    std::ostringstream line;
    line << what << ":";
    ((line << " " << parts), ...);
    out_.push_back(line.str());
  }

private:
  std::vector<std::string>& out_;
};

std::string Text(const RECT& r) {
  std::ostringstream s;
  s << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
  return s.str();
}

RECT RectIn(HWND window, HWND reference) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Visible(Shown shown, TSetupEdition edition) {
  switch (shown) {
    case Always: return true;
    case Never: return false;
    case OnlyCompanion: return edition == seCompanion;
    case NotCompanion: return edition != seCompanion;
  }
  return false;
}

void CheckFont(Report& report, const std::string& name, HFONT font, int charHeight, bool bold) {
  LOGFONTW lf{};
  if (!font || !GetObjectW(font, sizeof lf, &lf)) return report(name, "no font");
  if (std::wcscmp(lf.lfFaceName, L"Tahoma") != 0) report(name, "face is not Tahoma");
  if (lf.lfHeight != -charHeight)
    report(name, "character height", -lf.lfHeight, "want", charHeight);
  if (lf.lfWeight != (bold ? FW_BOLD : FW_NORMAL)) report(name, "weight", lf.lfWeight);
  if (lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut) report(name, "not a plain font");
  if (lf.lfCharSet != DEFAULT_CHARSET) report(name, "character set", int(lf.lfCharSet));
}

}  // namespace

std::vector<std::string> Mismatches(HWND form, SetupViewWin& view, TSetupEdition edition, int dpi) {
  std::vector<std::string> out;
  Report report(out);
  const auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const auto scaled = [&](int l, int t, int r, int b) { return RECT{s(l), s(t), s(r), s(b)}; };

  RECT client;
  GetClientRect(form, &client);
  if (client.right != s(kClientWidth) || client.bottom != s(kClientHeight))
    report("client area", client.right, "x", client.bottom);

  HWND tab = view.Container().Handle();
  const RECT container = RectIn(tab, form);
  const RECT wantContainer =
      scaled(kContainer.left, kContainer.top, kContainer.right, kContainer.bottom);
  if (!EqualRect(&container, &wantContainer)) report("PageControl1", Text(container));
  CheckFont(report, "PageControl1", reinterpret_cast<HFONT>(SendMessageW(tab, WM_GETFONT, 0, 0)),
            s(11), false);

  const RECT area = view.Container().PageRect();
  for (TSetupPage page : {tsh0, tsh1, tsh2, tsh3, tsh4, tsh5}) {
    const RECT panel = RectIn(view.PanelWindow(page), view.PageWindow(page));
    const int left = PanelLeft(page);
    const RECT want = scaled(left, 0, left + kPanelWidth, kPanelHeight);
    if (!EqualRect(&panel, &want)) report(std::string(PageName(page)), "panel", Text(panel));
  }

  for (const ControlBox& c : Controls()) {
    const std::string name(ControlName(c.id));
    RECT want = scaled(c.left, c.top, c.left + c.width, c.top + c.height);
    if (c.id == ::Control::imgRilo) OffsetRect(&want, 0, -want.top);  // moved to top 0
    if (c.page)
      OffsetRect(&want, container.left + area.left + s(PanelLeft(*c.page)),
                 container.top + area.top);
    const RECT actual = view.ControlRect(c.id);
    const TextStyle& style = StyleOf(c.style);
    if (c.autoSized) {
      const SIZE text = TextExtent(view.GetText(c.id), s(style.charHeight), style.bold);
      want.right = want.left + text.cx;
      want.bottom = want.top + text.cy;
    }
    if (!EqualRect(&actual, &want)) report(name, Text(actual), "want", Text(want));
    // What lies in the client area at 96 DPI lies in it at every resolution.
    const int panelLeft = c.page ? PanelLeft(*c.page) : 0;
    const bool insideAt96 = panelLeft + c.left >= 0 && panelLeft + c.left + c.width <= kClientWidth;
    if (insideAt96 && (actual.left < 0 || actual.right > client.right || actual.top < 0 ||
                       actual.bottom > client.bottom))
      report(name, "outside the client area", Text(actual));

    if (view.ControlVisible(c.id) != Visible(c.shown, edition)) report(name, "visibility");
    if (c.style != None) {
      CheckFont(report, name, view.ControlFont(c.id), s(style.charHeight), style.bold);
      if (view.ControlTextColour(c.id) != style.colour) report(name, "text colour");
    }
    if (c.picture != layout::Picture::None &&
        !view.Pictures().Loaded(c.picture, actual.right - actual.left, actual.bottom - actual.top))
      report(name, "picture not loaded at its box size");
  }
  return out;
}

}  // namespace expected
