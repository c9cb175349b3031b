#include "http/parser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using http::BodyDecoder;
using http::BodyFraming;
using http::Error;
using http::Framing;
using http::HeadParser;

class StringSink final : public http::BodySink {
public:
  char* Prepare(std::size_t n) override {
    scratch.resize(n);
    return scratch.data();
  }
  void Commit(std::size_t n) override { data.append(scratch.data(), n); }
  std::string data;
  std::string scratch;
};

using http::ParseStatus;

struct HeadResult {
  ParseStatus state;
  Error error;
  http::ResponseHead head;
  std::size_t consumed;
};

HeadResult ParseHead(const std::string& bytes, bool oneByteAtATime) {
  HeadParser p;
  std::size_t consumed = 0;
  ParseStatus status = ParseStatus::NeedMore;
  if (oneByteAtATime) {
    for (std::size_t i = 0; i < bytes.size() && status == ParseStatus::NeedMore; ++i) {
      HeadParser::Fed fed = p.Feed(bytes.data() + i, 1);
      consumed += fed.consumed;
      status = fed.status;
    }
  } else {
    HeadParser::Fed fed = p.Feed(bytes.data(), bytes.size());
    consumed = fed.consumed;
    status = fed.status;
  }
  return {status, p.error(), p.head(), consumed};
}

struct BodyResult {
  bool done;
  bool failed;
  Error error;
  std::string data;
  std::size_t consumed;
  std::uint64_t progress;
};

BodyResult DecodeBody(BodyFraming framing, const std::string& bytes, bool oneByteAtATime) {
  BodyDecoder d(framing);
  StringSink sink;
  std::size_t consumed = 0;
  std::size_t step = oneByteAtATime ? 1 : bytes.size();
  while (consumed < bytes.size() && !d.done() && !d.failed()) {
    std::size_t n = std::min(step, bytes.size() - consumed);
    std::size_t used = d.Feed(bytes.data() + consumed, n, sink, SIZE_MAX).consumed;
    consumed += used;
    if (used == 0) break;
  }
  return {d.done(), d.failed(), d.error(), sink.data, consumed, d.progress()};
}

class HeadParserTest : public ::testing::TestWithParam<bool> {};

TEST_P(HeadParserTest, ParsesStatusHeadersAndStopsAtTheBlankLine) {
  std::string bytes =
      "HTTP/1.1 302 Found here\r\nLocation: /next\r\nX-Folded: a\r\n  b\r\nSet-Cookie: a=1\r\n"
      "set-cookie: b=2\r\n\r\nBODY";
  HeadResult r = ParseHead(bytes, GetParam());
  ASSERT_EQ(r.state, ParseStatus::Complete);
  EXPECT_EQ(r.consumed, bytes.size() - 4) << "must not eat body bytes";
  EXPECT_EQ(r.head.status, 302);
  EXPECT_EQ(r.head.reason, "Found here");
  EXPECT_EQ(r.head.versionMinor, 1);
  ASSERT_NE(r.head.Find("location"), nullptr);
  EXPECT_EQ(*r.head.Find("LOCATION"), "/next");
  EXPECT_EQ(*r.head.Find("X-Folded"), "a b");
  EXPECT_EQ(r.head.All("Set-Cookie"), (std::vector<std::string_view>{"a=1", "b=2"}));
}

TEST_P(HeadParserTest, AcceptsBareLineFeedsAndAMissingReason) {
  HeadResult r = ParseHead("\r\nHTTP/1.0 200\nContent-Length:  5 \n\n", GetParam());
  ASSERT_EQ(r.state, ParseStatus::Complete);
  EXPECT_EQ(r.head.status, 200);
  EXPECT_EQ(r.head.versionMinor, 0);
  EXPECT_EQ(*r.head.Find("Content-Length"), "5");
}

TEST_P(HeadParserTest, RejectsMalformedHeads) {
  for (const char* bad :
       {"HTTP/1.1 20 OK\r\n\r\n", "HTTX/1.1 200 OK\r\n\r\n", "HTTP/1.1 200OK\r\n\r\n",
        "HTTP/1.1 099 Low\r\n\r\n", "garbage\r\n\r\n", "HTTP/1.1 200 OK\r\nNo colon here\r\n\r\n",
        "HTTP/1.1 200 OK\r\n: empty name\r\n\r\n", "HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n",
        "HTTP/1.1 200 OK\r\n folded first\r\n\r\n"}) {
    HeadResult r = ParseHead(bad, GetParam());
    EXPECT_EQ(r.state, ParseStatus::Failed) << bad;
    EXPECT_EQ(r.error, Error::MalformedResponse) << bad;
  }
}

