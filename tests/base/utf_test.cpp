#include "base/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char16_t kBad = u'\uFFFD';

// Every valid input decodes the same to UTF-16 and to the native wide form.
TEST(BaseUtf, ValidSequencesOfEveryLength) {
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToUtf16("A\x7F"), u"A\x7F");
  EXPECT_EQ(Utf8ToUtf16("\xC2\x80\xDF\xBF"), u"\u0080\u07FF");
  EXPECT_EQ(Utf8ToUtf16("Gr\xC3\xB6\xC3\x9F"
                        "e \xE2\x82\xAC"),
            u"Gr\u00F6\u00DFe \u20AC");
  EXPECT_EQ(Utf8ToUtf16("\xE0\xA0\x80\xEF\xBF\xBF"), u"\u0800\uFFFF");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), (std::u16string{0xDBFF, 0xDFFF}));
  const std::wstring wide = Utf8ToWide("\xC3\xA4\xF0\x9F\x98\x80");
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(wide, (std::wstring{L'\u00E4', wchar_t(0xD83D), wchar_t(0xDE00)}));
  } else {
    EXPECT_EQ(wide, (std::wstring{L'\u00E4', wchar_t(0x1F600)}));
  }
}

// Each byte that begins no well-formed sequence is one U+FFFD; the next byte starts afresh.
TEST(BaseUtf, InvalidBytesBecomeOneReplacementEach) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"stray continuation", "a\x80z", {u'a', kBad, u'z'}},
      {"invalid lead",
       "a\xFF\xFE"
       "b",
       {u'a', kBad, kBad, u'b'}},
      {"cut at the end", "cut \xE2\x82", {u'c', u'u', u't', u' ', kBad, kBad}},
      {"cut by an ASCII byte",
       "\xE2\x82"
       "A",
       {kBad, kBad, u'A'}},
      {"cut four-byte", "\xF0\x9F\x98", {kBad, kBad, kBad}},
      {"overlong slash", "\xC0\xAF", {kBad, kBad}},
      {"overlong NUL", "\xC1\x80", {kBad, kBad}},
      {"overlong three-byte", "\xE0\x80\xAF", {kBad, kBad, kBad}},
      {"overlong four-byte", "\xF0\x8F\xBF\xBF", {kBad, kBad, kBad, kBad}},
      {"encoded high surrogate", "\xED\xA0\x80", {kBad, kBad, kBad}},
      {"encoded low surrogate", "\xED\xBF\xBF", {kBad, kBad, kBad}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {kBad, kBad, kBad, kBad}},
      {"five-byte lead", "\xF8\x88\x80\x80\x80", {kBad, kBad, kBad, kBad, kBad}},
      {"valid after invalid", "\xC3\xC3\xA4", {kBad, u'\u00E4'}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected) << c.name;
    EXPECT_EQ(Utf8ToWide(c.bytes).size(), c.expected.size()) << c.name;
  }
}

TEST(BaseUtf, UnpairedSurrogatesAndValuesBeyondUnicodeEncodeAsReplacement) {
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}), "a" + bad + "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, 0xD800}), bad + bad);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D}), bad);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
  if constexpr (sizeof(wchar_t) == 4) {
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD800)}), bad);
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0x110000)}), bad);
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0x10FFFF)}), "\xF4\x8F\xBF\xBF");
  }
}

// Every scalar value survives the way there and back, in both wide
// forms.
TEST(BaseUtf, EveryScalarValueRoundTrips) {
  int failures = 0;
  const auto next = [](char32_t c) -> char32_t {
    return c < 0x10000 || c >= 0x10FFDB ? c + 1 : c + 37;
  };
  for (char32_t c = 0; c <= 0x10FFFF && failures < 10; c = next(c)) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string utf16;
    if (c < 0x10000) {
      utf16 = {static_cast<char16_t>(c)};
    } else {
      utf16 = {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
               static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    }
    const std::string utf8 = Utf16ToUtf8(utf16);
    const std::size_t length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    if (utf8.size() != length || Utf8ToUtf16(utf8) != utf16 ||
        WideToUtf8(Utf8ToWide(utf8)) != utf8) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c);
      ++failures;
    }
  }
}

}  // namespace
