#include "http/client.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>

#include "base/sliced_wait.h"
#include "http/cookies.h"
#include "http/parser.h"
#include "http/resume.h"
#include "http/transport.h"
#include "http/url.h"

namespace http {
namespace {

constexpr std::size_t kBlock = 32768;
constexpr std::size_t kBulk = std::size_t{1} << 20;  // most bytes taken by one receive
constexpr int kMaxRedirects = 15;                    // the 15th redirect response is not followed
constexpr int kMaxInterimResponses = 32;
// After a readiness that brought nothing, the next wait first rests this long (input still
// wakes it): a connection that always says ready costs a bounded number of calls.
constexpr int kIdleRestMs = 10;

// Where body bytes go. Room() is how many more data bytes the sink takes.
class BufferSink final : public BodySink {
public:
  BufferSink(BodyBuffer& body, std::size_t max) : body_(body), max_(max) {}
  char* Prepare(std::size_t n) override { return body_.Append(n); }
  void Commit(std::size_t n) override { body_.Commit(n); }
  std::uint64_t Room() const { return max_ - body_.size(); }

private:
  BodyBuffer& body_;
  std::size_t max_;
};

class DiscardSink final : public BodySink {
public:
  char* Prepare(std::size_t) override { return scratch_.get(); }
  void Commit(std::size_t) override {}

private:
  std::unique_ptr<char[]> scratch_ = std::make_unique<char[]>(kBlock);
};

std::int64_t Announced(const BodyFraming& framing) {
  return framing.kind == Framing::Length ? static_cast<std::int64_t>(framing.length) : 0;
}

bool IsRedirect(int status) { return status >= 300 && status <= 399 && status != 304; }

// The failures after which a resumable body is asked for again: the connection, not the
// server's answer, broke.
bool IsCut(Error e) {
  switch (e) {
    case Error::ResolveFailed:
    case Error::ConnectFailed:
    case Error::ConnectTimeout:
    case Error::ReadTimeout:
    case Error::ConnectionClosed:
    case Error::ConnectionReset:
    case Error::SendFailed: return true;
    default: return false;
  }
}

// How a body read ended.
enum class BodyEnd {
  Complete,         // its framing says it is whole; the connection may go on
  ConnectionEnded,  // the server ended the connection, which ends this body
  Cut,              // a discarded body reached its limit; the connection cannot go on
};

}  // namespace

struct HttpClient::Impl {
  Impl(Settings s, Events e, std::unique_ptr<Connector> c)
      : settings(s),
        events(std::move(e)),
        connector(std::move(c)),
        pacer(events.pump, settings.pumpIntervalMs, events.input, settings.inputAskMs) {}

  Settings settings;
  Events events;
  std::unique_ptr<Connector> connector;
  base::PumpPacer pacer;

  std::unique_ptr<Connection> conn;
  std::string connHost;
  std::uint16_t connPort = 0;
  bool connKeep = false;

  // Bytes received but not yet parsed: head lines, chunk framing, data that came with them.
  std::unique_ptr<char[]> rx = std::make_unique<char[]>(kBlock);
  std::size_t rxBegin = 0;
  std::size_t rxEnd = 0;

  CookieJar cookies;

  // The final body being read, while it can be resumed; kept with its bytes after a failure
  // that a later transfer may go on from.
  std::optional<ResumePoint> resumable;
  // Bytes held before the part of the body now read: its progress counts on from them.
  std::uint64_t progressBase = 0;

  void Drop() {
    conn.reset();
    connKeep = false;
    rxBegin = rxEnd = 0;
  }

  bool RxEmpty() const { return rxBegin == rxEnd; }

  void Transfer(Url url, BodyBuffer& body);
  void Redirect(const ResponseHead& head, const BodyFraming& framing, Url& url);
  void MarkResumable(const ResponseHead& head, const BodyFraming& framing, const Url& url);
  void ReadFinalBody(const ResponseHead& head, BodyFraming framing, BodyBuffer& body,
                     const Url& url);
  void ReadWholeBody(const ResponseHead& head, BodyFraming framing, BodyBuffer& body);
  // Asks for the rest until the body is whole, waiting between tries with pumps; throws when
  // the tries run out (the point stays) or the server's answer does not go on (it does not).
  void GoOn(BodyBuffer& body, bool waitFirst, HttpError cause);
  void ResumeOnce(BodyBuffer& body);
  void Rest(int ms);
  ResponseHead Exchange(const Url& url);
  std::string Request(const Url& url) const;
  enum class SendEnd { Sent, Broken };
  SendEnd SendRequest(const std::string& request);
  ResponseHead ReadHead(bool& nothingReceived);

