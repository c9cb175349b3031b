#include "ui/setup_view_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "logic/bindings.h"

using layout::Kind;

SetupViewWin::SetupViewWin(HWND form, HMODULE module, HandlerErrors& errors, DpiScale scale)
    : formWindow_(form),
      errors_(errors),
      scale_(scale),
      fonts_(scale_),
      pictures_(module, scale_),
      class_(RegisterControlClass(module)),
      header_(form, fonts_, pictures_, *this, errors) {
  for (const auto& entry : layout::Controls()) {
    if (entry.kind != Kind::Picture && entry.kind != Kind::Label) continue;
    WindowlessItem& item = items_[static_cast<int>(entry.id)];
    item = WindowlessItem{entry.id,
                          entry.kind,
                          scale_.Rect(entry.box),
                          entry.visible,
                          entry.picture,
                          std::wstring(layout::DesignedTextOf(entry)),
                          entry.style,
                          entry.sizing == layout::Sizing::AutoSize};
    if (!entry.page) {
      header_.Host().Add(&item);
      if (item.autoSize) Resize(header_.Host(), item);
    }
  }

  // The page container and the progress bar are the common controls of the program.
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  container_ = std::make_unique<PageContainer>(form, scale_.Rect(layout::kPageContainerBox),
                                               fonts_.Get(layout::TextStyle::Default, false));
  for (const auto& entry : layout::Controls()) {
    if (entry.kind != Kind::Button && entry.kind != Kind::ProgressBar) continue;
    windowTexts_[static_cast<int>(entry.id)] = std::wstring(layout::DesignedTextOf(entry));
    windowShown_[static_cast<int>(entry.id)] = entry.visible;
  }
  for (const auto& pageRow : layout::Pages()) container_->AddPage(pageRow.page, nullptr);
  BuildPage(layout::kBuildingActivePage);
  container_->SelectTab(layout::kBuildingActivePage);
}

// Made aside and kept once all exist: a page whose windows cannot all be made stays unmade.
void SetupViewWin::BuildPage(TSetupPage page) {
  if (sheets_[page]) return;
  const layout::PageRow& pageRow =
      *std::find_if(layout::Pages().begin(), layout::Pages().end(),
                    [page](const layout::PageRow& row) { return row.page == page; });
  auto sheet = std::make_unique<TabSheet>(errors_, class_, container_->Handle());
  auto panel = std::make_unique<PagePanel>(
      errors_, class_, sheet->Handle(),
      scale_.Rect({pageRow.panelLeft, 0, layout::kPagePanelWidth, layout::kPagePanelHeight}),
      fonts_, pictures_, static_cast<WindowlessEvents&>(*this));
  std::array<std::unique_ptr<ButtonPanel>, kControlCount> buttons;
  std::unique_ptr<ProgressBar> progress;
  for (const auto& entry : layout::Controls()) {
    if (entry.page != page) continue;
    const RECT box = scale_.Rect(entry.box);
    const int id = static_cast<int>(entry.id);
    switch (entry.kind) {
      case Kind::Picture:
      case Kind::Label:
        panel->Host().Add(&items_[id]);
        if (items_[id].autoSize) Resize(panel->Host(), items_[id]);
        break;
      case Kind::Button: {
        const Control c = entry.id;
        buttons[id] = std::make_unique<ButtonPanel>(errors_, class_, panel->Handle(), box, fonts_,
                                                    [this, c] { ItemClick(c); });
        buttons[id]->SetText(windowTexts_[id]);
        if (!windowShown_[id]) ShowWindow(buttons[id]->Handle(), SW_HIDE);
        break;
      }
      case Kind::ProgressBar:
        progress = std::make_unique<ProgressBar>(panel->Handle(), box);
        if (!windowShown_[id]) ShowWindow(progress->Handle(), SW_HIDE);
        break;
    }
  }
  sheets_[page] = std::move(sheet);
  panels_[page] = std::move(panel);
  for (int id = 0; id < kControlCount; ++id)
    if (buttons[id]) buttons_[id] = std::move(buttons[id]);
  if (progress) progress_ = std::move(progress);
  container_->PlaceSheet(page, sheets_[page]->Handle());
}

