#pragma once

#include <cstdint>

// What wakes a wait of the transfer besides the thing it waits for: input for the pump. On
// Windows that is the message queue of the thread that made the InputWake; elsewhere a pipe
// stands in for it, so a test can post a "message" in the middle of a wait and see it handled.
namespace base {

class InputWake {
public:
  InputWake();
  ~InputWake();
  InputWake(const InputWake&) = delete;
  InputWake& operator=(const InputWake&) = delete;

  // From any thread: input is waiting (on Windows a null message to the owning thread).
  void Post();
  // Input is waiting now; cheap enough to ask after every block of a transfer.
  bool Waiting() const;
  // The pump has handled what was posted. On Windows retrieving the messages did that.
  void Take();
  // Elsewhere: the descriptor a wait polls for reading.
  int Handle() const { return static_cast<int>(handle_); }

private:
  std::intptr_t handle_ = -1;  // the pipe's reading end; unused on Windows
  std::intptr_t poster_ = -1;  // the pipe's writing end, or the thread to post to
};

// Set once from any thread, waited for on another: the end of a worker.
class WakeEvent {
public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  void Set();
  bool IsSet() const;
  // False when the system could not make the event: nothing would ever set it.
  bool valid() const { return handle_ != -1; }

  std::intptr_t Handle() const { return handle_; }

private:
  std::intptr_t handle_ = -1;
  std::intptr_t setter_ = -1;  // the pipe's writing end; unused on Windows
};

// How any wait of the transfer ended: its thing is ready (an event set, a socket readable or
// writable), the time ran out, input for the pump came first, or the wait itself failed.
enum class WaitResult { Ready, Timeout, Input, Error };

// Waits at most ms for the event (none: for nothing) and, when input is given, for input.
WaitResult WaitForEventOrInput(const WakeEvent* event, const InputWake* input, int ms);

}  // namespace base