  // A body: the begin event, the bytes that came with the head as the first block, then one
  // block after another, each reported and followed by a pump.
  struct BodyRead {
    std::int64_t announced;  // the length for the begin event, 0 when none is given
    BodyDecoder decoder;
    BodySink& sink;
    bool discarded;                  // any end of the connection ends it; cut at the limit
    std::uint64_t discardLimit = 0;  // for a discarded body, of the progress count
    BufferSink* buffer = nullptr;    // for the final body, which fails beyond its room
  };
  BodyEnd ReadBody(BodyRead& read);
  std::uint64_t Left(const BodyRead& read) const;
  void TakeBuffered(BodyRead& read);
  // One block: up to kBlock data bytes, the end of a chunk's data or the end of the body.
  // True when the connection ended with it.
  bool ReadBlock(BodyRead& read);
  // The final body at its limit: true when the connection ended it.
  bool ReadEndAtLimit(BodyRead& read);
  // Receives into the empty buffer; true when the connection ended instead.
  bool RefillEnded(BodyRead& read);
  void ConnectionEnded(BodyRead& read, net::IoStatus status);
  void Report(const BodyRead& read);
  // A block that ended at progress, within a run of blocks taken by one receive.
  void ReportAt(std::uint64_t progress);

  BodyEnd DiscardBody(const BodyFraming& framing);
  void DiscardRedirectBody(const ResponseHead& head, const BodyFraming& framing);
  void KeepOrDrop(const ResponseHead& head, const BodyFraming& framing, BodyEnd end);
  bool WaitForFirstBytes(int limitMs);

  // Receives up to n bytes at dest(), waiting in slices with pumps for at most the read
  // time-out. dest() is asked only right before the receive, so no pointer into a buffer is
  // held across a pump. One clock runs until data comes: a readiness without data does not
  // start the time-out again.
  template <class Dest>
  net::IoResult ReceiveWait(Dest dest, std::size_t n) {
    std::optional<base::WaitClock> clock;
    for (;;) {
      net::IoResult r = conn->Receive(dest(), n);
      // Input is asked at the end of the block or in the next wait, which wakes on it.
      if (r.status == net::IoStatus::Data) pacer.PumpIfDue(false);
      if (r.status != net::IoStatus::WouldBlock) return r;
      const bool rest = clock.has_value();
      if (!clock) clock.emplace(pacer);
      if (!WaitReady(net::Want::Read, *clock, rest, Error::ReadTimeout, "no data for "))
        return {net::IoStatus::Reset, 0};
    }
  }

