#pragma once

#include <windows.h>

#include <exception>
#include <string>

// An error that escaped a handler: an error box with OK, titled with the application title.
void ReportHandlerError(HWND owner, const std::wstring& applicationTitle,
                        const std::exception_ptr& error);

// An error that escaped the start-up: a task-modal error box titled "Anwendungsfehler".
void ReportStartupError(const std::exception_ptr& error);
