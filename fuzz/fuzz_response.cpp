// libFuzzer target: arbitrary server bytes against the response side of the HTTP client.
// Input: one flags byte, then the bytes of each connection the client opens, separated by
// lines of "=====". Flags: bits 0-5 the read size minus one, bit 6 a reset instead of an
// orderly end, bit 7 a read size of one byte.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "http/client.h"
#include "tests/support/scripted_connector.h"

// Bodies beyond 256 MiB are refused like an exhausted address space, which is the path a
// hostile Content-Length takes in the 32-bit program.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=256";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  auto stream = std::make_shared<testsupport::ScriptedStream>();
  const std::uint8_t flags = data[0];
  stream->pieceSize = (flags & 0x80) ? 1 : (flags & 0x3F) * 512u + 1;
  stream->endWithReset = (flags & 0x40) != 0;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  constexpr std::string_view kSeparator = "\n=====\n";
  for (;;) {
    auto at = rest.find(kSeparator);
    stream->inputs.emplace_back(rest.substr(0, at));
    if (at == std::string_view::npos) break;
    rest.remove_prefix(at + kSeparator.size());
  }

  http::Settings settings;
  settings.readTimeoutMs = 50;
  settings.readSliceMs = 10;
  settings.redirectBodyWaitMs = 10;
  settings.resumeWaitMs = 1;
  std::int64_t last = 0;
  http::Events events;
  events.workBegin = [&](std::int64_t n) {
    if (n < 0) __builtin_trap();
    last = 0;
  };
  events.work = [&](std::int64_t n) {
    if (n < last) __builtin_trap();  // progress never goes back within a body
    last = n;
  };
  BodyBuffer body;
  http::HttpClient client(settings, events,
                          std::make_unique<testsupport::ScriptedConnector>(stream));
  try {
    client.Get("http://fuzz.test/start", body);
  } catch (const http::HttpError&) {
    // A failure leaves a body behind only to be resumed, and then short of its length.
    const auto& point = client.resumable();
    if (body.size() != 0 && (!point || body.size() >= point->length)) __builtin_trap();
  }
  // Nothing a server sends may reach a request line or header unescaped.
  for (const auto& request : stream->sent) {
    std::string_view r = request;
    for (std::size_t i = 0; i < r.size(); ++i) {
      auto c = static_cast<unsigned char>(r[i]);
      bool lineEnd = c == '\r' && i + 1 < r.size() && r[i + 1] == '\n';
      bool afterCr = c == '\n' && i > 0 && r[i - 1] == '\r';
      if ((c < 0x20 || c == 0x7F) && !lineEnd && !afterCr) __builtin_trap();
    }
    if (r.find("\r\n\r\n") != r.size() - 4) __builtin_trap();
  }
  return 0;
}
