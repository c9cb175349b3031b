#pragma once

#include <string>
#include <string_view>

// Conversion between UTF-8 and the program's wide strings: UTF-16 where wchar_t has 16 bits
// (Windows), UTF-32 where it has 32.
//
// One validity rule in both directions: whatever does not encode a Unicode scalar value becomes
// U+FFFD and the conversion goes on. In UTF-8 that is each byte that does not begin a
// well-formed sequence (a stray continuation byte, a lead byte whose sequence is cut short,
// an overlong form, an encoded surrogate, a value above U+10FFFF); the bytes after it are read
// again as the start of the next character. In wide strings it is each unpaired surrogate and
// each value above U+10FFFF.

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// The same conversions with UTF-16 on every platform: the wide ones are these on Windows.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
