#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "http/client.h"

// The response side of HTTP/1.1 as state machines over bytes: they work the same on a socket's
// reads and on bytes in memory, whole or one at a time.
namespace http {

inline constexpr std::size_t kMaxLineLength = 16384;
inline constexpr std::size_t kMaxHeadBytes = 1 << 20;

struct Header {
  std::string name;
  std::string value;
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

class HeadParser {
public:
  enum class State { Incomplete, Complete, Failed };

  // Consumes bytes up to the end of the head (the blank line) and no further.
  std::size_t Feed(const char* data, std::size_t size);
  State state() const { return state_; }
  Error error() const { return error_; }
  const ResponseHead& head() const { return head_; }
  std::size_t bytesSeen() const { return seen_; }

private:
  void Fail(Error e) {
    state_ = State::Failed;
    error_ = e;
  }
  void OnLine(std::string_view line);

  State state_ = State::Incomplete;
  Error error_ = Error::MalformedResponse;
  ResponseHead head_;
  std::string line_;
  std::size_t seen_ = 0;
  bool statusSeen_ = false;
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

class BodyDecoder {
public:
  explicit BodyDecoder(BodyFraming framing);

  bool done() const { return state_ == State::Done; }
  bool failed() const { return state_ == State::Failed; }
  Error error() const { return error_; }

  // Body bytes the caller may receive straight into the sink now; 0 while framing bytes
  // (chunk-size lines, line ends, trailers) are due.
  std::uint64_t DataWanted() const;
  // n bytes (at most DataWanted()) were received straight into the sink.
  void DataReceived(std::size_t n);

  // Decodes buffered bytes, copying data to the sink. Stops when maxData data bytes were
  // taken, at the end of a chunk's data when stopAtChunkEnd, at the end of the body or on
  // failure. Returns the bytes consumed; dataTaken is the part of them that was body data.
  std::size_t Feed(const char* data, std::size_t size, BodySink& sink, std::size_t maxData,
                   bool stopAtChunkEnd, std::size_t& dataTaken);

  // The connection ended in an orderly way: true when that is the body's end.
  bool EndOfInput();

  // The progress count: data bytes, and for chunked bodies every byte of the coding too.
  std::uint64_t progress() const { return progress_; }
  // True once after a chunk's data has been complete.
  bool TakeChunkEnd() {
    bool ended = chunkEnded_;
    chunkEnded_ = false;
    return ended;
  }

private:
  enum class State { SizeLine, Data, DataEnd, Trailer, Done, Failed };
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
  std::string line_;
  bool chunkEnded_ = false;
};

}  // namespace http