  // Waits in slices with pumps until the connection is ready for want, until the clock reaches
  // the read time-out, then fails with timeoutError. With rest, the wait first rests a little.
  // False when the connection broke meanwhile.
  bool WaitReady(net::Want want, const base::WaitClock& clock, bool rest, Error timeoutError,
                 const std::string& timeoutText) {
    auto ready = [&](int ms) {
      if (rest) {
        rest = false;
        const int restMs = std::min(ms, kIdleRestMs);
        if (base::WaitForEventOrInput(nullptr, pacer.input(), restMs) == base::WaitResult::Input)
          return base::WaitResult::Input;
        ms = std::max(ms - restMs, 1);
      }
      return conn->Wait(want, ms, pacer.input());
    };
    const base::WaitResult r =
        base::WaitInSlices(ready, settings.readSliceMs, settings.readTimeoutMs, pacer, clock);
    if (r == base::WaitResult::Timeout)
      throw HttpError(timeoutError, timeoutText + std::to_string(settings.readTimeoutMs) + " ms");
    return r != base::WaitResult::Error;
  }
};

HttpClient::HttpClient(Settings settings, Events events)
    : HttpClient(settings, std::move(events), MakeSocketConnector()) {}

HttpClient::HttpClient(Settings settings, Events events, std::unique_ptr<Connector> connector)
    : impl_(std::make_unique<Impl>(settings, std::move(events), std::move(connector))) {}

HttpClient::~HttpClient() = default;

void HttpClient::Get(const std::string& url, BodyBuffer& body) {
  body.Clear();
  impl_->cookies.Clear();
  impl_->resumable.reset();
  std::optional<Url> parsed = ParseHttpUrl(url);
  if (!parsed) throw HttpError(Error::InvalidUrl, url);
  Run(body, [&] { impl_->Transfer(*parsed, body); });
}

void HttpClient::Continue(const ResumePoint& from, BodyBuffer& body) {
  impl_->cookies.Clear();
  impl_->resumable = from;
  Run(body, [&] { impl_->GoOn(body, false, HttpError(Error::ConnectionClosed, "held")); });
}

const std::optional<ResumePoint>& HttpClient::resumable() const { return impl_->resumable; }

template <class Transfer>
void HttpClient::Run(BodyBuffer& body, Transfer transfer) {
  impl_->progressBase = 0;
  try {
    transfer();
    impl_->resumable.reset();
  } catch (const std::bad_alloc&) {
    impl_->Drop();
    impl_->resumable.reset();
    body.Release();
    throw HttpError(Error::BodyTooLarge, "no memory for the body");
  } catch (...) {
    impl_->Drop();
    if (!impl_->resumable) body.Release();
    throw;
  }
}

void HttpClient::Impl::Transfer(Url url, BodyBuffer& body) {
  int redirects = 0;
  for (;;) {
    ResponseHead head = Exchange(url);
    cookies.Store(url, head);
    BodyFraming framing;
    if (!FramingOf(head, framing)) throw HttpError(Error::MalformedResponse, "bad Content-Length");

    if (settings.followRedirects && IsRedirect(head.status)) {
      if (!head.Find("Location"))
        throw HttpError(Error::RedirectWithoutLocation, std::to_string(head.status));
      if (++redirects >= kMaxRedirects)
        throw HttpError(Error::TooManyRedirects, std::to_string(redirects));
      Redirect(head, framing, url);
      continue;
    }

    // A part of a file is never taken for the whole.
    if (head.status >= 200 && head.status <= 299 && head.status != 206) {
      ReadFinalBody(head, framing, body, url);
      return;
    }

    try {
      DiscardBody(framing);
    } catch (const HttpError&) {
      // The status decides the failure; a broken error body changes nothing about it.
    }
    Drop();
    throw HttpError(Error::BadStatus, std::to_string(head.status) + " " + head.reason);
  }
}

// Moves url to the redirect's Location after the response's body has been discarded; a
// Location the client cannot follow fails, an https one only after that body.
void HttpClient::Impl::Redirect(const ResponseHead& head, const BodyFraming& framing, Url& url) {
  const std::string& location = *head.Find("Location");
  Url next;
  switch (ResolveLocation(url, location, next)) {
    case LocationProblem::None: break;
    case LocationProblem::Https: try { DiscardRedirectBody(head, framing);
      } catch (const HttpError&) {
        // The redirect decides the failure.
      }
      throw HttpError(Error::RedirectToHttps, location);
    case LocationProblem::ControlCharacter:
      throw HttpError(Error::BadLocation, "control character");
    case LocationProblem::Unusable: throw HttpError(Error::BadLocation, location);
  }
  DiscardRedirectBody(head, framing);
  url = std::move(next);
}

// A 200 of announced length with a validator can be resumed when its body is cut.
void HttpClient::Impl::MarkResumable(const ResponseHead& head, const BodyFraming& framing,
                                     const Url& url) {
  const std::optional<std::string> validator = ValidatorOf(head);
  if (head.status == 200 && framing.kind == Framing::Length && framing.length > 0 && validator)
    resumable = ResumePoint{url, *validator, framing.length};
  else
    resumable.reset();
}

void HttpClient::Impl::ReadFinalBody(const ResponseHead& head, BodyFraming framing,
                                     BodyBuffer& body, const Url& url) {
  MarkResumable(head, framing, url);
  try {
    ReadWholeBody(head, framing, body);
  } catch (const HttpError& e) {
    if (!resumable || !IsCut(e.code())) throw;
    GoOn(body, true, e);
  }
}

void HttpClient::Impl::GoOn(BodyBuffer& body, bool waitFirst, HttpError cause) {
  int withoutProgress = 0;
  std::uint64_t most = body.size();
  for (int resumes = 0; resumes < kMaxResumes; ++resumes) {
    if (waitFirst) Rest(settings.resumeWaitMs << withoutProgress);
    waitFirst = true;
    try {
      ResumeOnce(body);
      return;
    } catch (const HttpError& e) {
      if (!resumable || !IsCut(e.code())) {
        resumable.reset();
        throw;
      }
      cause = e;
    }
    if (body.size() > most) {
      most = body.size();
      withoutProgress = 0;
    } else if (++withoutProgress == kTriesWithoutProgress) {
      break;
    }
  }
  throw cause;
}

// One request for the rest on a fresh connection to the hop that sent the body: its request
// with Range and If-Range added. A 200 sends the file again from its start.
void HttpClient::Impl::ResumeOnce(BodyBuffer& body) {
  const ResumePoint point = *resumable;
  const std::uint64_t from = body.size();
  progressBase = 0;
  Drop();
  conn = connector->Connect(point.url.host, point.url.port, settings, pacer);
  connHost = point.url.host;
  connPort = point.url.port;
  std::string request = Request(point.url);
  request.insert(request.size() - 2, RangeLines(from, point.validator));
  if (SendRequest(request) == SendEnd::Broken) throw HttpError(Error::SendFailed, "resume");
  bool nothingReceived = false;
  const ResponseHead head = ReadHead(nothingReceived);
  cookies.Store(point.url, head);
  BodyFraming framing;
  if (!FramingOf(head, framing)) throw HttpError(Error::MalformedResponse, "bad Content-Length");
  if (head.status == 200) {
    body.Clear();
    MarkResumable(head, framing, point.url);
    ReadWholeBody(head, framing, body);
    return;
  }
  if (!RangeContinues(head, framing, point, from))
    throw HttpError(Error::RangeRefused, std::to_string(head.status));
  BufferSink sink(body, settings.maxBody);
  BodyRead read{
      static_cast<std::int64_t>(point.length), BodyDecoder(framing), sink, false, 0, &sink};
  progressBase = from;
  KeepOrDrop(head, framing, ReadBody(read));
}

// Waits with pumps, as for data that does not come.
void HttpClient::Impl::Rest(int ms) {
  auto nothing = [&](int slice) {
    return base::WaitForEventOrInput(nullptr, pacer.input(), slice) == base::WaitResult::Input
               ? base::WaitResult::Input
               : base::WaitResult::Timeout;
  };
  base::WaitInSlices(nothing, settings.readSliceMs, ms, pacer, base::WaitClock(pacer));
}

void HttpClient::Impl::ReadWholeBody(const ResponseHead& head, BodyFraming framing,
                                     BodyBuffer& body) {
  if (head.status == 204) framing.kind = Framing::None;
  BodyEnd end = BodyEnd::Complete;
  if (framing.kind != Framing::None) {
    if (framing.kind == Framing::Length) {
      if (framing.length > settings.maxBody)
        throw HttpError(Error::BodyTooLarge, std::to_string(framing.length));
      body.Reserve(static_cast<std::size_t>(framing.length));
    }
    BufferSink sink(body, settings.maxBody);
    BodyRead read{Announced(framing), BodyDecoder(framing), sink, false, 0, &sink};
    end = ReadBody(read);
  }
  KeepOrDrop(head, framing, end);
}

std::string HttpClient::Impl::Request(const Url& url) const {
  std::string request = "GET " + url.target + " HTTP/1.1\r\n";
  request += "Host: " + url.HostHeader() + "\r\n";
  request += "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n";
  request += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
  std::string cookie = cookies.HeaderFor(url);
  if (!cookie.empty()) request += "Cookie: " + cookie + "\r\n";
  request += "\r\n";
  return request;
}

// A server that stops reading is waited for like a silent one: in slices with pumps, up to the
// read time-out.
HttpClient::Impl::SendEnd HttpClient::Impl::SendRequest(const std::string& request) {
  std::size_t sent = 0;
  std::optional<base::WaitClock> clock;
  while (sent < request.size()) {
    net::IoResult r = conn->Send(request.data() + sent, request.size() - sent);
    if (r.status == net::IoStatus::Data) {
      sent += r.bytes;
      clock.reset();
      pacer.PumpIfDue();
      continue;
    }
    if (r.status != net::IoStatus::WouldBlock) return SendEnd::Broken;
    const bool rest = clock.has_value();
    if (!clock) clock.emplace(pacer);
    if (!WaitReady(net::Want::Write, *clock, rest, Error::SendFailed,
                   "the server took no data for "))
      return SendEnd::Broken;
  }
  return SendEnd::Sent;
}

ResponseHead HttpClient::Impl::Exchange(const Url& url) {
  // A kept connection the server has closed meanwhile is noticed only when the request meets
  // its end: then one fresh connection is tried.
  for (int attempt = 0;; ++attempt) {
    bool reused = conn && connKeep && connHost == url.host && connPort == url.port;
    if (!reused) {
      Drop();
      conn = connector->Connect(url.host, url.port, settings, pacer);
      connHost = url.host;
      connPort = url.port;
    }
    connKeep = false;
    bool retry = reused && attempt == 0;
    if (SendRequest(Request(url)) == SendEnd::Broken) {
      Drop();
      if (retry) continue;
      throw HttpError(Error::SendFailed, url.ToString());
    }
    bool nothingReceived = false;
    try {
      return ReadHead(nothingReceived);
    } catch (const HttpError& e) {
      bool ended = e.code() == Error::ConnectionClosed || e.code() == Error::ConnectionReset;
      Drop();
      if (retry && ended && nothingReceived) continue;
      throw;
    }
  }
}

ResponseHead HttpClient::Impl::ReadHead(bool& nothingReceived) {
  int interim = 0;
  auto parser = std::make_unique<HeadParser>();
  for (;;) {
    if (!RxEmpty()) {
      HeadParser::Fed fed = parser->Feed(rx.get() + rxBegin, rxEnd - rxBegin);
      rxBegin += fed.consumed;
      if (fed.status == ParseStatus::Failed)
        throw HttpError(parser->error(), "in the response head");
      if (fed.status == ParseStatus::Complete) {
        if (parser->head().status != 100) return parser->head();
        if (++interim > kMaxInterimResponses)
          throw HttpError(Error::MalformedResponse, "endless interim responses");
        parser = std::make_unique<HeadParser>();
        continue;
      }
    }
    rxBegin = rxEnd = 0;
    net::IoResult r = ReceiveWait([this] { return rx.get(); }, kBlock);
    if (r.status == net::IoStatus::Data) {
      rxEnd = r.bytes;
      continue;
    }
    nothingReceived = interim == 0 && parser->bytesSeen() == 0;
    if (r.status == net::IoStatus::Closed)
      throw HttpError(Error::ConnectionClosed, "before the end of the head");
    throw HttpError(Error::ConnectionReset, "in the response head");
  }
}

BodyEnd HttpClient::Impl::ReadBody(BodyRead& read) {
  const BodyDecoder& decoder = read.decoder;
  if (events.workBegin) events.workBegin(read.announced);
  TakeBuffered(read);
  while (!decoder.done()) {
    if (Left(read) == 0) {
      if (read.discarded) return BodyEnd::Cut;
      bool ended = ReadEndAtLimit(read);
      Report(read);
      return ended ? BodyEnd::ConnectionEnded : BodyEnd::Complete;
    }
    bool ended = ReadBlock(read);
    Report(read);
    if (ended) return BodyEnd::ConnectionEnded;
  }
  return BodyEnd::Complete;
}

std::uint64_t HttpClient::Impl::Left(const BodyRead& read) const {
  if (read.buffer) return read.buffer->Room();
  std::uint64_t progress = read.decoder.progress();
  return progress >= read.discardLimit ? 0 : read.discardLimit - progress;
}

// The bytes that came with the head, as far as they belong to the body, are its first block.
void HttpClient::Impl::TakeBuffered(BodyRead& read) {
  if (RxEmpty() || read.decoder.done()) return;
  while (!RxEmpty() && !read.decoder.done() && Left(read) > 0) {
    auto room = static_cast<std::size_t>(std::min<std::uint64_t>(Left(read), kBlock));
    BodyDecoder::Fed fed = read.decoder.Feed(rx.get() + rxBegin, rxEnd - rxBegin, read.sink, room);
    rxBegin += fed.consumed;
    if (read.decoder.failed()) throw HttpError(read.decoder.error(), "in the body");
  }
  Report(read);
}

bool HttpClient::Impl::ReadBlock(BodyRead& read) {
  BodyDecoder& decoder = read.decoder;
  std::size_t block = 0;
  for (;;) {
    auto room = static_cast<std::size_t>(std::min<std::uint64_t>(Left(read), kBlock - block));
    if (room == 0) return false;
    std::uint64_t wanted = decoder.DataWanted();
    bool chunkEnd = false;
    if (wanted > 0 && RxEmpty()) {
      // Body data straight into its place, without a copy. Into the buffer, one receive may
      // take several blocks: fewer calls, the same events and pumps.
      std::uint64_t most = read.buffer ? std::min<std::uint64_t>(Left(read), kBulk) : room;
      auto n = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, most));
      net::IoResult r = ReceiveWait([&] { return read.sink.Prepare(n); }, n);
      if (r.status != net::IoStatus::Data) {
        ConnectionEnded(read, r.status);
        return true;
      }
      read.sink.Commit(r.bytes);
      chunkEnd = decoder.DataReceived(r.bytes);
      block += r.bytes;
      for (; block > kBlock; block -= kBlock) ReportAt(decoder.progress() - (block - kBlock));
    } else {
      if (RxEmpty() && RefillEnded(read)) return true;
      BodyDecoder::Fed fed = decoder.Feed(rx.get() + rxBegin, rxEnd - rxBegin, read.sink, room);
      rxBegin += fed.consumed;
      block += fed.data;
      chunkEnd = fed.chunkEnd;
      if (decoder.failed()) throw HttpError(decoder.error(), "in the body");
    }
    if (chunkEnd || decoder.done() || block >= kBlock) return false;
  }
}

