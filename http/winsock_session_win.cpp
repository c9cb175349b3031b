#include "http/winsock_session_win.h"

#include <winsock2.h>

#include "base/win32_error_win.h"

namespace net {

WinsockSession::WinsockSession() {
  WSADATA data;
  const int error = WSAStartup(MAKEWORD(2, 2), &data);
  if (error != 0) throw Win32Error("WSAStartup", static_cast<DWORD>(error));
}

WinsockSession::~WinsockSession() { WSACleanup(); }

}  // namespace net