TEST_P(HeadParserTest, LineLimitIs16384BytesWithoutTheLineEnd) {
  std::string atLimit = "HTTP/1.1 200 OK\r\nX: " + std::string(16384 - 3, 'a') + "\r\n\r\n";
  EXPECT_EQ(ParseHead(atLimit, GetParam()).state, ParseStatus::Complete);
  std::string over = "HTTP/1.1 200 OK\r\nX: " + std::string(16384 - 2, 'a') + "\r\n\r\n";
  HeadResult r = ParseHead(over, GetParam());
  EXPECT_EQ(r.state, ParseStatus::Failed);
  EXPECT_EQ(r.error, Error::LineTooLong);
  // A status line that never ends fails as soon as it passes the limit.
  HeadResult endless = ParseHead("HTTP/1.1 200 " + std::string(20000, 'x'), GetParam());
  EXPECT_EQ(endless.error, Error::LineTooLong);
  EXPECT_EQ(endless.state, ParseStatus::Failed);
}

TEST_P(HeadParserTest, EndlessHeaderLinesAreCut) {
  std::string many = "HTTP/1.1 200 OK\r\n";
  while (many.size() <= http::kMaxHeadBytes) many += "X-Filler: " + std::string(1000, 'f') + "\r\n";
  HeadResult r = ParseHead(many, false);
  EXPECT_EQ(r.state, ParseStatus::Failed);

  std::string thousand = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 1000; ++i) thousand += "A: b\r\n";
  EXPECT_EQ(ParseHead(thousand + "\r\n", GetParam()).state, ParseStatus::Complete);
  HeadResult more = ParseHead(thousand + "A: b\r\n\r\n", GetParam());
  EXPECT_EQ(more.state, ParseStatus::Failed) << "1001 fields";
  EXPECT_EQ(more.error, Error::MalformedResponse);
}

INSTANTIATE_TEST_SUITE_P(WholeAndByteWise, HeadParserTest, ::testing::Bool());

class BodyDecoderTest : public ::testing::TestWithParam<bool> {};

TEST_P(BodyDecoderTest, ChunkedWithExtensionsAndTrailers) {
  std::string wire = "5;ext=1\r\nhello\r\nA \r\n, world!!!\r\n0\r\nTrailer: x\r\n\r\nNEXT";
  BodyResult r = DecodeBody({Framing::Chunked, 0}, wire, GetParam());
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.data, "hello, world!!!");
  EXPECT_EQ(r.consumed, wire.size() - 4);
  // The size lines "5;ext=1\r\n" (9), "A \r\n" (4), "0\r\n" (3) and the data (15); not the
  // line ends after the data, not the trailer.
  EXPECT_EQ(r.progress, 31u);
}

TEST_P(BodyDecoderTest, ChunkedFailures) {
  struct Case {
    const char* wire;
    Error error;
  } cases[] = {
      {"zz\r\n", Error::MalformedResponse},
      {"\r\n", Error::MalformedResponse},
      {"8000000000000000\r\n", Error::MalformedResponse},  // above the largest signed 64-bit count
      {"1000000000000000000000000\r\n", Error::MalformedResponse},  // overflows 64 bits
      {"3\r\nabcX\r\n", Error::MalformedResponse},                  // data longer than announced
  };
  for (const auto& c : cases) {
    BodyResult r = DecodeBody({Framing::Chunked, 0}, c.wire, GetParam());
    EXPECT_TRUE(r.failed) << c.wire;
    EXPECT_EQ(r.error, c.error) << c.wire;
  }
  std::string endlessTrailer = "0\r\n";
  while (endlessTrailer.size() <= http::kMaxHeadBytes) endlessTrailer += "T: x\r\n";
  EXPECT_TRUE(DecodeBody({Framing::Chunked, 0}, endlessTrailer, false).failed)
      << "a trailer without end";
  BodyResult longLine =
      DecodeBody({Framing::Chunked, 0}, "1;" + std::string(17000, 'e') + "\r\n", GetParam());
  EXPECT_EQ(longLine.error, Error::LineTooLong);
}

TEST_P(BodyDecoderTest, ChunkedLargestSizeIsAcceptedAndEndIsNotAnEnd) {
  BodyResult r = DecodeBody({Framing::Chunked, 0}, "7fffffffffffffff\r\nabc", GetParam());
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.data, "abc");
  BodyDecoder d({Framing::Chunked, 0});
  EXPECT_FALSE(d.EndOfInput()) << "a close inside a chunked body is never its end";
}

