#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "base/input_wake.h"

namespace base {
namespace {

void MakePipe(std::intptr_t& readEnd, std::intptr_t& writeEnd) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd = fds[0];
  writeEnd = fds[1];
}

void ClosePipe(std::intptr_t readEnd, std::intptr_t writeEnd) {
  if (readEnd >= 0) ::close(static_cast<int>(readEnd));
  if (writeEnd >= 0) ::close(static_cast<int>(writeEnd));
}

// A full pipe already says the same.
void Signal(std::intptr_t writeEnd) {
  const char one = 1;
  while (::write(static_cast<int>(writeEnd), &one, 1) < 0 && errno == EINTR) {
  }
}

bool Readable(std::intptr_t fd) {
  pollfd p{static_cast<int>(fd), POLLIN, 0};
  return ::poll(&p, 1, 0) > 0;
}

}  // namespace

InputWake::InputWake() { MakePipe(handle_, poster_); }

InputWake::~InputWake() { ClosePipe(handle_, poster_); }

void InputWake::Post() { Signal(poster_); }

bool InputWake::Waiting() const { return Readable(handle_); }

void InputWake::Take() {
  char drain[64];
  while (::read(static_cast<int>(handle_), drain, sizeof drain) > 0) {
  }
}

WakeEvent::WakeEvent() { MakePipe(handle_, setter_); }

WakeEvent::~WakeEvent() { ClosePipe(handle_, setter_); }

void WakeEvent::Set() { Signal(setter_); }

bool WakeEvent::IsSet() const { return Readable(handle_); }

WaitResult WaitForEventOrInput(const WakeEvent* event, const InputWake* input, int ms) {
  pollfd fds[2];
  nfds_t n = 0;
  if (event) fds[n++] = {static_cast<int>(event->Handle()), POLLIN, 0};
  if (input) fds[n++] = {input->Handle(), POLLIN, 0};
  if (::poll(fds, n, ms) <= 0) return WaitResult::Timeout;
  if (event && fds[0].revents) return WaitResult::Ready;
  return WaitResult::Input;
}

}  // namespace base
