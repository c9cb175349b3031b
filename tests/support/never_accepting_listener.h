#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/listener.h"

namespace testsupport {

// A listener on 127.0.0.1 that never accepts and whose accept queue is already full, so a
// connect to it neither completes nor is refused (Linux drops the SYNs; native suites only).
class NeverAcceptingListener {
public:
  NeverAcceptingListener();
  ~NeverAcceptingListener();
  NeverAcceptingListener(const NeverAcceptingListener&) = delete;
  NeverAcceptingListener& operator=(const NeverAcceptingListener&) = delete;

  std::uint16_t port() const { return listener_.port(); }

private:
  Listener listener_;
  std::vector<int> fillers_;
};

}  // namespace testsupport
