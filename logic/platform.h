#pragma once

#include <string>

#include "base/shell_open.h"

// The few platform queries and hand-overs of the setup logic. Windows implements them with
// GetLocaleInfoW, GetModuleFileNameW and ShellExecuteW; the POSIX build with stand-ins.
class SetupPlatform : public Shell {
public:
  // Like GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, buffer, capacity):
  // characters written including the terminating NUL, or 0 on failure. May throw.
  virtual int GetLocaleAbbrevLangName(wchar_t* buffer, int capacity) = 0;
  // Full path of the running program's file.
  virtual std::wstring ModuleFileName() = 0;
};

// The platform of this build (Windows or POSIX), alive for the whole process.
SetupPlatform& NativeSetupPlatform();
