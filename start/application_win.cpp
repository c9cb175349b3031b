#include "start/application_win.h"

#include "logic/edition.h"
#include "start/error_report_win.h"
#include "start/error_text.h"
#include "logic/platform.h"

int Application::Run() {
  try {
    InitialiseModules();
    com_.emplace();
    CreateWindows();
  } catch (...) {
    ReportStartupError(std::current_exception());
    DestroyWindows();
    FinaliseModules();
    return 1;
  }
  background_->ShowMaximized();
  loop_.Run();
  ExitSetup();
}

void Application::InitialiseModules() {
  ole_.emplace();
  icon_ = LoadIconW(instance_, L"MAINICON");
  title_ = ApplicationTitle(NativeSetupPlatform().ModuleFileName());
  winsock_.emplace();
  InitSetupEdition(values_);
}

// The background window carries the only taskbar button (WS_EX_APPWINDOW); the setup window is
// owned by it and so has none.
void Application::CreateWindows() {
  background_ = std::make_unique<TFrmBackground>(instance_, icon_, *this, *this);
  // The transfer pumps with the loop's own retrieval step, so handlers run nested inside it.
  download_ = std::make_unique<InstallerDownload>(
      values_, [this] { Terminate(); }, [this] { loop_.ProcessMessages(); });
  setup_ = std::make_unique<TFrmSetup>(instance_, background_->Handle(), icon_, *this, *download_,
                                       *this, values_);
  background_->AttachSetupWindow(setup_->Handle());
}

// The download controller is left alone: an exit may run nested inside its attempt.
void Application::DestroyWindows() {
  if (background_) background_->DetachSetupWindow();
  if (setup_ && setup_->Handle()) ShowWindow(setup_->Handle(), SW_HIDE);
  setup_.reset();
  background_.reset();
}

void Application::FinaliseModules() {
  com_.reset();
  winsock_.reset();
  ole_.reset();
}

void Application::ExitSetup() {
  // A window destroyed below might call back in; the process ends all the same.
  if (exiting_) ExitProcess(0);
  exiting_ = true;
  DestroyWindows();
  FinaliseModules();
  ExitProcess(0);
}

void Application::Terminate() { PostQuitMessage(0); }

void Application::Report(std::exception_ptr error) noexcept {
  try {
    HWND owner = setup_ && IsWindowVisible(setup_->Handle()) ? setup_->Handle() : nullptr;
    ReportHandlerError(owner, title_, error);
  } catch (...) {
    MessageBoxW(nullptr, L"Out of memory.", L"Anwendungsfehler", MB_OK | MB_ICONERROR);
  }
}
