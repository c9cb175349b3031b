#pragma once

// A static file as servers like nginx serve it: with validators, byte ranges (Range and
// If-Range) and connections that break after a number of body bytes. One behaviour per table
// row of the tests; the hostile rows answer a range wrongly.

#include <cstddef>
#include <string>

#include "tests/support/loopback_server.h"

namespace testsupport {

// How a connection ends after cutAfter body bytes: a reset, an orderly close, or silence (for
// silenceMs, then a close) that the client's read time-out has to notice.
enum class Cut { Reset, Close, Silence };

struct RangedFile {
  std::string body{};
  std::string etag{};          // sent as given (W/"..." is weak); none when empty
  std::string lastModified{};  // an HTTP date; none when empty
  std::string date{};          // the Date header; none when empty
  bool ranges = true;          // false: every request gets the whole file with 200
  // From connection replacedFrom on, the server holds this file (a new version) instead.
  std::string replacement{};
  std::string replacementEtag{};
  int replacedFrom = 1;
  // Each connection sends at most this many body bytes, then ends as cut says; only the first
  // cutConnections connections are cut.
  std::size_t cutAfter = std::string::npos;
  Cut cut = Cut::Reset;
  int silenceMs = 0;
  int cutConnections = 1 << 30;
  // Hostile answers to a range request: its start and its total reported this far off, or a
  // status of its own (such as 416) instead of the 206.
  long long startSkew = 0;
  long long totalSkew = 0;
  int rangeStatus = 206;
};

// Answers requests for the file, one per connection, and ends the connection after the body
// (or at the cut). A Range is honoured only with an If-Range that names the current validator.
Script ServeRanged(RangedFile file);

}  // namespace testsupport