TEST_P(BodyDecoderTest, LengthStopsExactlyAndUntilCloseEndsOnlyAtTheEnd) {
  BodyResult r = DecodeBody({Framing::Length, 4}, "abcdEXTRA", GetParam());
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.data, "abcd");
  EXPECT_EQ(r.consumed, 4u);

  BodyDecoder untilClose({Framing::UntilClose, 0});
  EXPECT_EQ(untilClose.DataWanted(), UINT64_MAX);
  untilClose.DataReceived(10);
  EXPECT_FALSE(untilClose.done());
  EXPECT_TRUE(untilClose.EndOfInput());
  EXPECT_EQ(untilClose.progress(), 10u);

  BodyDecoder shortLength({Framing::Length, 10});
  shortLength.DataReceived(5);
  EXPECT_FALSE(shortLength.EndOfInput());
}

TEST_P(BodyDecoderTest, FeedStopsAtTheEndOfEachChunkWhenAsked) {
  BodyDecoder d({Framing::Chunked, 0});
  StringSink sink;
  std::string wire = "2\r\nab\r\n3\r\ncde\r\n0\r\n\r\n";
  BodyDecoder::Fed fed = d.Feed(wire.data(), wire.size(), sink, SIZE_MAX);
  EXPECT_EQ(sink.data, "ab");
  EXPECT_EQ(fed.data, 2u);
  EXPECT_TRUE(fed.chunkEnd);
  std::size_t used = fed.consumed;
  fed = d.Feed(wire.data() + used, wire.size() - used, sink, 2);
  used += fed.consumed;
  EXPECT_EQ(sink.data, "abcd") << "maxData limits a block";
  EXPECT_FALSE(fed.chunkEnd);
  while (used < wire.size() && !d.done()) {
    fed = d.Feed(wire.data() + used, wire.size() - used, sink, SIZE_MAX);
    used += fed.consumed;
  }
  EXPECT_TRUE(d.done());
  EXPECT_EQ(sink.data, "abcde");
  EXPECT_EQ(used, wire.size());
}

INSTANTIATE_TEST_SUITE_P(WholeAndByteWise, BodyDecoderTest, ::testing::Bool());

http::ResponseHead HeadWith(int status, std::vector<http::Header> headers, int minor = 1) {
  http::ResponseHead h;
  h.versionMajor = 1;
  h.versionMinor = minor;
  h.status = status;
  h.headers = std::move(headers);
  return h;
}

TEST(Framing, PicksChunkedThenLengthThenClose) {
  BodyFraming f;
  ASSERT_TRUE(http::FramingOf(
      HeadWith(200, {{"Transfer-Encoding", "gzip, Chunked"}, {"Content-Length", "5"}}), f));
  EXPECT_EQ(f.kind, Framing::Chunked);
  ASSERT_TRUE(
      http::FramingOf(HeadWith(200, {{"Content-Length", "5"}, {"Content-Length", "5, 5"}}), f));
  EXPECT_EQ(f.kind, Framing::Length);
  EXPECT_EQ(f.length, 5u);
  ASSERT_TRUE(http::FramingOf(HeadWith(200, {}), f));
  EXPECT_EQ(f.kind, Framing::UntilClose);
  for (int noBody : {100, 101, 204, 304}) {
    ASSERT_TRUE(http::FramingOf(HeadWith(noBody, {{"Content-Length", "9"}}), f));
    EXPECT_EQ(f.kind, Framing::None) << noBody;
  }
}

TEST(Framing, RejectsBadOrConflictingLengths) {
  BodyFraming f;
  for (const char* bad :
       {"-1", "1.5", "", "0x10", "99999999999999999999", "9223372036854775808", "5 5"})
    EXPECT_FALSE(http::FramingOf(HeadWith(200, {{"Content-Length", bad}}), f)) << bad;
  EXPECT_FALSE(
      http::FramingOf(HeadWith(200, {{"Content-Length", "5"}, {"Content-Length", "6"}}), f));
  ASSERT_TRUE(http::FramingOf(HeadWith(200, {{"Content-Length", "9223372036854775807"}}), f));
  EXPECT_EQ(f.length, 9223372036854775807ull);
}

TEST(Framing, KeepAliveFollowsVersionAndConnectionTokens) {
  EXPECT_TRUE(http::KeepsAlive(HeadWith(200, {})));
  EXPECT_FALSE(http::KeepsAlive(HeadWith(200, {{"Connection", "Keep-Alive, CLOSE"}})));
  EXPECT_FALSE(http::KeepsAlive(HeadWith(200, {}, 0)));
  EXPECT_TRUE(http::KeepsAlive(HeadWith(200, {{"Connection", "keep-alive"}}, 0)));
}

}  // namespace
