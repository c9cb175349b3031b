#include "http/client.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <stdexcept>

#include "http/cookies.h"
#include "http/parser.h"
#include "http/transport.h"
#include "http/url.h"

namespace http {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlock = 32768;
constexpr int kMaxRedirects = 15;  // the 15th redirect response is not followed
constexpr int kMaxInterimResponses = 32;

class BufferSink final : public BodySink {
public:
  explicit BufferSink(BodyBuffer& body) : body_(body) {}
  char* Prepare(std::size_t n) override { return body_.Append(n); }
  void Commit(std::size_t n) override { body_.Commit(n); }

private:
  BodyBuffer& body_;
};

class DiscardSink final : public BodySink {
public:
  char* Prepare(std::size_t) override { return scratch_.get(); }
  void Commit(std::size_t) override {}

private:
  std::unique_ptr<char[]> scratch_ = std::make_unique<char[]>(kBlock);
};

long long MillisSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool IsRedirect(int status) { return status >= 300 && status <= 399 && status != 304; }

}  // namespace

struct HttpClient::Impl {
  Impl(Settings s, Events e, std::unique_ptr<Connector> c)
      : settings(s), events(std::move(e)), connector(std::move(c)) {}

  Settings settings;
  Events events;
  std::unique_ptr<Connector> connector;
  std::function<void()> pump = [this] { Pump(); };

  std::unique_ptr<Connection> conn;
  std::string connHost;
  std::uint16_t connPort = 0;
  bool connKeep = false;

  // Bytes received but not yet parsed: head lines, chunk framing, data that came with them.
  std::unique_ptr<char[]> rx = std::make_unique<char[]>(kBlock);
  std::size_t rxBegin = 0;
  std::size_t rxEnd = 0;

  CookieJar cookies;

  void Pump() {
    if (events.pump) events.pump();
  }

  void Drop() {
    conn.reset();
    connKeep = false;
    rxBegin = rxEnd = 0;
  }

  bool RxEmpty() const { return rxBegin == rxEnd; }

  void Transfer(Url url, BodyBuffer& body);
  ResponseHead Exchange(const Url& url);
  ResponseHead ReadHead(bool& nothingReceived);
  std::string Request(const Url& url) const;
  // Returns true when the connection ended with the body.
  bool ReadBody(const BodyFraming& framing, BodySink& sink, bool shortCloseFails);
  void DiscardRedirectBody(const ResponseHead& head, const BodyFraming& framing);
  void KeepOrDrop(const ResponseHead& head, const BodyFraming& framing, bool connectionEnded);
  bool WaitForFirstBytes(int limitMs);

