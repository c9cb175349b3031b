#pragma once

#include "ui/window_base_win.h"

// The program's one message loop. Its retrieval step also serves the download's pump, so that
// handlers run nested inside a blocked click handler; a quit message retrieved there only sets
// the flag, and the outermost Run stops once control is back in it.
class MessageLoop {
public:
  explicit MessageLoop(HandlerErrors& errors) : errors_(errors) {}
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // Retrieves and handles one waiting message; false when none was waiting.
  bool ProcessMessage();
  // Handles every waiting message and returns; never waits.
  void ProcessMessages();
  // Handles messages, waiting while there are none, until the quit message has been retrieved.
  void Run();

  bool QuitRequested() const { return quit_; }

private:
  HandlerErrors& errors_;
  bool quit_ = false;
};
