#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "base/utf.h"
#include "logic/links.h"
#include "logic/setup_form.h"
#include "logic/text_catalogue.h"
#include "tests/support/fakes.h"

namespace {

// Wine maps the Unix root to drive Z:.
std::wstring WindowsPathOfUnix(const char* unixPath) {
  std::wstring path = L"Z:" + Utf8ToWide(unixPath);
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n);
}

TEST(WinLogicPlatform, LocaleQueryGivesAThreeLetterName) {
  SetupValues values;
  RecordingView view{values};
  FakeApp app;
  SetupForm form(view, NativeSetupPlatform(), app, app, values);
  const std::wstring name = form.ReadLocaleLanguage();
  ASSERT_EQ(name.size(), 3u);
  for (const wchar_t c : name) EXPECT_TRUE(c >= L'A' && c <= L'Z') << static_cast<int>(c);

  wchar_t direct[16] = {};
  const int n = NativeSetupPlatform().GetLocaleAbbrevLangName(direct, 16);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(direct[3], L'\0');
  EXPECT_EQ(std::wstring(direct, 3), name);
}

TEST(WinLogicPlatform, ModuleFileNameIsThisProgramInTheBuildFolder) {
  const std::wstring path = NativeSetupPlatform().ModuleFileName();
  const char* build = std::getenv("START_BUILD");
  ASSERT_NE(build, nullptr);
  EXPECT_EQ(path, WindowsPathOfUnix(build) + L"\\tests\\wintests.exe");
  const std::wstring folder(ProgramFolder(path));
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(LocalTargetPath(path, ulEnglish, LocalTarget::RiloManual),
            folder + L"\\bin\\en\\PDF\\rilo.pdf");
}

TEST(WinLogicPlatform, HandingOverAMissingFileRaisesNothingAndChangesNothing) {
  const std::wstring folder = TempFolder() + L"start-logic-missing\\";
  const std::wstring target = folder + L"\\bin\\de\\PDF\\tumo.pdf";
  EXPECT_NO_THROW(NativeSetupPlatform().ShellOpen(target));
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

  SetupValues values;
  RecordingView view{values};
  FakeApp app;
  SetupForm form(view, NativeSetupPlatform(), app, app, values);
  EXPECT_NO_THROW(form.lblMoreRiloClick());
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(app.exits, 0);
}

TEST(WinLogicPlatform, HandOverWithTheDoubledBackslashOpensTheFile) {
  const std::wstring folder = TempFolder();
  const std::wstring script = folder + L"start-logic-handover.cmd";
  const std::wstring marker = folder + L"start-logic-handover.out";
  DeleteFileW(marker.c_str());
  {
    const std::unique_ptr<FILE, int (*)(FILE*)> out(_wfopen(script.c_str(), L"wb"), &std::fclose);
    ASSERT_NE(out, nullptr);
    std::fputs("@echo opened> \"%~dp0start-logic-handover.out\"\r\n", out.get());
  }
  // The path as the links form it: folder, then a second backslash.
  NativeSetupPlatform().ShellOpen(folder + L"\\start-logic-handover.cmd");
  bool seen = false;
  for (int i = 0; i < 300 && !seen; ++i) {
    seen = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(seen);
  DeleteFileW(script.c_str());
  DeleteFileW(marker.c_str());
}

// The catalogue's source is UTF-8; the cross-compiler must turn it into the same UTF-16.
TEST(WinLogicTexts, NonAsciiTextsAreTheExpectedUtf16) {
  std::map<Control, std::wstring> german;
  for (const auto& row : TextCatalogue()) german[row.control] = std::wstring(row.german);
  EXPECT_EQ(german[Control::pnlBtnBack2], L"ZUR\u00DCCK");
  EXPECT_EQ(german[Control::lblAndroidStep4], L"4.) W\u00E4hlen Sie Installieren");
  EXPECT_EQ(german[Control::lblNoConnection], L"Bitte Internetverbindung pr\u00FCfen!");
  EXPECT_EQ(german[Control::lblDownloadHeader], L"Download l\u00E4uft, bitte warten ...");
  EXPECT_EQ(german[Control::lblMorePDF], L"Handb\u00FCcher PDF");
  static_assert(sizeof(wchar_t) == 2);
}

}  // namespace
