#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>

#include "download/installer_platform.h"
#include "download/installer_table.h"
#include "download/installer_temp_folder.h"

namespace {

struct Row {
  TSetupEdition edition;
  TUiLanguage language;
  const char* url;
  const wchar_t* file;
};

TEST(InstallerTable, EditionAndLanguageChooseUrlAndFile) {
  const Row rows[] = {
      {seDirectInstall, ulGerman, "http://h/prg/tumo.exe", L"marlek-tumo.exe"},
      {seDirectInstall, ulEnglish, "http://h/prg/pavo.exe", L"marlek-ward-pilot.exe"},
      {seChoosePlatform, ulGerman, "http://h/prg/tumo.exe", L"marlek-tumo.exe"},
      {seChoosePlatform, ulEnglish, "http://h/prg/pavo.exe", L"marlek-ward-pilot.exe"},
      {seCompanion, ulGerman, "http://h/prg/rilo-de.exe", L"marlek-rilo.exe"},
      {seCompanion, ulEnglish, "http://h/prg/rilo-en.exe", L"marlek-rilo.exe"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    const InstallerEntry entry = ChooseInstaller(row.edition, row.language);
    EXPECT_EQ(InstallerUrl("h", entry), row.url);
    EXPECT_EQ(entry.fileName, row.file);
  }
  EXPECT_EQ(InstallerUrl("127.0.0.1:8080", ChooseInstaller(seDirectInstall, ulGerman)),
            "http://127.0.0.1:8080/prg/tumo.exe");
}

// A stand-in for the two Win32 calls over a temp path and its long form.
struct FakeTempApi {
  std::wstring tempPath;
  std::wstring longPath;
  bool longFails = false;
  int tempCalls = 0;

  TempPathApi Api() {
    return {[this](std::uint32_t size, wchar_t* buffer) -> std::uint32_t {
              ++tempCalls;
              if (tempPath.empty()) return 0;
              if (tempPath.size() + 1 > size)
                return static_cast<std::uint32_t>(tempPath.size() + 1);
              std::wmemcpy(buffer, tempPath.c_str(), tempPath.size() + 1);
              return static_cast<std::uint32_t>(tempPath.size());
            },
            [this](const wchar_t* path, wchar_t* buffer, std::uint32_t size) -> std::uint32_t {
              EXPECT_EQ(std::wstring(path), tempPath);
              if (longFails) return 0;
              if (longPath.size() + 1 > size)
                return static_cast<std::uint32_t>(longPath.size() + 1);
              std::wmemcpy(buffer, longPath.c_str(), longPath.size() + 1);
              return static_cast<std::uint32_t>(longPath.size());
            }};
  }
};

TEST(TempFolder, LongFormIsUsedEvenWhenLongerThanTheShortForm) {
  FakeTempApi api{L"C:\\USERS\\ANNA~1\\Temp\\", L"C:\\users\\anna-maria\\Temp\\"};
  EXPECT_EQ(ReadTempFolder(api.Api()), L"C:\\users\\anna-maria\\Temp\\");
}

TEST(TempFolder, PathsBeyond260CharactersAreReadWhole) {
  const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\";
  FakeTempApi api{deep, deep + L"x\\"};
  EXPECT_EQ(ReadTempFolder(api.Api()), deep + L"x\\");
  EXPECT_EQ(api.tempCalls, 2);
}

TEST(TempFolder, UndeterminedFolderIsEmpty) {
  FakeTempApi noTemp{L"", L""};
  EXPECT_EQ(ReadTempFolder(noTemp.Api()), L"");
  FakeTempApi noLongForm{L"C:\\gone\\", L"", true};
  EXPECT_EQ(ReadTempFolder(noLongForm.Api()), L"");
}

TEST(PosixPlatform, TempFolderFollowsTmpdirWithATrailingSlash) {
  const char* saved = getenv("TMPDIR");
  const std::string restore = saved ? saved : "";
  setenv("TMPDIR", "/var/t\xC3\xA9mp", 1);
  EXPECT_EQ(NativeInstallerPlatform().TempFolder(), L"/var/t\u00E9mp/");
  setenv("TMPDIR", "", 1);
  EXPECT_EQ(NativeInstallerPlatform().TempFolder(), L"/tmp/");
  if (saved)
    setenv("TMPDIR", restore.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

}  // namespace