// A body of unknown length may end exactly at the limit: with its last chunk and trailer, or
// with the end of the connection. Only a further data byte makes it too large.
bool HttpClient::Impl::ReadEndAtLimit(BodyRead& read) {
  BodyDecoder& decoder = read.decoder;
  while (!decoder.done()) {
    if (RxEmpty() && RefillEnded(read)) return true;
    BodyDecoder::Fed fed = decoder.Feed(rx.get() + rxBegin, rxEnd - rxBegin, read.sink, 0);
    rxBegin += fed.consumed;
    if (decoder.failed()) throw HttpError(decoder.error(), "in the body");
    if (!decoder.done() && !RxEmpty())
      throw HttpError(Error::BodyTooLarge, "more than " + std::to_string(settings.maxBody));
  }
  return false;
}

bool HttpClient::Impl::RefillEnded(BodyRead& read) {
  rxBegin = rxEnd = 0;
  net::IoResult r = ReceiveWait([this] { return rx.get(); }, kBlock);
  if (r.status != net::IoStatus::Data) {
    ConnectionEnded(read, r.status);
    return true;
  }
  rxEnd = r.bytes;
  return false;
}

// The connection ended inside a body. A discarded body simply ends with it; the final body is
// complete only when its framing says so, and a reset never completes it.
void HttpClient::Impl::ConnectionEnded(BodyRead& read, net::IoStatus status) {
  if (read.discarded) return;
  if (status == net::IoStatus::Reset) throw HttpError(Error::ConnectionReset, "in the body");
  if (!read.decoder.EndOfInput())
    throw HttpError(Error::ConnectionClosed, "before the end of the body");
}