HWND SetupViewWin::PageWindow(TSetupPage page) {
  BuildPage(page);
  return sheets_[page]->Handle();
}

HWND SetupViewWin::PanelWindow(TSetupPage page) {
  BuildPage(page);
  return panels_[page]->Handle();
}

// Windows go before the objects they use: pages and controls, then the container, then the
// header's hook on the form.
SetupViewWin::~SetupViewWin() {
  progress_.reset();
  for (auto& b : buttons_) b.reset();
  for (auto& p : panels_) p.reset();
  for (auto& s : sheets_) s.reset();
  container_.reset();
}

void SetupViewWin::MoveImgRiloToTop() {
  WindowlessItem& item = *Item(Control::imgRilo);
  const RECT old = item.box;
  const int height = old.bottom - old.top;
  item.box.top = scale_(layout::kRiloTopAtCreation);
  item.box.bottom = item.box.top + height;
  header_.Host().ItemChanged(item, old);
}

void SetupViewWin::HideTabs() {
  for (TSetupPage page : {tsh0, tsh1, tsh2, tsh3, tsh4, tsh5}) container_->HideTab(page);
}

void SetupViewWin::DecodeVisiblePicturesAhead() {
  std::vector<std::pair<layout::Picture, RECT>> shown;
  for (const WindowlessItem& item : items_)
    if (item.kind == Kind::Picture && item.visible) shown.emplace_back(item.picture, item.box);
  pictures_.DecodeAhead(shown);
}

WindowlessItem* SetupViewWin::Item(Control c) {
  return std::as_const(*this).Item(c) ? &items_[static_cast<int>(c)] : nullptr;
}

const WindowlessItem* SetupViewWin::Item(Control c) const {
  const Kind k = layout::ControlEntry(c).kind;
  return k == Kind::Picture || k == Kind::Label ? &items_[static_cast<int>(c)] : nullptr;
}

WindowlessHost* SetupViewWin::HostOf(Control c) {
  const auto& page = layout::ControlEntry(c).page;
  if (!page) return &header_.Host();
  return panels_[*page] ? &panels_[*page]->Host() : nullptr;
}

// On the item's surface, which exists once its page has been made; making the page sizes it.
void SetupViewWin::Resize(const WindowlessHost& host, WindowlessItem& item) {
  const SIZE size = host.MeasureText(item);
  item.box.right = item.box.left + size.cx;
  item.box.bottom = item.box.top + size.cy;
}

void SetupViewWin::SetText(Control c, const std::wstring& text) {
  if (WindowlessItem* item = Item(c)) {
    if (item->kind != Kind::Label) return;
    const RECT old = item->box;
    item->text = text;
    if (WindowlessHost* host = HostOf(c)) {
      if (item->autoSize) Resize(*host, *item);
      host->ItemChanged(*item, old);
    }
  } else if (layout::ControlEntry(c).kind == Kind::Button) {
    windowTexts_[static_cast<int>(c)] = text;
    if (auto& button = buttons_[static_cast<int>(c)]) button->SetText(text);
  }
  for (ViewChanges* o : observers_) o->TextChanged(c);
}

std::wstring SetupViewWin::GetText(Control c) const {
  if (const WindowlessItem* item = Item(c)) return item->text;
  if (layout::ControlEntry(c).kind == Kind::Button) return windowTexts_[static_cast<int>(c)];
  return {};
}

void SetupViewWin::SetVisible(Control c, bool visible) {
  if (WindowlessItem* item = Item(c)) {
    item->visible = visible;
    if (WindowlessHost* host = HostOf(c)) host->ItemChanged(*item, item->box);
  } else {
    windowShown_[static_cast<int>(c)] = visible;
    if (HWND window = BuiltWindow(c)) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
  }
  for (ViewChanges* o : observers_) o->VisibilityChanged(c, visible);
}