  // Receives up to n bytes at dest() without blocking longer than limitMs of waiting. Waits
  // in slices; after each slice without data the pump runs. dest() is asked only right before
  // the receive, so no pointer into a buffer is held across a pump.
  template <class Dest>
  net::IoResult ReceiveWait(Dest dest, std::size_t n, int limitMs) {
    long long waited = 0;
    for (;;) {
      net::IoResult r = conn->Receive(dest(), n);
      if (r.status != net::IoStatus::WouldBlock) return r;
      for (;;) {
        int slice = static_cast<int>(
            std::min<long long>(settings.readSliceMs, std::max<long long>(limitMs - waited, 1)));
        auto start = Clock::now();
        net::WaitStatus w = conn->WaitReadable(slice);
        waited += MillisSince(start);
        if (w == net::WaitStatus::Ready) break;
        if (w == net::WaitStatus::Error) return {net::IoStatus::Reset, 0};
        if (waited >= limitMs)
          throw HttpError(Error::ReadTimeout, "no data for " + std::to_string(waited) + " ms");
        Pump();
      }
    }
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
  std::optional<Url> parsed = ParseHttpUrl(url);
  if (!parsed) throw HttpError(Error::InvalidUrl, url);
  try {
    impl_->Transfer(*parsed, body);
  } catch (const std::bad_alloc&) {
    impl_->Drop();
    body.Release();
    throw HttpError(Error::BodyTooLarge, "no memory for the body");
  } catch (...) {
    impl_->Drop();
    body.Release();
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
      const std::string* location = head.Find("Location");
      if (!location) throw HttpError(Error::RedirectWithoutLocation, std::to_string(head.status));
      if (++redirects >= kMaxRedirects)
        throw HttpError(Error::TooManyRedirects, std::to_string(redirects));
      Url next;
      switch (ResolveLocation(url, *location, next)) {
        case LocationProblem::None: break;
        case LocationProblem::Https: throw HttpError(Error::RedirectToHttps, *location);
        case LocationProblem::ControlCharacter:
          throw HttpError(Error::BadLocation, "control character");
        case LocationProblem::Unusable: throw HttpError(Error::BadLocation, *location);
      }
      DiscardRedirectBody(head, framing);
      url = std::move(next);
      continue;
    }

    if (head.status >= 200 && head.status <= 299) {
      if (head.status == 204) framing.kind = Framing::None;
      bool connectionEnded = false;
      if (framing.kind != Framing::None) {
        if (framing.kind == Framing::Length) {
          if (framing.length > std::numeric_limits<std::size_t>::max())
            throw HttpError(Error::BodyTooLarge, std::to_string(framing.length));
          body.Reserve(static_cast<std::size_t>(framing.length));
        }
        BufferSink sink(body);
        connectionEnded = ReadBody(framing, sink, true);
      }
      KeepOrDrop(head, framing, connectionEnded);
      return;
    }

    try {
      DiscardSink sink;
      if (framing.kind != Framing::None) ReadBody(framing, sink, false);
    } catch (const HttpError&) {
      // The status decides the failure; a broken error body changes nothing about it.
    }
    Drop();
    throw HttpError(Error::BadStatus, std::to_string(head.status) + " " + head.reason);
  }
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

ResponseHead HttpClient::Impl::Exchange(const Url& url) {
  // A kept connection the server has closed meanwhile is noticed only when the request meets
  // its end: then one fresh connection is tried.
  for (int attempt = 0;; ++attempt) {
    bool reused = conn && connKeep && connHost == url.host && connPort == url.port;
    if (!reused) {
      Drop();
      conn = connector->Connect(url.host, url.port, settings, pump);
      connHost = url.host;
      connPort = url.port;
    }
    connKeep = false;
    bool retry = reused && attempt == 0;
    if (!conn->Send(Request(url))) {
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
    if (!RxEmpty()) rxBegin += parser->Feed(rx.get() + rxBegin, rxEnd - rxBegin);
    if (parser->state() == HeadParser::State::Failed)
      throw HttpError(parser->error(), "in the response head");
    if (parser->state() == HeadParser::State::Complete) {
      if (parser->head().status != 100) return parser->head();
      if (++interim > kMaxInterimResponses)
        throw HttpError(Error::MalformedResponse, "endless interim responses");
      parser = std::make_unique<HeadParser>();
      continue;
    }
    rxBegin = rxEnd = 0;
    net::IoResult r = ReceiveWait([this] { return rx.get(); }, kBlock, settings.readTimeoutMs);
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

bool HttpClient::Impl::ReadBody(const BodyFraming& framing, BodySink& sink, bool shortCloseFails) {
  const std::int64_t announced =
      framing.kind == Framing::Length ? static_cast<std::int64_t>(framing.length) : 0;
  if (events.workBegin) events.workBegin(announced);
  BodyDecoder decoder(framing);
  auto report = [&] {
    if (events.work) events.work(static_cast<std::int64_t>(decoder.progress()));
    Pump();
  };
  auto check = [&] {
    if (decoder.failed()) throw HttpError(decoder.error(), "in the body");
  };
  // The connection ended: the body is complete only when its framing says so.
  auto ended = [&](net::IoStatus status) {
    if (status == net::IoStatus::Reset) throw HttpError(Error::ConnectionReset, "in the body");
    if (decoder.EndOfInput() || (!shortCloseFails && framing.kind == Framing::Length)) return;
    throw HttpError(Error::ConnectionClosed, "before the end of the body");
  };

  if (!RxEmpty() && !decoder.done()) {
    std::size_t data = 0;
    rxBegin += decoder.Feed(rx.get() + rxBegin, rxEnd - rxBegin, sink,
                            std::numeric_limits<std::size_t>::max(), false, data);
    check();
    decoder.TakeChunkEnd();
    report();
  }
  while (!decoder.done()) {
    std::size_t block = 0;
    bool closed = false;
    for (;;) {
      std::uint64_t wanted = decoder.DataWanted();
      if (wanted > 0 && RxEmpty()) {
        auto n = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, kBlock - block));
        net::IoResult r = ReceiveWait([&] { return sink.Prepare(n); }, n, settings.readTimeoutMs);
        if (r.status != net::IoStatus::Data) {
          ended(r.status);
          closed = true;
          break;
        }
        sink.Commit(r.bytes);
        decoder.DataReceived(r.bytes);
        block += r.bytes;
      } else {
        if (RxEmpty()) {
          rxBegin = rxEnd = 0;
          net::IoResult r =
              ReceiveWait([this] { return rx.get(); }, kBlock, settings.readTimeoutMs);
          if (r.status != net::IoStatus::Data) {
            ended(r.status);
            closed = true;
            break;
          }
          rxEnd = r.bytes;
        }
        std::size_t data = 0;
        rxBegin +=
            decoder.Feed(rx.get() + rxBegin, rxEnd - rxBegin, sink, kBlock - block, true, data);
        block += data;
        check();
      }
      if (decoder.done() || block >= kBlock || decoder.TakeChunkEnd()) break;
    }
    report();
    if (closed) return true;
  }
  return false;
}

// Leftover bytes after a body mean the server does not frame its messages as it says; such a
// connection is not trusted with another request.
void HttpClient::Impl::KeepOrDrop(const ResponseHead& head, const BodyFraming& framing,
                                  bool connectionEnded) {
  connKeep = conn && !connectionEnded && KeepsAlive(head) && framing.kind != Framing::UntilClose &&
             RxEmpty();
  if (!connKeep) Drop();
}

bool HttpClient::Impl::WaitForFirstBytes(int limitMs) {
  long long waited = 0;
  while (waited < limitMs) {
    int slice = static_cast<int>(std::min<long long>(settings.readSliceMs, limitMs - waited));
    auto start = Clock::now();
    net::WaitStatus w = conn->WaitReadable(slice);
    waited += MillisSince(start);
    if (w != net::WaitStatus::Timeout) return true;
    if (waited < limitMs) Pump();
  }
  return false;
}

// A redirect's body is read (and reported) only when it starts within a short wait; otherwise
// the connection is given up, since its position in the stream is unknown.
void HttpClient::Impl::DiscardRedirectBody(const ResponseHead& head, const BodyFraming& framing) {
  bool connectionEnded = false;
  if (framing.kind != Framing::None && !(framing.kind == Framing::Length && framing.length == 0)) {
    if (RxEmpty() && !WaitForFirstBytes(settings.redirectBodyWaitMs)) {
      Drop();
      return;
    }
    DiscardSink sink;
    connectionEnded = ReadBody(framing, sink, false);
  }
  KeepOrDrop(head, framing, connectionEnded);
}

}  // namespace http
