#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "http/parser.h"
#include "http/url.h"

// Going on with a body that was cut: which responses may be resumed, the request for the rest
// and whether the answer continues the same file.
namespace http {

// Tries in a row that bring no byte beyond the most held end the transfer; so does this many
// resumes in one transfer.
inline constexpr int kTriesWithoutProgress = 3;
inline constexpr int kMaxResumes = 100;

// Where a cut body can go on: the hop that sent it, the validator the rest must match and the
// length first announced. The bytes held are those of the body buffer.
struct ResumePoint {
  Url url;
  std::string validator;
  std::uint64_t length = 0;
};

// What a range request may name in If-Range: a strong ETag, else a Last-Modified at least one
// second before the response's Date. A weak ETag never is one.
std::optional<std::string> ValidatorOf(const ResponseHead& head);

// The two lines a resume request adds after its other headers.
std::string RangeLines(std::uint64_t from, const std::string& validator);

// A 206 continues the held bytes only with "bytes from-(length-1)/length", a Content-Length of
// the rest and the same validator.
bool RangeContinues(const ResponseHead& head, const BodyFraming& framing, const ResumePoint& point,
                    std::uint64_t from);

// Seconds since 1970 of an IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT"); other forms are not
// taken, so their responses are not resumed.
std::optional<std::int64_t> ParseHttpDate(std::string_view text);

}  // namespace http
