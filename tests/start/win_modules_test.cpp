#include <winsock2.h>

#include <gtest/gtest.h>

#include "start/error_text.h"
#include "http/winsock_session_win.h"

namespace {

// WSANOTINITIALISED from socket() tells whether the network library is up in this process.
bool WinsockUp() {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s != INVALID_SOCKET) {
    closesocket(s);
    return true;
  }
  return WSAGetLastError() != WSANOTINITIALISED;
}

}  // namespace

TEST(WinStartModules, WinsockIsUpWhileTheSessionLivesAndCleanedUpAfter) {
  if (WinsockUp()) GTEST_SKIP() << "another test of this process has started Winsock";
  {
    net::WinsockSession session;
    EXPECT_TRUE(WinsockUp());
  }
  EXPECT_FALSE(WinsockUp());
}

TEST(WinStartModules, TitleLowerCasesEveryScriptWithTheSystemsMapping) {
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\\u0423\u0421\u0422\u0410\u041D\u041E\u0412\u041A\u0410.exe"),
            L"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\\u0395\u0393\u039A\u0391\u03A4\u0391\u03A3\u03A3.exe"),
            L"\u0395\u03B3\u03BA\u03B1\u03C4\u03B1\u03C3\u03C3");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\START.EXE"), L"Start");
}
