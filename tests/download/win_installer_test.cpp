#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/download_fakes.h"
#include "logic/edition.h"
#include "tests/support/loopback_server.h"
#include "tests/support/program_image.h"
#include "tests/support/replies.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ReadTmp() {
  const DWORD n = GetEnvironmentVariableW(L"TMP", nullptr, 0);
  std::wstring value(n, L'\0');
  GetEnvironmentVariableW(L"TMP", value.data(), n);
  if (!value.empty()) value.pop_back();
  return value;
}

// Points TMP (which GetTempPathW reads first) elsewhere for one test.
class TmpOverride {
public:
  explicit TmpOverride(const std::wstring& folder) : saved_(ReadTmp()) {
    SetEnvironmentVariableW(L"TMP", folder.c_str());
  }
  ~TmpOverride() { SetEnvironmentVariableW(L"TMP", saved_.empty() ? nullptr : saved_.c_str()); }
  TmpOverride(const TmpOverride&) = delete;
  TmpOverride& operator=(const TmpOverride&) = delete;

private:
  std::wstring saved_;
};

// Removes a folder tree whose paths may exceed 260 characters (path given with \\?\).
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const HANDLE first = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (first != INVALID_HANDLE_VALUE) {
    const std::unique_ptr<void, decltype(&FindClose)> find(first, &FindClose);
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find.get(), &entry));
  }
  RemoveDirectoryW(path.c_str());
}

// A fresh folder inside the real temporary folder, removed with everything in it.
class Scratch {
public:
  Scratch() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = fs::path(temp) / (L"installer-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64()));
    fs::create_directories(path_);
  }
  ~Scratch() { RemoveTree(LR"(\\?\)" + path_.wstring()); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const fs::path& path() const { return path_; }
  std::wstring folder() const { return path_.wstring() + L"\\"; }

private:
  fs::path path_;
};

std::wstring ShortForm(const std::wstring& path) {
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  std::wstring shortPath(n, L'\0');
  const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), n);
  shortPath.resize(written < n ? written : 0);
  return shortPath;
}

TEST(WinDownloadInstallerPlatform, TempFolderIsAnExistingFolderEndingInABackslash) {
  const std::wstring folder = NativeInstallerPlatform().TempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_TRUE(IsFolder(folder)) << fs::path(folder).string();
}

TEST(WinDownloadInstallerPlatform, TempFolderGivenInShortFormComesBackLong) {
  Scratch scratch;
  const fs::path longFolder = scratch.path() / L"a folder with a long name";
  fs::create_directories(longFolder);
  const std::wstring shortFolder = ShortForm(longFolder.wstring());
  ASSERT_FALSE(shortFolder.empty());
  ASSERT_NE(shortFolder, longFolder.wstring()) << "no short names on this file system";

  TmpOverride tmp(shortFolder);
  EXPECT_EQ(NativeInstallerPlatform().TempFolder(), longFolder.wstring() + L"\\");
}

// The short form fits in 260 characters, the long one does not: the second call gets the
// buffer size the first one asked for.
TEST(WinDownloadInstallerPlatform, LongFormBeyond260CharactersIsNotCut) {
  Scratch scratch;
  std::wstring longFolder = scratch.path().wstring();
  for (int level = 0; level < 6; ++level) {
    longFolder += L"\\level " + std::to_wstring(level) + L" " + std::wstring(50, L'n');
    ASSERT_TRUE(CreateDirectoryW((LR"(\\?\)" + longFolder).c_str(), nullptr)) << GetLastError();
  }
  ASSERT_GT(longFolder.size(), 300u);
  std::wstring shortFolder = ShortForm(LR"(\\?\)" + longFolder);
  ASSERT_FALSE(shortFolder.empty());
  shortFolder.erase(0, 4);
  ASSERT_LT(shortFolder.size(), 250u);

  TmpOverride tmp(shortFolder);
  EXPECT_EQ(NativeInstallerPlatform().TempFolder(), longFolder + L"\\");
}

