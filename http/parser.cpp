#include "http/parser.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace http {
namespace {

constexpr std::uint64_t kMaxCount =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
constexpr std::size_t kCopyPiece = 32768;

bool IsOws(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsOws(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsOws(s.back())) s.remove_suffix(1);
  return s;
}

bool IsTokenChar(char c) {
  auto u = static_cast<unsigned char>(c);
  return u > 0x20 && u < 0x7F && !std::strchr("\"(),/:;<=>?@[\\]{}", c);
}

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (base == 16 && c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (base == 16 && c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v;
}

bool ParseNumber(std::string_view digits, int base, std::uint64_t& value) {
  if (digits.empty()) return false;
  std::uint64_t v = 0;
  for (char c : digits) {
    int d = DigitValue(c, base);
    if (d < 0 || v > (kMaxCount - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
      return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  value = v;
  return true;
}

template <class F>
void ForEachToken(std::string_view list, F f) {
  while (!list.empty()) {
    auto comma = list.find(',');
    f(Trim(list.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
}

// Collects one line of at most kMaxLineLength bytes (without its line end) from data.
// Sets taken to the bytes taken; Complete when the line feed was among them, Partial before it.
enum class LineStep { Partial, Complete, TooLong };
LineStep TakeLine(std::string& line, const char* data, std::size_t size, std::size_t& taken) {
  const void* lf = std::memchr(data, '\n', size);
  taken = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1 : size;
  std::size_t contentNow = line.size() + (lf ? taken - 1 : taken);
  // A CR may still precede the line feed, so one byte more is allowed until it comes.
  if (contentNow > kMaxLineLength + 1) return LineStep::TooLong;
  line.append(data, lf ? taken - 1 : taken);
  if (!lf) return LineStep::Partial;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line.size() > kMaxLineLength ? LineStep::TooLong : LineStep::Complete;
}

bool ParseStatusLine(std::string_view line, ResponseHead& head) {
  if (line.size() < 12 || line.substr(0, 5) != "HTTP/") return false;
  if (!std::isdigit(static_cast<unsigned char>(line[5])) || line[6] != '.' ||
      !std::isdigit(static_cast<unsigned char>(line[7])) || line[8] != ' ')
    return false;
  head.versionMajor = line[5] - '0';
  head.versionMinor = line[7] - '0';
  std::string_view rest = line.substr(9);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.size() < 3) return false;
  int status = 0;
  for (int i = 0; i < 3; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(rest[static_cast<std::size_t>(i)]))) return false;
    status = status * 10 + (rest[static_cast<std::size_t>(i)] - '0');
  }
  if (status < 100 || (rest.size() > 3 && rest[3] != ' ')) return false;
  head.status = status;
  head.reason.assign(rest.size() > 4 ? rest.substr(4) : std::string_view{});
  return true;
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool ParseDecimal(std::string_view digits, std::uint64_t& value) {
  return ParseNumber(digits, 10, value);
}
bool ParseHex(std::string_view digits, std::uint64_t& value) {
  return ParseNumber(digits, 16, value);
}

std::vector<std::string_view> ResponseHead::All(std::string_view name) const {
  std::vector<std::string_view> values;
  for (const auto& h : headers)
    if (EqualsIgnoreCase(h.name, name)) values.emplace_back(h.value);
  return values;
}

const std::string* ResponseHead::Find(std::string_view name) const {
  for (const auto& h : headers)
    if (EqualsIgnoreCase(h.name, name)) return &h.value;
  return nullptr;
}

HeadParser::Fed HeadParser::Feed(const char* data, std::size_t size) {
  std::size_t used = 0;
  while (used < size && (state_ == State::StatusLine || state_ == State::Fields)) {
    std::size_t taken = 0;
    LineStep step = TakeLine(line_, data + used, size - used, taken);
    if (step == LineStep::TooLong) {
      Fail(Error::LineTooLong);
      break;
    }
    used += taken;
    seen_ += taken;
    if (seen_ > kMaxHeadBytes) {
      Fail(Error::MalformedResponse);
      break;
    }
    if (step == LineStep::Complete) {
      OnLine(line_);
      line_.clear();
    }
  }
  return {used, Status()};
}

ParseStatus HeadParser::Status() const {
  switch (state_) {
    case State::Complete: return ParseStatus::Complete;
    case State::Failed: return ParseStatus::Failed;
    default: return ParseStatus::NeedMore;
  }
}

void HeadParser::OnLine(std::string_view line) {
  if (state_ == State::StatusLine) {
    if (line.empty()) return;  // stray line ends before a status line are tolerated
    if (!ParseStatusLine(line, head_)) return Fail(Error::MalformedResponse);
    state_ = State::Fields;
    return;
  }
  if (line.empty()) {
    state_ = State::Complete;
    return;
  }
  OnField(line);
}

void HeadParser::OnField(std::string_view line) {
  if (IsOws(line.front())) {
    if (head_.headers.empty()) return Fail(Error::MalformedResponse);
    Header& last = head_.headers.back();
    last.folded = true;
    std::string_view more = Trim(line);
    if (!more.empty()) {
      if (!last.value.empty()) last.value += ' ';
      last.value.append(more);
    }
    return;
  }
  auto colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos) return Fail(Error::MalformedResponse);
  std::string_view name = line.substr(0, colon);
  if (!std::all_of(name.begin(), name.end(), IsTokenChar)) return Fail(Error::MalformedResponse);
  if (head_.headers.size() >= kMaxHeaderFields) return Fail(Error::MalformedResponse);
  head_.headers.push_back({std::string(name), std::string(Trim(line.substr(colon + 1)))});
}

bool FramingOf(const ResponseHead& head, BodyFraming& framing) {
  framing = {};
  int s = head.status;
  if ((s >= 100 && s < 200) || s == 204 || s == 304) return true;
  std::string_view lastCoding;
  for (auto value : head.All("Transfer-Encoding"))
    ForEachToken(value, [&](std::string_view t) {
      if (!t.empty()) lastCoding = Trim(t.substr(0, t.find(';')));
    });
  if (EqualsIgnoreCase(lastCoding, "chunked")) {
    framing.kind = Framing::Chunked;
    return true;
  }
  bool haveLength = false;
  bool valid = true;
  std::uint64_t length = 0;
  for (auto value : head.All("Content-Length")) {
    if (Trim(value).empty()) valid = false;
    ForEachToken(value, [&](std::string_view t) {
      std::uint64_t v = 0;
      if (!ParseDecimal(t, v) || (haveLength && v != length)) valid = false;
      haveLength = true;
      length = v;
    });
  }
  if (!valid) return false;
  if (haveLength) {
    framing.kind = Framing::Length;
    framing.length = length;
  } else {
    framing.kind = Framing::UntilClose;
  }
  return true;
}

bool KeepsAlive(const ResponseHead& head) {
  bool close = false, keepAlive = false;
  for (auto value : head.All("Connection"))
    ForEachToken(value, [&](std::string_view t) {
      if (EqualsIgnoreCase(t, "close")) close = true;
      if (EqualsIgnoreCase(t, "keep-alive")) keepAlive = true;
    });
  if (close) return false;
  if (head.versionMajor > 1 || (head.versionMajor == 1 && head.versionMinor >= 1)) return true;
  return keepAlive;
}

BodyDecoder::BodyDecoder(BodyFraming framing) : kind_(framing.kind) {
  switch (kind_) {
    case Framing::None: state_ = State::Done; break;
    case Framing::Length:
      remaining_ = framing.length;
      state_ = remaining_ ? State::Data : State::Done;
      break;
    case Framing::Chunked: state_ = State::SizeLine; break;
    case Framing::UntilClose: state_ = State::Data; break;
  }
}

std::uint64_t BodyDecoder::DataWanted() const {
  if (state_ != State::Data) return 0;
  return kind_ == Framing::UntilClose ? std::numeric_limits<std::uint64_t>::max() : remaining_;
}

bool BodyDecoder::DataReceived(std::size_t n) {
  progress_ += n;
  if (kind_ == Framing::UntilClose) return false;
  remaining_ -= n;
  if (remaining_ > 0) return false;
  if (kind_ == Framing::Length) {
    state_ = State::Done;
    return false;
  }
  state_ = State::DataEnd;
  return true;
}

BodyDecoder::Fed BodyDecoder::Feed(const char* data, std::size_t size, BodySink& sink,
                                   std::size_t maxData) {
  Fed fed;
  while (fed.consumed < size && state_ != State::Done && state_ != State::Failed) {
    if (state_ == State::Data) {
      if (fed.data >= maxData) break;
      auto n = static_cast<std::size_t>(std::min<std::uint64_t>(
          {size - fed.consumed, maxData - fed.data, DataWanted(), kCopyPiece}));
      std::memcpy(sink.Prepare(n), data + fed.consumed, n);
      sink.Commit(n);
      fed.consumed += n;
      fed.data += n;
      if (DataReceived(n)) {
        fed.chunkEnd = true;
        break;
      }
      continue;
    }
    std::size_t lineBytes = 0;
    LineStep step = TakeLine(line_, data + fed.consumed, size - fed.consumed, lineBytes);
    if (step == LineStep::TooLong) {
      Fail(Error::LineTooLong);
      break;
    }
    fed.consumed += lineBytes;
    if (state_ == State::SizeLine) progress_ += lineBytes;
    if (state_ == State::Trailer && (trailerBytes_ += lineBytes) > kMaxHeadBytes) {
      Fail(Error::MalformedResponse);
      break;
    }
    if (step == LineStep::Complete) {
      OnLine(line_);
      line_.clear();
    }
  }
  return fed;
}

void BodyDecoder::OnLine(std::string_view line) {
  switch (state_) {
    case State::SizeLine: {
      std::string_view digits = Trim(line.substr(0, line.find(';')));
      std::uint64_t size = 0;
      if (!ParseHex(digits, size)) return Fail(Error::MalformedResponse);
      remaining_ = size;
      state_ = size ? State::Data : State::Trailer;
      return;
    }
    case State::DataEnd:
      if (!line.empty()) return Fail(Error::MalformedResponse);
      state_ = State::SizeLine;
      return;
    case State::Trailer:
      if (line.empty()) state_ = State::Done;
      return;
    default: return;
  }
}

bool BodyDecoder::EndOfInput() {
  if (kind_ == Framing::UntilClose && state_ == State::Data) state_ = State::Done;
  return state_ == State::Done;
}

}  // namespace http
