#include "ui/progress_bar_win.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/layout_table.h"
#include "base/win32_error_win.h"

ProgressBar::ProgressBar(HWND parent, const RECT& box) {
  bar_.reset(CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, box.left, box.top,
                             box.right - box.left, box.bottom - box.top, parent, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                             nullptr));
  if (!bar_) ThrowLastError("CreateWindowExW");
  // The bar keeps its size; the download asks for it once per body.
  RECT client{};
  GetClientRect(bar_.get(), &client);
  width_ = std::max<int>(client.right - client.left, 1);
  SendMessageW(bar_.get(), PBM_SETRANGE32, 0, 100);
  SendMessageW(bar_.get(), PBM_SETPOS, 0, 0);
  SendMessageW(bar_.get(), PBM_SETBARCOLOR, 0, layout::kPageBlue);
  SendMessageW(bar_.get(), PBM_SETBKCOLOR, 0, layout::kProgressGrey);
}

void ProgressBar::SetMarquee(bool on) {
  if (on == marquee_) return;
  marquee_ = on;
  const LONG_PTR style = GetWindowLongPtrW(bar_.get(), GWL_STYLE);
  if (on) {
    SetWindowLongPtrW(bar_.get(), GWL_STYLE, style | PBS_MARQUEE);
    SendMessageW(bar_.get(), PBM_SETMARQUEE, TRUE, 0);
  } else {
    SendMessageW(bar_.get(), PBM_SETMARQUEE, FALSE, 0);
    SetWindowLongPtrW(bar_.get(), GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
  }
}

void ProgressBar::SetMax(std::int32_t max) {
  SetMarquee(max <= 0);
  if (max > 0) SendMessageW(bar_.get(), PBM_SETRANGE32, 0, max);
}

void ProgressBar::SetPosition(std::int32_t position) {
  if (!marquee_) SendMessageW(bar_.get(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}
