#include "ui/window_base_win.h"

#include <commctrl.h>

#include <utility>

#include "base/win32_error_win.h"

WindowClass::WindowClass(HINSTANCE instance, const wchar_t* name, HICON icon, HBRUSH background)
    : instance_(instance), name_(name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WindowBase::WndProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (!RegisterClassExW(&wc)) ThrowLastError("RegisterClassExW");
}

WindowClass::~WindowClass() {
  if (name_) UnregisterClassW(name_, instance_);
}

WindowClass::WindowClass(WindowClass&& other) noexcept
    : instance_(std::exchange(other.instance_, nullptr)),
      name_(std::exchange(other.name_, nullptr)) {}

WindowClass& WindowClass::operator=(WindowClass&& other) noexcept {
  if (this != &other) {
    if (name_) UnregisterClassW(name_, instance_);
    instance_ = std::exchange(other.instance_, nullptr);
    name_ = std::exchange(other.name_, nullptr);
  }
  return *this;
}

WindowBase::~WindowBase() { Destroy(); }

void WindowBase::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void WindowBase::CreateNative(DWORD exStyle, const WindowClass& cls, const wchar_t* title,
                              DWORD style, int x, int y, int width, int height, HWND owner,
                              HINSTANCE instance) {
  if (!CreateWindowExW(exStyle, cls.Name(), title, style, x, y, width, height, owner, nullptr,
                       instance, this))
    ThrowLastError("CreateWindowExW");
}

LRESULT WindowBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK WindowBase::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* created =
        static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    self->errors_.Report(std::current_exception());
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

void WindowSubclass::Install(HWND hwnd, Handler handler) {
  if (hwnd_) return;
  handler_ = std::move(handler);
  if (!SetWindowSubclass(hwnd, &WindowSubclass::Proc, Id(), reinterpret_cast<DWORD_PTR>(this)))
    ThrowLastError("SetWindowSubclass");
  hwnd_ = hwnd;
}

void WindowSubclass::Remove() {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, &WindowSubclass::Proc, Id());
  hwnd_ = nullptr;
}

LRESULT WindowSubclass::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK WindowSubclass::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  auto* subclass = reinterpret_cast<WindowSubclass*>(self);
  if (!subclass->hwnd_) return DefSubclassProc(hwnd, msg, wParam, lParam);
  const LRESULT result = subclass->handler_(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) subclass->Remove();
  return result;
}
