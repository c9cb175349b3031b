#pragma once

#include <windows.h>

// This thread's message pump for tests: until done() holds or ms have passed, dispatching
// whatever waits; whether done() held.
template <typename Done>
bool PumpUntil(Done done, DWORD ms = 3000) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(10);
  }
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}
// Dispatches what waits now.
inline void PumpWaiting() {
  PumpUntil([] { return true; }, 0);
}
