#pragma once

#include <string>
#include <string_view>

#include "logic/edition.h"

// The four local targets beside the program, behind the links of the "More" page.
enum class LocalTarget { PavoWindowsManual, PavoAndroidManual, RiloManual, RiloProgram };

// The maker's contact page in the given language.
std::wstring ContactAddress(TUiLanguage language);

// The program's folder: its file path up to and including the last backslash or colon;
// empty when it holds neither.
std::wstring_view ProgramFolder(std::wstring_view moduleFile);

// The file part of a target, which begins with a backslash.
std::wstring_view TargetFilePart(LocalTarget target, TUiLanguage language);

// Program folder + "\bin\" + language code + file part. The folder already ends with a
// backslash, so the result holds two in a row before "bin"; Windows reads them as one.
std::wstring LocalTargetPath(std::wstring_view moduleFile, TUiLanguage language,
                             LocalTarget target);
