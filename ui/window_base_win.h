#pragma once

#include <windows.h>

#include <exception>
#include <functional>

// Receives an error that escaped a window's message handler; the handler's message is then
// answered as if it had been handled, and the program goes on.
class HandlerErrors {
public:
  virtual ~HandlerErrors() = default;
  virtual void Report(std::exception_ptr error) noexcept = 0;
};

// A registered window class, unregistered again when this goes.
class WindowClass {
public:
  WindowClass() = default;
  // Throws Win32Error when the class cannot be registered.
  WindowClass(HINSTANCE instance, const wchar_t* name, HICON icon, HBRUSH background);
  ~WindowClass();
  WindowClass(WindowClass&& other) noexcept;
  WindowClass& operator=(WindowClass&& other) noexcept;
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  const wchar_t* Name() const { return name_; }

private:
  HINSTANCE instance_ = nullptr;
  const wchar_t* name_ = nullptr;
};

// One native window bound to this object: the window procedure finds the object through the
// pointer stored at WM_NCCREATE and calls HandleMessage. The window is destroyed with the object.
class WindowBase {
public:
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND Handle() const { return hwnd_; }
  // Destroys the native window now; harmless when it is already gone.
  void Destroy();

protected:
  explicit WindowBase(HandlerErrors& errors) : errors_(errors) {}
  virtual ~WindowBase();

  // Throws Win32Error when the window cannot be created.
  void CreateNative(DWORD exStyle, const WindowClass& cls, const wchar_t* title, DWORD style, int x,
                    int y, int width, int height, HWND owner, HINSTANCE instance);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
  friend class WindowClass;
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HandlerErrors& errors_;
  HWND hwnd_ = nullptr;
};

// Subclasses a window that some other code created (SetWindowSubclass): every message reaches
// the handler, which passes what it does not answer on with CallOriginal. The subclass is
// removed after the window's WM_NCDESTROY has gone through the handler, or when this goes.
class WindowSubclass {
public:
  using Handler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

  WindowSubclass() = default;
  ~WindowSubclass() { Remove(); }
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;

  // Installs the subclass on hwnd; does nothing when one is installed already.
  void Install(HWND hwnd, Handler handler);
  void Remove();
  // The window's procedure as it was before this subclass.
  LRESULT CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) const;

private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR self);
  // Several subclasses may sit on one window; each is told apart by its owner's address.
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  HWND hwnd_ = nullptr;
  Handler handler_;
};
