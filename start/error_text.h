#pragma once

#include <exception>
#include <string>
#include <string_view>

// Texts of the program's error reports. Portable, so that the rules are tested natively.

// The executable's file name without its folder, cut at its first full stop, every character
// after the first lower-cased, in any script: "C:\x\START.EXE" gives "Start".
std::wstring ApplicationTitle(std::wstring_view modulePath);

// Appends a full stop when the last character's code lies above that of the full stop.
std::wstring WithFullStop(std::wstring text);

// An error escaping a handler: the innermost message of a nested error, read as UTF-8, with the
// full stop rule.
std::wstring HandlerErrorText(const std::exception_ptr& error);

// An error escaping the start-up: its kind, then its message.
std::wstring StartupErrorText(const std::exception_ptr& error);