void HttpClient::Impl::Report(const BodyRead& read) { ReportAt(read.decoder.progress()); }

void HttpClient::Impl::ReportAt(std::uint64_t progress) {
  if (events.work) events.work(static_cast<std::int64_t>(progressBase + progress));
  pacer.PumpAfterBlock();
}

BodyEnd HttpClient::Impl::DiscardBody(const BodyFraming& framing) {
  if (framing.kind == Framing::None) return BodyEnd::Complete;
  DiscardSink sink;
  BodyRead read{
      Announced(framing), BodyDecoder(framing), sink, true, settings.maxDiscardedBody, nullptr};
  return ReadBody(read);
}

// Leftover bytes after a body mean the server does not frame its messages as it says; such a
// connection is not trusted with another request.
void HttpClient::Impl::KeepOrDrop(const ResponseHead& head, const BodyFraming& framing,
                                  BodyEnd end) {
  connKeep = conn && end == BodyEnd::Complete && KeepsAlive(head) &&
             framing.kind != Framing::UntilClose && RxEmpty();
  if (!connKeep) Drop();
}

bool HttpClient::Impl::WaitForFirstBytes(int limitMs) {
  auto readable = [&](int ms) { return conn->Wait(net::Want::Read, ms, pacer.input()); };
  return base::WaitInSlices(readable, settings.readSliceMs, limitMs, pacer,
                            base::WaitClock(pacer)) != base::WaitResult::Timeout;
}

// A redirect's body is read (and reported) only when it starts within a short wait; otherwise
// the connection is given up, since its position in the stream is unknown.
void HttpClient::Impl::DiscardRedirectBody(const ResponseHead& head, const BodyFraming& framing) {
  BodyEnd end = BodyEnd::Complete;
  if (framing.kind != Framing::None && !(framing.kind == Framing::Length && framing.length == 0)) {
    if (RxEmpty() && !WaitForFirstBytes(settings.redirectBodyWaitMs)) {
      Drop();
      return;
    }
    end = DiscardBody(framing);
  }
  KeepOrDrop(head, framing, end);
}

}  // namespace http
