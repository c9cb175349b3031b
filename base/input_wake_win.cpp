#include <windows.h>

#include "base/input_wake.h"
#include "base/input_wake_win.h"

namespace base {

InputWake::InputWake() : poster_(static_cast<std::intptr_t>(GetCurrentThreadId())) {}

InputWake::~InputWake() = default;

void InputWake::Post() { PostThreadMessageW(static_cast<DWORD>(poster_), WM_NULL, 0, 0); }

bool InputWake::Waiting() const { return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0; }

void InputWake::Take() {}

WakeEvent::WakeEvent() {
  if (HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr))
    handle_ = reinterpret_cast<std::intptr_t>(h);
}

WakeEvent::~WakeEvent() {
  if (valid()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
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

WaitResult WaitForEventOrInput(const WakeEvent* event, const InputWake* input, int ms) {
  // An event that could not be made is waited for as none, and its handle counted as none.
  HANDLE handle = event && event->valid() ? reinterpret_cast<HANDLE>(event->Handle()) : nullptr;
  const DWORD count = handle ? 1 : 0;
  DWORD r = WaitForHandleOrInput(handle, input != nullptr, static_cast<DWORD>(ms));
  if (handle && r == WAIT_OBJECT_0) return WaitResult::Ready;
  if (input && r == WAIT_OBJECT_0 + count) return WaitResult::Input;
  return WaitResult::Timeout;
}

}  // namespace base
