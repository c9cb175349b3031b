#include "ui/windowless_win.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/picture_store_win.h"
#include "base/handles_win.h"

namespace {

constexpr UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
constexpr int kPictureCueMargin = 2;

POINT PointOf(LPARAM lp) { return POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

}  // namespace

WindowlessHost::WindowlessHost(const FontSet& fonts, const PictureStore& pictures,
                               WindowlessEvents& events)
    : fonts_(fonts), pictures_(pictures), events_(events) {}

void WindowlessHost::Add(WindowlessItem* item) { items_.push_back(item); }

void WindowlessHost::Paint(HDC dc) const {
  SetBkMode(dc, TRANSPARENT);
  for (const WindowlessItem* item : items_) {
    if (!item->visible) continue;
    if (item->kind == layout::Kind::Picture) {
      pictures_.Draw(item->picture, dc, item->box);
    } else {
      SelectGuard font(dc, fonts_.Get(item->style, item->underline));
      SetTextColor(dc, fonts_.Colour(item->style));
      RECT box = item->box;
      DrawTextW(dc, item->text.c_str(), static_cast<int>(item->text.size()), &box,
                kTextFormat | (item->autoSize ? DT_LEFT : DT_CENTER));
    }
    if (item->cued) {
      const RECT cue = CueRect(*item);
      DrawFocusRect(dc, &cue);
    }
  }
}

// Around the text as drawn, cut to the box, for a label; around the box for a picture, since a
// dotted line on a flag or the logo is hard to see.
RECT WindowlessHost::CueRect(const WindowlessItem& item) const {
  if (item.kind == layout::Kind::Picture) {
    RECT around = item.box;
    InflateRect(&around, kPictureCueMargin, kPictureCueMargin);
    return around;
  }
  const SIZE text = MeasureText(item);
  const LONG width = std::min(text.cx, item.box.right - item.box.left);
  const LONG left = item.autoSize ? item.box.left : (item.box.left + item.box.right - width) / 2;
  return RECT{left, item.box.top, left + width, std::min(item.box.top + text.cy, item.box.bottom)};
}

SIZE WindowlessHost::MeasureText(const WindowlessItem& item) const {
  WindowDc screen(nullptr);
  MemoryDc dc(CreateCompatibleDC(screen.get()));
  SelectGuard font(dc.get(), fonts_.Get(item.style, item.underline));
  // An empty text keeps the height of a line, as a blank would.
  const std::wstring text = item.text.empty() ? std::wstring(L" ") : item.text;
  RECT r{0, 0, 0, 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, kTextFormat | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void WindowlessHost::ItemChanged(WindowlessItem& item, const RECT& oldBox) {
  if (&item == hot_ && !item.visible) SetHot(nullptr);
  if (&item == pressed_ && !item.visible) pressed_ = nullptr;
  if (!hwnd_) return;
  InvalidateRect(hwnd_, &oldBox, FALSE);
  InvalidateRect(hwnd_, &item.box, FALSE);
}

WindowlessItem* WindowlessHost::HitTest(POINT pt) const {
  for (auto it = items_.rbegin(); it != items_.rend(); ++it)
    if ((*it)->visible && PtInRect(&(*it)->box, pt)) return *it;
  return nullptr;
}

void WindowlessHost::SetHot(WindowlessItem* item) {
  if (item == hot_) return;
  WindowlessItem* old = hot_;
  hot_ = item;
  if (old) events_.ItemLeave(old->id);
  if (item) events_.ItemEnter(item->id);
}

void WindowlessHost::ForgetPointer() {
  SetHot(nullptr);
  pressed_ = nullptr;
}

bool WindowlessHost::HandleMouse(UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!tracking_ && hwnd_) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&tme) != FALSE;
      }
      SetHot(HitTest(PointOf(lp)));
      return true;
    case WM_MOUSELEAVE:
      tracking_ = false;
      SetHot(nullptr);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = HitTest(PointOf(lp));
      if (hwnd_) SetCapture(hwnd_);
      return true;
    case WM_LBUTTONUP: {
      WindowlessItem* pressed = pressed_;
      pressed_ = nullptr;
      if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
      // The handler may pump messages or change the page; nothing of this host is used after it.
      if (pressed && HitTest(PointOf(lp)) == pressed) events_.ItemClick(pressed->id);
      return true;
    }
    case WM_CAPTURECHANGED: pressed_ = nullptr; return true;
    default: return false;
  }
}