TEST(WinDownloadInstallerSave, ReplacesAnExistingFileWithExactlyTheNewBytes) {
  Scratch scratch;
  const fs::path target = scratch.path() / L"marlek-tumo.exe";
  WriteAll(target, std::string(10000, 'o'));
  const std::string bytes = "MZ\0\1\2 new installer"s;
  NativeInstallerPlatform().SaveFile(target.wstring(), bytes.data(), bytes.size());
  EXPECT_EQ(ReadAll(target), bytes);
}

TEST(WinDownloadInstallerSave, TargetHeldOpenWithoutSharingFailsTheAttempt) {
  Scratch scratch;
  const fs::path target = scratch.path() / L"marlek-tumo.exe";
  WriteAll(target, "held");
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  testsupport::LoopbackServer server(
      testsupport::Serve({testsupport::WithLength(200, testsupport::ProgramImage(0x600))}));
  const SetupValues values{seDirectInstall, ulGerman};
  RecordingPage page;
  TestPlatform platform(scratch.folder());
  int terminated = 0;
  InstallerDownload(
      values, [&] { ++terminated; }, nullptr, platform, server.host(), Quick())
      .DownloadAndRun(page);
  CloseHandle(held);

  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(page.Count("error"), 1);
  EXPECT_TRUE(platform.launched.empty());
  EXPECT_EQ(terminated, 0);
  EXPECT_EQ(ReadAll(target), "held");
}

// While held for the check and the launch, others may read the installer (the loader must) but
// not write, replace, rename or delete it; after release they may again.
TEST(WinDownloadInstallerHold, OthersMayReadButNotChangeTheHeldFile) {
  Scratch scratch;
  const fs::path target = scratch.path() / L"marlek-tumo.exe";
  const fs::path elsewhere = scratch.path() / L"moved.exe";
  WriteAll(target, "checked installer");
  auto open = [&](DWORD access, DWORD share) {
    const HANDLE h = CreateFileW(target.c_str(), access, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
  };
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  {
    const std::unique_ptr<HeldInstaller> held = NativeInstallerPlatform().HoldFile(target);
    EXPECT_TRUE(open(GENERIC_READ, kShareAll));
    EXPECT_FALSE(open(GENERIC_WRITE, kShareAll));
    EXPECT_FALSE(open(DELETE, kShareAll));
    EXPECT_FALSE(DeleteFileW(target.c_str()));
    EXPECT_FALSE(MoveFileExW(target.c_str(), elsewhere.c_str(), 0));
    WriteAll(elsewhere, "swapped installer");
    EXPECT_FALSE(MoveFileExW(elsewhere.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadAll(target), "checked installer");
  }
  EXPECT_TRUE(open(GENERIC_WRITE, 0));
  NativeInstallerPlatform().RemoveFile(target.wstring());
  EXPECT_FALSE(fs::exists(target));
}

std::wstring OwnFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

// The whole attempt on the real platform: the temporary folder, the file and the shell.
TEST(WinDownloadInstallerLaunch, ShellStartsTheSavedInstallerAndTheLauncherQuits) {
  const std::string program = ReadAll(OwnFolder() + L"marker_installer.exe");
  ASSERT_GT(program.size(), 1000u);
  Scratch scratch;
  TmpOverride tmp(scratch.path().wstring());
  testsupport::LoopbackServer server(testsupport::Serve({testsupport::WithLength(200, program)}));
  const SetupValues values{seCompanion, ulEnglish};
  RecordingPage page;
  int terminated = 0;
  InstallerDownload(
      values, [&] { ++terminated; }, nullptr, NativeInstallerPlatform(), server.host(), Quick())
      .DownloadAndRun(page);

  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /prg/rilo-en.exe HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(page.Count("error"), 0);
  EXPECT_EQ(terminated, 1);
  const fs::path target = scratch.path() / L"marlek-rilo.exe";
  EXPECT_EQ(ReadAll(target), program);
  const fs::path marker = scratch.path() / L"marlek-rilo.exe.ran";
  for (int i = 0; i < 200 && !fs::exists(marker); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ReadAll(marker), "ran");
  // The started program may still hold its file for a moment.
  for (int i = 0; i < 40 && fs::exists(target) && !DeleteFileW(target.c_str()); ++i) Sleep(50);
}

}  // namespace
