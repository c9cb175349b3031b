#include "base/utf.h"

#include <cstddef>
#include <type_traits>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// One row per lead byte range: how many bytes its sequence has, the lead's value bits and the
// smallest value that needs that many bytes (anything below is an overlong form).
struct LeadRow {
  unsigned char first;
  unsigned char last;
  int length;
  unsigned char valueMask;
  char32_t smallest;
};

constexpr LeadRow kLeads[] = {
    {0x00, 0x7F, 1, 0x7F, 0x0},
    {0xC0, 0xDF, 2, 0x1F, 0x80},
    {0xE0, 0xEF, 3, 0x0F, 0x800},
    {0xF0, 0xF7, 4, 0x07, 0x10000},
};

struct Decoded {
  char32_t value;
  std::size_t length;  // bytes consumed; 1 for an invalid byte
};

Decoded DecodeOne(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const LeadRow* row = nullptr;
  for (const LeadRow& r : kLeads)
    if (lead >= r.first && lead <= r.last) row = &r;
  if (row == nullptr || bytes.size() < static_cast<std::size_t>(row->length))
    return {kReplacement, 1};
  char32_t value = lead & row->valueMask;
  for (int k = 1; k < row->length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return {kReplacement, 1};
    value = (value << 6) | (next & 0x3F);
  }
  if (value < row->smallest || IsSurrogate(value) || value > kMaxCodePoint)
    return {kReplacement, 1};
  return {value, static_cast<std::size_t>(row->length)};
}

template <typename Unit>
void AppendUnits(std::basic_string<Unit>& out, char32_t value) {
  if constexpr (sizeof(Unit) == 2) {
    if (value >= 0x10000) {
      value -= 0x10000;
      out += static_cast<Unit>(0xD800 + (value >> 10));
      out += static_cast<Unit>(0xDC00 + (value & 0x3FF));
      return;
    }
  }
  out += static_cast<Unit>(value);
}

void AppendUtf8(std::string& out, char32_t value) {
  if (value < 0x80) {
    out += static_cast<char>(value);
  } else if (value < 0x800) {
    out += static_cast<char>(0xC0 | (value >> 6));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    out += static_cast<char>(0xE0 | (value >> 12));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (value >> 18));
    out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  }
}

template <typename Unit>
std::basic_string<Unit> Decode(std::string_view utf8) {
  std::basic_string<Unit> out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const Decoded d = DecodeOne(utf8);
    AppendUnits(out, d.value);
    utf8.remove_prefix(d.length);
  }
  return out;
}

template <typename Unit>
std::string Encode(std::basic_string_view<Unit> units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    // Unsigned first: a 32-bit wchar_t may be signed.
    char32_t value = static_cast<std::make_unsigned_t<Unit>>(units[i]);
    if constexpr (sizeof(Unit) == 2) {
      if (IsHighSurrogate(value) && i + 1 < units.size() &&
          IsLowSurrogate(static_cast<char32_t>(units[i + 1]))) {
        value = 0x10000 + ((value - 0xD800) << 10) + (static_cast<char32_t>(units[i + 1]) - 0xDC00);
        ++i;
      }
    }
    if (IsSurrogate(value) || value > kMaxCodePoint) value = kReplacement;
    AppendUtf8(out, value);
  }
  return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return Decode<wchar_t>(utf8); }
std::string WideToUtf8(std::wstring_view wide) { return Encode<wchar_t>(wide); }
std::u16string Utf8ToUtf16(std::string_view utf8) { return Decode<char16_t>(utf8); }
std::string Utf16ToUtf8(std::u16string_view utf16) { return Encode<char16_t>(utf16); }
