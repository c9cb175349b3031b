#include "start/com_session_win.h"

#include <ole2.h>
#include <objbase.h>

#include "base/win32_error_win.h"

OleSession::OleSession() {
  const HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) throw Win32Error("OleInitialize", static_cast<DWORD>(hr));
}

OleSession::~OleSession() { OleUninitialize(); }

ComSession::ComSession() {
  const HRESULT hr = CoInitialize(nullptr);
  if (FAILED(hr)) throw Win32Error("CoInitialize", static_cast<DWORD>(hr));
}

ComSession::~ComSession() { CoUninitialize(); }
