#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "logic/download_page.h"
#include "download/installer_platform.h"

// The download page as the attempt sees it, with the calls in order: "show", "error",
// "max N", "pos N".
class RecordingPage : public DownloadPage {
public:
  void ShowDownloadPage() override { calls.push_back("show"); }
  void ShowConnectionError() override { calls.push_back("error"); }
  void SetProgressMax(std::int32_t max) override { calls.push_back("max " + std::to_string(max)); }
  void SetProgressPosition(std::int32_t position) override {
    calls.push_back("pos " + std::to_string(position));
  }

  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
  std::vector<std::string> calls;
};

// The real file saving of this build in a folder of the test's choosing; launches are only
// recorded.
class TestPlatform : public InstallerPlatform {
public:
  explicit TestPlatform(std::wstring folder) : folder(std::move(folder)) {}

  std::wstring TempFolder() override {
    if (exhausted) throw std::bad_alloc();
    return folder;
  }
  void SaveFile(const std::wstring& path, const char* data, std::size_t size) override {
    NativeInstallerPlatform().SaveFile(path, data, size);
  }
  void ShellOpen(const std::wstring& path) override { launched.push_back(path); }

  std::wstring folder;
  bool exhausted = false;
  std::vector<std::wstring> launched;
};
