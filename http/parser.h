#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "http/error.h"

// The response side of HTTP/1.1 as state machines over bytes: they work the same on a socket's
// reads and on bytes in memory, whole or one at a time.
namespace http {

inline constexpr std::size_t kMaxLineLength = 16384;
inline constexpr std::size_t kMaxHeadBytes = 1 << 20;
inline constexpr std::size_t kMaxHeaderFields = 1000;

struct Header {
  std::string name;
  std::string value;
  bool folded = false;  // continued on further lines (obsolete line folding)
};

struct ResponseHead {
  int versionMajor = 0;
  int versionMinor = 0;
  int status = 0;
  std::string reason;
  std::vector<Header> headers;

  // Values of every header with this name (case-insensitive), in order.
  std::vector<std::string_view> All(std::string_view name) const;
  const std::string* Find(std::string_view name) const;
};

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Overflow-checked; the value must fit a signed 64-bit count.
bool ParseDecimal(std::string_view digits, std::uint64_t& value);
bool ParseHex(std::string_view digits, std::uint64_t& value);

enum class ParseStatus { NeedMore, Complete, Failed };

// Reads a response head: status line, header fields, blank line.
class HeadParser {
public:
  struct Fed {
    std::size_t consumed;  // bytes taken, never past the blank line that ends the head
    ParseStatus status;
  };

  Fed Feed(const char* data, std::size_t size);
  Error error() const { return error_; }
  const ResponseHead& head() const { return head_; }
  std::size_t bytesSeen() const { return seen_; }

private:
  enum class State {
    StatusLine,  // waits for the status line, skipping blank lines; then Fields
    Fields,      // waits for a header field or the blank line; then Complete
    Complete,    // the head is read; Feed takes nothing more
    Failed,      // a line broke the rules or a limit; error() says which
  };
  void Fail(Error e) {
    state_ = State::Failed;
    error_ = e;
  }
  ParseStatus Status() const;
  void OnLine(std::string_view line);
  void OnField(std::string_view line);

  State state_ = State::StatusLine;
  Error error_ = Error::MalformedResponse;
  ResponseHead head_;
  std::string line_;
  std::size_t seen_ = 0;
};

enum class Framing { None, Length, Chunked, UntilClose };
struct BodyFraming {
  Framing kind = Framing::None;
  std::uint64_t length = 0;
};

// How the body of this response is delimited; false for a malformed or contradictory length.
bool FramingOf(const ResponseHead& head, BodyFraming& framing);
// The connection may carry another request after this response.
bool KeepsAlive(const ResponseHead& head);

// Where body bytes go: a buffer for the final response, a scratch area for discarded ones.
class BodySink {
public:
  virtual ~BodySink() = default;
  // Room for n bytes (n <= 32768 when the sink discards).
  virtual char* Prepare(std::size_t n) = 0;
  virtual void Commit(std::size_t n) = 0;
};

// Reads a body in the framing its head gives; the caller owns the buffers.
class BodyDecoder {
public:
  struct Fed {
    std::size_t consumed = 0;  // input bytes used, body data and framing
    std::size_t data = 0;      // of them, the body data handed to the sink
    bool chunkEnd = false;     // stopped because a chunk's data was complete
  };

  explicit BodyDecoder(BodyFraming framing);

  bool done() const { return state_ == State::Done; }
  bool failed() const { return state_ == State::Failed; }
  Error error() const { return error_; }

  // Body bytes the caller may receive straight into the sink now; 0 while framing bytes
  // (chunk-size lines, line ends, trailers) are due.
  std::uint64_t DataWanted() const;
  // n bytes (at most DataWanted()) were received straight into the sink. True when they
  // completed a chunk's data.
  bool DataReceived(std::size_t n);

  // Decodes the bytes given, copying body data to the sink, up to maxData data bytes, the end
  // of a chunk's data, the end of the body or a failure, whichever comes first.
  Fed Feed(const char* data, std::size_t size, BodySink& sink, std::size_t maxData);

  // The connection ended in an orderly way: true when that is the body's end.
  bool EndOfInput();

  // The progress count: the data, and for a chunked body also its chunk-size lines.
  std::uint64_t progress() const { return progress_; }

private:
  enum class State {
    SizeLine,  // waits for a chunk-size line; then Data, or Trailer after the last chunk
    Data,      // waits for body data; then DataEnd after a chunk, Done after a whole body
    DataEnd,   // waits for the line end after a chunk's data; then SizeLine
    Trailer,   // waits for trailer fields up to a blank line; then Done
    Done,      // the body is complete; nothing more is taken
    Failed,    // the framing broke; error() says how
  };
  void Fail(Error e) {
    state_ = State::Failed;
    error_ = e;
  }
  void OnLine(std::string_view line);

  Framing kind_;
  State state_;
  Error error_ = Error::MalformedResponse;
  std::uint64_t remaining_ = 0;
  std::uint64_t progress_ = 0;
  std::size_t trailerBytes_ = 0;
  std::string line_;
};

}  // namespace http
