#pragma once

#include <windows.h>

namespace base {

// Waits at most ms for handle (null: for nothing) and, with watchInput, for input in the
// thread's queue, also input that was there before the wait. The result is the wait call's:
// WAIT_OBJECT_0 + (handle ? 1 : 0) for input.
DWORD WaitForHandleOrInput(HANDLE handle, bool watchInput, DWORD ms);

}  // namespace base
