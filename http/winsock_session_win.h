#pragma once

namespace net {

// Windows Sockets for the whole process: start-up holds one session among its modules and
// cleans it up in reverse order at exit; the socket layer itself starts nothing.
class WinsockSession {
public:
  WinsockSession();  // throws Win32Error
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
};

}  // namespace net
