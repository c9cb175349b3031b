#include <windows.h>

#include "base/input_wake.h"
#include "base/input_wake_win.h"

namespace base {

InputWake::InputWake() : poster_(static_cast<std::intptr_t>(GetCurrentThreadId())) {}

InputWake::~InputWake() = default;

void InputWake::Post() { PostThreadMessageW(static_cast<DWORD>(poster_), WM_NULL, 0, 0); }

bool InputWake::Waiting() const { return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0; }

void InputWake::Take() {}

WakeEvent::WakeEvent()
    : handle_(reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

WakeEvent::~WakeEvent() {
  if (handle_) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void WakeEvent::Set() { SetEvent(reinterpret_cast<HANDLE>(handle_)); }

bool WakeEvent::IsSet() const {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), 0) == WAIT_OBJECT_0;
}

// MWMO_INPUTAVAILABLE: input that was already in the queue before the wait wakes it too.
DWORD WaitForHandleOrInput(HANDLE handle, bool watchInput, DWORD ms) {
  const DWORD count = handle ? 1 : 0;
  if (watchInput)
    return MsgWaitForMultipleObjectsEx(count, &handle, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (handle) return WaitForSingleObject(handle, ms);
  Sleep(ms);
  return WAIT_TIMEOUT;
}

Woken WaitForEventOrInput(const WakeEvent* event, const InputWake* input, int ms) {
  HANDLE handle = event ? reinterpret_cast<HANDLE>(event->Handle()) : nullptr;
  const DWORD count = event ? 1 : 0;
  DWORD r = WaitForHandleOrInput(handle, input != nullptr, static_cast<DWORD>(ms));
  if (event && r == WAIT_OBJECT_0) return Woken::Event;
  if (input && r == WAIT_OBJECT_0 + count) return Woken::Input;
  return Woken::Timeout;
}

}  // namespace base
