#pragma once

#include <string>

// Windows only: ShellExecuteW(0, "open", target, "", "", SW_SHOWNORMAL), the one hand-over to
// the shell for the installer, the manuals, the companion program and the web page. The
// result is not looked at.
void ShellOpen(const std::wstring& target);

// The hand-over as the platforms of the setup logic and of the download offer it.
class Shell {
public:
  virtual ~Shell() = default;
  virtual void ShellOpen(const std::wstring& target) = 0;
};
