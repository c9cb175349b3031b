#include "start/error_text.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <system_error>

namespace {

TEST(StartApplicationTitle, FileNameCutAtFirstFullStopAndLowerCasedAfterTheFirst) {
  EXPECT_EQ(ApplicationTitle(L"C:\\Program Files\\Marlek\\start.exe"), L"start");
  EXPECT_EQ(ApplicationTitle(L"C:\\folder.with.dots\\Setup.Marlek.exe"), L"Setup");
  EXPECT_EQ(ApplicationTitle(L"/home/user/START.EXE"), L"Start");
  EXPECT_EQ(ApplicationTitle(L"C:sETUP"), L"setup");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\\u00DCBER\u00C4\u00D7.EXE"), L"\u00DCber\u00E4\u00D7");
  // Beyond Latin-1: Cyrillic, Greek (no final-sigma rule), Latin Extended-A.
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\\u0423\u0421\u0422\u0410\u041D\u041E\u0412\u041A\u0410.exe"),
            L"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\\u0395\u0393\u039A\u0391\u03A4\u0391\u03A3\u03A3.exe"),
            L"\u0395\u03B3\u03BA\u03B1\u03C4\u03B1\u03C3\u03C3");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\\u0141\u00D3D\u0179.EXE"), L"\u0141\u00F3d\u017A");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\.exe"), L"");
  EXPECT_EQ(ApplicationTitle(L"C:\\X\\"), L"");
}

TEST(StartFullStop, AppendedOnlyAfterCharactersAboveTheFullStop) {
  EXPECT_EQ(WithFullStop(L"Datei fehlt"), L"Datei fehlt.");
  EXPECT_EQ(WithFullStop(L"Fehler 42"), L"Fehler 42.");
  EXPECT_EQ(WithFullStop(L"Pfad C:/"), L"Pfad C:/.");  // '/' lies just above '.'
  EXPECT_EQ(WithFullStop(L"Gr\u00F6\u00DFe"), L"Gr\u00F6\u00DFe.");
  EXPECT_EQ(WithFullStop(L"Schon da."), L"Schon da.");
  EXPECT_EQ(WithFullStop(L"Achtung!"), L"Achtung!");
  EXPECT_EQ(WithFullStop(L"(Klammer)"), L"(Klammer)");
  EXPECT_EQ(WithFullStop(L"Bindestrich-"), L"Bindestrich-");  // '-' lies just below '.'
  EXPECT_EQ(WithFullStop(L"Zeile\n"), L"Zeile\n");
  EXPECT_EQ(WithFullStop(L""), L"");
}

std::exception_ptr Captured(auto&& thrower) {
  try {
    thrower();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

TEST(StartHandlerErrorText, MessageWithFullStopRule) {
  EXPECT_EQ(HandlerErrorText(Captured([] { throw std::runtime_error("Datei fehlt"); })),
            L"Datei fehlt.");
  EXPECT_EQ(HandlerErrorText(Captured([] { throw std::runtime_error("Zu gro\xC3\x9F!"); })),
            L"Zu gro\u00DF!");
  EXPECT_EQ(HandlerErrorText(Captured([] { throw 42; })), L"Unknown error.");
}

TEST(StartHandlerErrorText, InnermostOfNestedErrors) {
  const auto nested = Captured([] {
    try {
      try {
        throw std::runtime_error("socket closed");
      } catch (...) {
        std::throw_with_nested(std::runtime_error("reading the body"));
      }
    } catch (...) {
      std::throw_with_nested(std::logic_error("download"));
    }
  });
  EXPECT_EQ(HandlerErrorText(nested), L"socket closed.");
  // An innermost error that is no std::exception leaves the last message that is one.
  const auto foreign = Captured([] {
    try {
      throw 7;
    } catch (...) {
      std::throw_with_nested(std::runtime_error("outer"));
    }
  });
  EXPECT_EQ(HandlerErrorText(foreign), L"outer.");
}

TEST(StartStartupErrorText, NamesTheKindAndCarriesTheMessage) {
  EXPECT_EQ(StartupErrorText(Captured([] { throw std::runtime_error("RegisterClassExW failed"); })),
            L"Runtime error: RegisterClassExW failed.");
  EXPECT_EQ(StartupErrorText(Captured([] { throw std::logic_error("bad state"); })),
            L"Program error: bad state.");
  EXPECT_EQ(StartupErrorText(Captured([] {
              throw std::system_error(std::make_error_code(std::errc::permission_denied), "open");
            })).rfind(L"System error: open", 0),
            0u);
  EXPECT_EQ(StartupErrorText(Captured([] { throw std::bad_alloc(); })).rfind(L"Out of memory: ", 0),
            0u);
  EXPECT_EQ(StartupErrorText(Captured([] { throw std::exception(); })).rfind(L"Error: ", 0), 0u);
  EXPECT_EQ(StartupErrorText(Captured([] { throw 1; })), L"Unknown error.");
}

}  // namespace
