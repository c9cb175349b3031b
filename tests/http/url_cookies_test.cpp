#include <string>

#include <gtest/gtest.h>

#include "http/cookies.h"
#include "http/parser.h"
#include "http/url.h"

namespace {

using http::LocationProblem;
using http::Url;

Url U(const char* text) {
  auto u = http::ParseHttpUrl(text);
  EXPECT_TRUE(u.has_value()) << text;
  return u.value_or(Url{});
}

TEST(Url, ParsesHostPortAndTarget) {
  Url u = U("HTTP://Download.Example.DE:8080/prg/a%20b.exe?x=1#frag");
  EXPECT_EQ(u.host, "download.example.de");
  EXPECT_EQ(u.port, 8080);
  EXPECT_EQ(u.target, "/prg/a%20b.exe?x=1");
  EXPECT_EQ(u.HostHeader(), "download.example.de:8080");
  EXPECT_EQ(U("http://h").target, "/");
  EXPECT_EQ(U("http://h:80/x").HostHeader(), "h");
  EXPECT_EQ(U("http://h?q").target, "/?q");
}

TEST(Url, RejectsWhatIsNotAPlainHttpUrl) {
  for (const char* bad : {"https://h/", "ftp://h/", "http:/h", "/relative", "http://",
                          "http://h:0/", "http://h:65536/", "http://h:8x/", "http://user@h/",
                          "http://[::1]/", "http://h/\r\nX: y", "http://h\x01/", "http://h h/"})
    EXPECT_FALSE(http::ParseHttpUrl(bad).has_value()) << bad;
}

TEST(Url, RemovesDotSegments) {
  EXPECT_EQ(http::RemoveDotSegments("/a/b/c/./../../g"), "/a/g");
  EXPECT_EQ(http::RemoveDotSegments("/../../x"), "/x");
  EXPECT_EQ(http::RemoveDotSegments("/a/.."), "/");
  EXPECT_EQ(http::RemoveDotSegments("/a/b/."), "/a/b/");
}

TEST(Location, ResolvesAbsoluteAndRelativeReferences) {
  Url base = U("http://h:81/dir/sub/file?old=1");
  struct Case {
    const char* location;
    const char* expected;
  } cases[] = {
      {"http://other/x", "http://other/x"},
      {"//third:82/y?z", "http://third:82/y?z"},
      {"/abs/path", "http://h:81/abs/path"},
      {"next", "http://h:81/dir/sub/next"},
      {"../up?q=2", "http://h:81/dir/up?q=2"},
      {"./../../../../top", "http://h:81/top"},
      {"?only=query", "http://h:81/dir/sub/file?only=query"},
      {"", "http://h:81/dir/sub/file?old=1"},
      {"my file.exe", "http://h:81/dir/sub/my%20file.exe"},
      {"/\xC3\xA4", "http://h:81/%C3%A4"},
  };
  for (const auto& c : cases) {
    Url next;
    ASSERT_EQ(http::ResolveLocation(base, c.location, next), LocationProblem::None) << c.location;
    EXPECT_EQ(next.ToString(), c.expected) << c.location;
  }
}

TEST(Location, RefusesHttpsControlCharactersAndOtherSchemes) {
  Url base = U("http://h/");
  Url next;
  EXPECT_EQ(http::ResolveLocation(base, "HTTPS://h/x", next), LocationProblem::Https);
  EXPECT_EQ(http::ResolveLocation(base, "/a\r\nSet: x", next), LocationProblem::ControlCharacter);
  EXPECT_EQ(http::ResolveLocation(base, std::string_view("/a\0b", 4), next),
            LocationProblem::ControlCharacter);
  EXPECT_EQ(http::ResolveLocation(base, "/a\tb", next), LocationProblem::ControlCharacter);
  EXPECT_EQ(http::ResolveLocation(base, "/a\x7f", next), LocationProblem::ControlCharacter);
  EXPECT_EQ(http::ResolveLocation(base, "mailto:x@y", next), LocationProblem::Unusable);
  EXPECT_EQ(http::ResolveLocation(base, "http://bad host/", next), LocationProblem::Unusable);
}

TEST(Cookies, ApplyToTheirHostAndPathOnly) {
  http::CookieJar jar;
  Url from = U("http://www.example.com/shop/cart");
  jar.Store(from, "host=1");                              // host only, path /shop
  jar.Store(from, "dom=2; Domain=.Example.com; Path=/");  // the whole domain
  jar.Store(from, "deep=3; path=/shop/cart/x");
  jar.Store(from, "other=4; Domain=elsewhere.com");  // not for this host: ignored
  EXPECT_EQ(jar.HeaderFor(U("http://www.example.com/shop/cart/x/y")), "deep=3; host=1; dom=2");
  EXPECT_EQ(jar.HeaderFor(U("http://www.example.com/shopping")), "dom=2");
  EXPECT_EQ(jar.HeaderFor(U("http://img.example.com/shop/a")), "dom=2");
  EXPECT_EQ(jar.HeaderFor(U("http://example.org/")), "");
  EXPECT_EQ(jar.HeaderFor(U("http://www.example.com:8080/shop")), "host=1; dom=2")
      << "ports do not separate cookies";
}

TEST(Cookies, ReplaceDeleteAndRefuseUnsafeOnes) {
  http::CookieJar jar;
  Url from = U("http://127.0.0.1/");
  jar.Store(from, "a=1");
  jar.Store(from, "b=2");
  jar.Store(from, "a=3");
  EXPECT_EQ(jar.HeaderFor(from), "a=3; b=2");
  jar.Store(from, "b=gone; Max-Age=0");
  EXPECT_EQ(jar.HeaderFor(from), "a=3");
  jar.Store(from, "c=1; Domain=0.0.1");  // no domain cookies for an address
  jar.Store(from, "sec=1; Secure");
  jar.Store(from, std::string_view("nul=a\0b", 7));
  jar.Store(from, "cr=a\rInjected: x");
  jar.Store(from, "sp ace=1");
  jar.Store(from, "novalue");
  jar.Store(from, "=anon");
  EXPECT_EQ(jar.HeaderFor(from), "a=3");
  EXPECT_EQ(jar.HeaderFor(U("http://127.0.0.2/")), "") << "another address is another host";
}

TEST(Cookies, FoldedOversizedAndTooManyBytesStayOut) {
  http::HeadParser parser;
  std::string head =
      "HTTP/1.1 302 Found\r\nSet-Cookie: folded=1;\r\n Path=/\r\nSet-Cookie: plain=2\r\n\r\n";
  ASSERT_EQ(parser.Feed(head.data(), head.size()).status, http::ParseStatus::Complete);
  http::CookieJar jar;
  Url from = U("http://127.0.0.1/");
  jar.Store(from, parser.head());
  EXPECT_EQ(jar.HeaderFor(from), "plain=2") << "a folded Set-Cookie is ignored";

  http::CookieJar sizes;
  sizes.Store(from, "big=" + std::string(4096 - 3, 'b'));   // 4096 bytes of name and value
  sizes.Store(from, "huge=" + std::string(4096 - 3, 'h'));  // 4097
  std::string header = sizes.HeaderFor(from);
  EXPECT_EQ(header.size(), 4097u) << "name, '=' and value of the 4096-byte cookie only";
  for (char c : {'x', 'y', 'z'}) sizes.Store(from, std::string(1, c) + "=" + std::string(3000, c));
  header = sizes.HeaderFor(from);
  EXPECT_LT(header.size(), 8192u);
  EXPECT_EQ(header, "big=" + std::string(4093, 'b') + "; x=" + std::string(3000, 'x'))
      << "cookies that do not fit any more stay out";
}

}  // namespace
