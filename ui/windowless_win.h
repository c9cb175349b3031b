#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "logic/controls.h"
#include "ui/fonts_win.h"
#include "ui/layout_table.h"

class PictureStore;

// A picture or a label: no window of its own, drawn by its parent and hit-tested by its box.
struct WindowlessItem {
  Control id;
  layout::Kind kind;  // Picture or Label
  RECT box;           // in the parent's client coordinates
  bool visible;
  layout::Picture picture;
  std::wstring text;
  layout::TextStyle style;
  bool autoSize;
  bool underline = false;
  bool cued = false;  // under the keyboard cue, which is shown
};

// What happens to the items of a host: a click is a press and release on the same item;
// enter and leave come in pairs, the leave of one item before the enter of the next.
class WindowlessEvents {
public:
  virtual ~WindowlessEvents() = default;
  virtual void ItemClick(Control c) = 0;
  virtual void ItemEnter(Control c) = 0;
  virtual void ItemLeave(Control c) = 0;
};

// The windowless items of one parent window, in stacking order (bottom first).
class WindowlessHost {
public:
  WindowlessHost(const FontSet& fonts, const PictureStore& pictures, WindowlessEvents& events);
  WindowlessHost(const WindowlessHost&) = delete;
  WindowlessHost& operator=(const WindowlessHost&) = delete;

  void SetWindow(HWND hwnd) { hwnd_ = hwnd; }
  HWND Window() const { return hwnd_; }
  void Add(WindowlessItem* item);

  void Paint(HDC dc) const;
  // Mouse messages of the parent window; true when the message was one of them.
  bool HandleMouse(UINT msg, WPARAM wp, LPARAM lp);
  // The pointer no longer counts as over any item (its parent was hidden).
  void ForgetPointer();

  // Call after an item's text, style, box or visibility changed.
  void ItemChanged(WindowlessItem& item, const RECT& oldBox);
  // The box an auto-sized label takes for its current text.
  SIZE MeasureText(const WindowlessItem& item) const;

  WindowlessItem* HitTest(POINT pt) const;
  // Where the keyboard cue of the item is drawn.
  RECT CueRect(const WindowlessItem& item) const;

private:
  void SetHot(WindowlessItem* item);

  const FontSet& fonts_;
  const PictureStore& pictures_;
  WindowlessEvents& events_;
  HWND hwnd_ = nullptr;
  std::vector<WindowlessItem*> items_;
  WindowlessItem* hot_ = nullptr;
  WindowlessItem* pressed_ = nullptr;
  bool tracking_ = false;
};
