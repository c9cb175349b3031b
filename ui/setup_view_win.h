#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/control_windows_win.h"
#include "ui/dpi_scale_win.h"
#include "ui/fonts_win.h"
#include "ui/header_surface_win.h"
#include "ui/page_container_win.h"
#include "ui/picture_store_win.h"
#include "ui/progress_bar_win.h"
#include "ui/view_changes.h"
#include "logic/setup_form.h"
#include "logic/setup_view.h"
#include "ui/window_base_win.h"
#include "ui/windowless_win.h"

// Every control of the setup window, built on the window's client area from the layout table,
// and the window side of the setup logic: texts, visibility, pages, progress, clicks, hover.
class SetupViewWin final : public SetupView, private WindowlessEvents {
public:
  // Builds the controls on form in the table's order. Pictures come from module's resources.
  SetupViewWin(HWND form, HMODULE module, HandlerErrors& errors,
               DpiScale scale = DpiScale::ForScreen());
  ~SetupViewWin() override;
  SetupViewWin(const SetupViewWin&) = delete;
  SetupViewWin& operator=(const SetupViewWin&) = delete;

  // Clicks go to this form's handlers from now on.
  void Bind(SetupForm& form) { form_ = &form; }
  // Told of every page change, visibility change and new text from now on.
  void Observe(ViewChanges& changes) { observers_.push_back(&changes); }
  // Draws the keyboard cue on a label, picture or button-like panel, or takes it away.
  void SetCued(Control c, bool cued);

  // The window's own steps of FormCreate.
  void MoveImgRiloToTop();
  void InstallTabWndProc() { container_->InstallTabWndProc(); }
  // Hides the tab buttons of tsh0 to tsh5, in this order.
  void HideTabs();
  // Has the pictures that are visible now decoded on a worker, ready for the first paint.
  void DecodeVisiblePicturesAhead();

  void SetText(Control c, const std::wstring& text) override;
  std::wstring GetText(Control c) const override;
  void SetVisible(Control c, bool visible) override;
  void ShowPage(TSetupPage page) override;
  void SetProgressMax(std::int32_t max) override;
  void SetProgressPosition(std::int32_t position) override;
  int ProgressWidth() override;

  // What the window shows, for whoever needs to look.
  RECT ControlRect(Control c);           // in the window's client coordinates
  bool ControlVisible(Control c) const;  // the control's own flag, whatever its page
  bool Underlined(Control c) const;
  // The font and colour a label or button-like panel draws its text with; none for the others.
  HFONT ControlFont(Control c) const;
  COLORREF ControlTextColour(Control c) const;
  std::optional<TSetupPage> ActivePage() const { return container_->ActivePage(); }
  const PageContainer& Container() const { return *container_; }
  // The windows of a page are made when it is first shown or asked for.
  HWND PageWindow(TSetupPage page);
  HWND PanelWindow(TSetupPage page);
  HWND ProgressBarWindow() { return ControlWindow(Control::ProgressBar1); }
  HWND ControlWindow(Control c);  // none for pictures and labels
  const PictureStore& Pictures() const { return pictures_; }

private:
  void ItemClick(Control c) override;
  void ItemEnter(Control c) override;
  void ItemLeave(Control c) override;
  // underline: the style becomes underline alone; otherwise the empty (regular) style.
  void SetLabelUnderline(Control label, bool underline);

  // Makes the windows of a page once, with the texts and visibility its controls have by then.
  void BuildPage(TSetupPage page);
  // The progress bar, its page made first.
  ProgressBar& Progress();
  // The control's window if its page has been made; none otherwise.
  HWND BuiltWindow(Control c) const;
  WindowlessItem* Item(Control c);
  const WindowlessItem* Item(Control c) const;
  // The surface a label or picture is drawn on; none while its page has no windows.
  WindowlessHost* HostOf(Control c);
  void Resize(const WindowlessHost& host, WindowlessItem& item);

  HWND formWindow_;
  HandlerErrors& errors_;
  DpiScale scale_;
  FontSet fonts_;
  PictureStore pictures_;
  WindowClass class_;
  SetupForm* form_ = nullptr;
  std::vector<ViewChanges*> observers_;
  std::array<WindowlessItem, kControlCount> items_{};
  HeaderSurface header_;
  std::unique_ptr<PageContainer> container_;
  // The windows of the pages, made on demand: a page not yet shown costs no windows at start.
  std::array<std::unique_ptr<TabSheet>, kPageCount> sheets_;
  std::array<std::unique_ptr<PagePanel>, kPageCount> panels_;
  std::array<std::unique_ptr<ButtonPanel>, kControlCount> buttons_;
  std::unique_ptr<ProgressBar> progress_;
  // Text and own visibility of the windowed controls, kept whether their windows exist or not.
  std::array<std::wstring, kControlCount> windowTexts_;
  std::array<bool, kControlCount> windowShown_{};
};