void SetupViewWin::ShowPage(TSetupPage page) {
  const auto previous = container_->ActivePage();
  BuildPage(page);
  container_->ShowPage(page);
  // A page taken away from under the pointer ends its hover, as moving off it would.
  if (previous && previous != page) panels_[*previous]->Host().ForgetPointer();
  for (ViewChanges* o : observers_) o->PageShown(page);
}

void SetupViewWin::SetCued(Control c, bool cued) {
  if (WindowlessItem* item = Item(c)) {
    if (item->cued == cued) return;
    item->cued = cued;
    if (WindowlessHost* host = HostOf(c)) host->ItemChanged(*item, host->CueRect(*item));
  } else if (auto& button = buttons_[static_cast<int>(c)]) {
    button->SetCued(cued);
  }
}

ProgressBar& SetupViewWin::Progress() {
  BuildPage(*layout::ControlEntry(Control::ProgressBar1).page);
  return *progress_;
}

void SetupViewWin::SetProgressMax(std::int32_t max) { Progress().SetMax(max); }

void SetupViewWin::SetProgressPosition(std::int32_t position) { Progress().SetPosition(position); }

int SetupViewWin::ProgressWidth() { return Progress().Width(); }

HWND SetupViewWin::ControlWindow(Control c) {
  const layout::ControlRow& entry = layout::ControlEntry(c);
  if (entry.kind != Kind::Button && entry.kind != Kind::ProgressBar) return nullptr;
  if (entry.page) BuildPage(*entry.page);
  return BuiltWindow(c);
}

HWND SetupViewWin::BuiltWindow(Control c) const {
  if (c == Control::ProgressBar1) return progress_ ? progress_->Handle() : nullptr;
  const auto& button = buttons_[static_cast<int>(c)];
  return button ? button->Handle() : nullptr;
}

RECT SetupViewWin::ControlRect(Control c) {
  if (HWND window = ControlWindow(c)) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, formWindow_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  const auto& page = layout::ControlEntry(c).page;
  const HWND panel = page ? PanelWindow(*page) : nullptr;
  RECT r = Item(c)->box;
  if (panel) MapWindowPoints(panel, formWindow_, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SetupViewWin::ControlVisible(Control c) const {
  if (const WindowlessItem* item = Item(c)) return item->visible;
  return windowShown_[static_cast<int>(c)];
}

bool SetupViewWin::Underlined(Control c) const {
  const WindowlessItem* item = Item(c);
  return item && item->underline;
}

HFONT SetupViewWin::ControlFont(Control c) const {
  if (const WindowlessItem* item = Item(c))
    return item->kind == Kind::Label ? fonts_.Get(item->style, item->underline) : nullptr;
  return layout::ControlEntry(c).kind == Kind::Button ? fonts_.Get(layout::TextStyle::Button, false)
                                                      : nullptr;
}

COLORREF SetupViewWin::ControlTextColour(Control c) const {
  if (const WindowlessItem* item = Item(c)) return fonts_.Colour(item->style);
  return fonts_.Colour(layout::TextStyle::Button);
}

void SetupViewWin::ItemClick(Control c) {
  if (form_) form_->Click(c);
}

void SetupViewWin::ItemEnter(Control c) {
  if (const auto label = HoverLabel(c)) SetLabelUnderline(*label, true);
}

void SetupViewWin::ItemLeave(Control c) {
  if (const auto label = HoverLabel(c)) SetLabelUnderline(*label, false);
}

void SetupViewWin::SetLabelUnderline(Control label, bool underline) {
  WindowlessItem* item = Item(label);
  if (!item || item->underline == underline) return;
  item->underline = underline;
  if (WindowlessHost* host = HostOf(label)) host->ItemChanged(*item, item->box);
}
