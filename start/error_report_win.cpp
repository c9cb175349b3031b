#include "start/error_report_win.h"

#include "start/error_text.h"

void ReportHandlerError(HWND owner, const std::wstring& applicationTitle,
                        const std::exception_ptr& error) {
  MessageBoxW(owner, HandlerErrorText(error).c_str(), applicationTitle.c_str(),
              MB_OK | MB_ICONERROR);
}

void ReportStartupError(const std::exception_ptr& error) {
  MessageBoxW(nullptr, StartupErrorText(error).c_str(), L"Anwendungsfehler",
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
