#pragma once

// Windows Sockets for the whole process: started among the modules at start-up, after the
// graphics, and cleaned up in reverse order at exit.
class WinsockSession {
public:
  WinsockSession();  // throws Win32Error
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
};
