#include "http/resume.h"

#include <array>

namespace http {
namespace {

// An opaque tag in quotes of visible characters only: it goes back into a request line.
bool IsStrongEtag(std::string_view tag) {
  if (tag.size() < 2 || tag.front() != '"' || tag.back() != '"') return false;
  for (char ch : tag.substr(1, tag.size() - 2)) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x21 || c == '"' || c == 0x7F) return false;
  }
  return true;
}

bool TakeNumber(std::string_view& text, std::size_t digits, int& value) {
  if (text.size() < digits) return false;
  value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  text.remove_prefix(digits);
  return true;
}

bool TakeLiteral(std::string_view& text, std::string_view literal) {
  if (text.substr(0, literal.size()) != literal) return false;
  text.remove_prefix(literal.size());
  return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<std::int64_t>(era) * 146097 + doe - 719468;
}

}  // namespace

std::optional<std::int64_t> ParseHttpDate(std::string_view text) {
  static constexpr std::array<std::string_view, 7> kDays = {"Mon", "Tue", "Wed", "Thu",
                                                            "Fri", "Sat", "Sun"};
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (text.size() != 29) return std::nullopt;
  bool dayKnown = false;
  for (auto day : kDays) dayKnown = dayKnown || TakeLiteral(text, day);
  int d = 0, y = 0, hh = 0, mm = 0, ss = 0, month = 0;
  if (!dayKnown || !TakeLiteral(text, ", ") || !TakeNumber(text, 2, d) || !TakeLiteral(text, " "))
    return std::nullopt;
  for (std::size_t i = 0; i < kMonths.size() && month == 0; ++i)
    if (TakeLiteral(text, kMonths[i])) month = static_cast<int>(i) + 1;
  if (month == 0 || !TakeLiteral(text, " ") || !TakeNumber(text, 4, y) || !TakeLiteral(text, " ") ||
      !TakeNumber(text, 2, hh) || !TakeLiteral(text, ":") || !TakeNumber(text, 2, mm) ||
      !TakeLiteral(text, ":") || !TakeNumber(text, 2, ss) || text != " GMT")
    return std::nullopt;
  if (d < 1 || d > 31 || hh > 23 || mm > 59 || ss > 60) return std::nullopt;
  return DaysFromCivil(y, month, d) * 86400 + hh * 3600 + mm * 60 + ss;
}

std::optional<std::string> ValidatorOf(const ResponseHead& head) {
  if (const std::string* etag = head.Find("ETag")) {
    if (IsStrongEtag(*etag)) return *etag;
    if (etag->rfind("W/", 0) == 0) return std::nullopt;
  }
  const std::string* modified = head.Find("Last-Modified");
  const std::string* date = head.Find("Date");
  if (!modified || !date) return std::nullopt;
  const auto m = ParseHttpDate(*modified);
  const auto d = ParseHttpDate(*date);
  if (!m || !d || *d - *m < 1) return std::nullopt;
  return *modified;
}

std::string RangeLines(std::uint64_t from, const std::string& validator) {
  return "Range: bytes=" + std::to_string(from) + "-\r\nIf-Range: " + validator + "\r\n";
}

bool RangeContinues(const ResponseHead& head, const BodyFraming& framing, const ResumePoint& point,
                    std::uint64_t from) {
  if (head.status != 206 || from >= point.length) return false;
  if (framing.kind != Framing::Length || framing.length != point.length - from) return false;
  const std::string* range = head.Find("Content-Range");
  const std::string expected = "bytes " + std::to_string(from) + "-" +
                               std::to_string(point.length - 1) + "/" +
                               std::to_string(point.length);
  if (!range || *range != expected) return false;
  const bool byTag = point.validator.front() == '"';
  const std::string* same = head.Find(byTag ? "ETag" : "Last-Modified");
  return same && *same == point.validator;
}

}  // namespace http
