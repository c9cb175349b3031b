#include "tools/demo-installer/marker_win.h"

#include <windows.h>

#include <string>

#include "base/utf.h"
#include "base/handles_win.h"

bool WriteRunMarker(const std::wstring& programPath, const std::wstring& commandLine) {
  if (programPath.empty()) return false;
  const FileHandle file =
      AdoptFile(CreateFileW((programPath + L".ran").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const std::string text = WideToUtf8(programPath + L"\r\n" + commandLine + L"\r\n");
  DWORD written = 0;
  return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}
