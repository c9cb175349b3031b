#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "logic/app_control.h"
#include "logic/edition.h"
#include "start/com_session_win.h"
#include "download/download_and_run.h"
#include "http/winsock_session_win.h"
#include "start/message_loop_win.h"
#include "ui/ubackground_win.h"
#include "ui/uSetup_win.h"
#include "ui/window_base_win.h"

// The program's shell: start-up, the two windows, the message loop and every way out.
class Application final : public AppControl, public HandlerErrors {
public:
  explicit Application(HINSTANCE instance) : instance_(instance) {}
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the start-up sequence and the loop; the process then ends inside ExitSetup. Returns
  // only after a start-up error, reported and finalised, with the exit code 1.
  int Run();

  [[noreturn]] void ExitSetup() override;
  void Terminate() override;

  void Report(std::exception_ptr error) noexcept override;

private:
  void InitialiseModules();
  void CreateWindows();
  void DestroyWindows();
  void FinaliseModules();

  HINSTANCE instance_;
  SetupValues values_;
  std::wstring title_;
  HICON icon_ = nullptr;
  std::optional<OleSession> ole_;
  std::optional<net::WinsockSession> winsock_;
  std::optional<ComSession> com_;
  MessageLoop loop_{*this};
  std::unique_ptr<TFrmBackground> background_;
  std::unique_ptr<InstallerDownload> download_;
  std::unique_ptr<TFrmSetup> setup_;
  bool exiting_ = false;
};
