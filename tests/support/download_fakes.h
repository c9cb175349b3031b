#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "logic/download_page.h"
#include "download/download_and_run.h"
#include "download/installer_platform.h"

// The whole content of a file; empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The controller's settings with waits short enough for a test.
inline http::Settings Quick() {
  http::Settings settings = InstallerDownload::DefaultSettings();
  settings.connectTimeoutMs = 2000;
  settings.readTimeoutMs = 3000;
  settings.redirectBodyWaitMs = 500;
  settings.resumeWaitMs = 10;
  return settings;
}

// The download page as the attempt sees it, with the calls in order: "show", "error",
// "max N", "pos N". Its bar is as wide as the largest maximum unless a test narrows it.
class RecordingPage : public DownloadPage, public ProgressDisplay {
public:
  void ShowDownloadPage() override { calls.push_back("show"); }
  void ShowConnectionError() override { calls.push_back("error"); }
  ProgressDisplay& Progress() override { return *this; }
  int ProgressWidth() override { return width; }
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
  int width = 0x7FFFFFFF;
};

// The real saving, holding and removal in the test's folder; signature facts are the test's,
// launches only recorded (atOpen sees the saved bytes). `steps`: "hold", "signature", "open",
// "release" and "remove" in the order they happen.
class TestPlatform : public InstallerPlatform {
public:
  explicit TestPlatform(std::wstring where) : folder(std::move(where)) {}

  std::wstring TempFolder() override {
    if (exhausted) throw std::bad_alloc();
    return folder;
  }
  void SaveFile(const std::wstring& path, const char* data, std::size_t size) override {
    saved = data;
    NativeInstallerPlatform().SaveFile(path, data, size);
  }
  std::unique_ptr<HeldInstaller> HoldFile(const std::wstring& path) override {
    if (holdFails) throw InstallerSaveError("held by another process");
    steps.push_back("hold");
    return std::make_unique<Held>(*this, NativeInstallerPlatform().HoldFile(path));
  }
  void RemoveFile(const std::wstring& path) override {
    steps.push_back("remove");
    NativeInstallerPlatform().RemoveFile(path);
  }
  void ShellOpen(const std::wstring& path) override {
    steps.push_back("open");
    launched.push_back(path);
    if (atOpen) atOpen(saved);
  }

  std::wstring folder;
  bool exhausted = false;
  bool holdFails = false;
  bool signatureFails = false;
  SignatureFacts facts;
  std::vector<std::wstring> launched;
  std::vector<std::string> steps;
  const char* saved = nullptr;
  std::function<void(const char*)> atOpen;

private:
  class Held : public HeldInstaller {
  public:
    Held(TestPlatform& platform, std::unique_ptr<HeldInstaller> file)
        : platform_(platform), file_(std::move(file)) {}
    ~Held() override { platform_.steps.push_back("release"); }
    SignatureFacts Signature() override {
      platform_.steps.push_back("signature");
      if (platform_.signatureFails) throw std::runtime_error("wintrust.dll cannot be loaded");
      return platform_.facts;
    }

  private:
    TestPlatform& platform_;
    std::unique_ptr<HeldInstaller> file_;
  };
};

// A test's own folder for the saved installers, removed with all in it; platform_ saves there.
class InstallerFolderTest : public testing::Test {
protected:
  void SetUp() override {
    std::random_device random;
    do dir_ = std::filesystem::temp_directory_path() / ("installer-" + std::to_string(random()));
    while (!std::filesystem::create_directory(dir_));
    platform_.folder = dir_.wstring() + L"/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
  TestPlatform platform_{L""};
};
