#pragma once

#include <string>

// Lower-cases every character of text with the simple one-to-one mapping of Unicode, in place;
// the length never changes.
void LowerCaseInPlace(std::wstring& text);
