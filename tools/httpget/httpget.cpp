// httpget URL OUTFILE [--progress] [--trace]: one GET with the installer download's settings.
// Writes the body to OUTFILE only on success; exit code 0 on success, 1 on failure. --trace
// prints "pump MS" for every pump and "end MS" when the transfer is over, in milliseconds since
// the start.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "http/body_buffer.h"
#include "http/client.h"

// A hostile Content-Length must come back as a clean failure, also in sanitizer builds.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

int Usage() {
  std::fputs("usage: httpget URL OUTFILE [--progress] [--trace]\n", stderr);
  return 1;
}

bool WriteFile(const char* path, const BodyBuffer& body) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = body.empty() || std::fwrite(body.data(), 1, body.size(), f) == body.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const char* url = nullptr;
  const char* out = nullptr;
  bool progress = false, trace = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--progress") == 0)
      progress = true;
    else if (std::strcmp(argv[i], "--trace") == 0)
      trace = true;
    else if (!url)
      url = argv[i];
    else if (!out)
      out = argv[i];
    else
      return Usage();
  }
  if (!url || !out) return Usage();

  const auto start = std::chrono::steady_clock::now();
  http::Events events;
  if (progress) {
    events.workBegin = [](std::int64_t n) {
      std::printf("begin %lld\n", static_cast<long long>(n));
    };
    events.work = [](std::int64_t n) { std::printf("work %lld\n", static_cast<long long>(n)); };
  }
  auto stamp = [start](const char* what) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    std::printf("%s %lld\n", what, static_cast<long long>(ms));
  };
  if (trace) events.pump = [stamp] { stamp("pump"); };

  BodyBuffer body;
  try {
    http::HttpClient client(http::Settings{}, std::move(events));
    client.Get(url, body);
  } catch (const http::HttpError& e) {
    if (trace) stamp("end");
    std::fflush(stdout);
    std::fprintf(stderr, "httpget: %s\n", e.what());
    return 1;
  }
  if (trace) stamp("end");
  std::fflush(stdout);
  if (!WriteFile(out, body)) {
    std::fprintf(stderr, "httpget: cannot write %s: %s\n", out, std::strerror(errno));
    return 1;
  }
  return 0;
}
