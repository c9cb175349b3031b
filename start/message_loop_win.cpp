#include "start/message_loop_win.h"

bool MessageLoop::ProcessMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    quit_ = true;
  } else {
    try {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } catch (...) {
      errors_.Report(std::current_exception());
    }
  }
  return true;
}

void MessageLoop::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void MessageLoop::Run() {
  while (!quit_) {
    if (!ProcessMessage()) WaitMessage();
  }
}
