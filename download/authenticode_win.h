#pragma once

#include <windows.h>

#include <string>

#include "download/installer_trust.h"

// The Authenticode facts of a file through WinVerifyTrust (WINTRUST_ACTION_GENERIC_VERIFY_V2),
// read through `file`, an open handle with read access to `path`. No user interface, no
// revocation checking and no network retrieval, so the check cannot stall the window.
// wintrust.dll and crypt32.dll are no known DLLs: they are loaded from the system folder by
// full path. Throws std::runtime_error when they cannot be loaded.
SignatureFacts ReadAuthenticode(const std::wstring& path, HANDLE file);
