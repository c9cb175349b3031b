#include "tests/support/fetch.h"

#include <algorithm>
#include <chrono>

namespace testsupport {

double Fetched::LongestGap() const {
  double previous = 0, gap = 0;
  for (double at : pumps) {
    gap = std::max(gap, at - previous);
    previous = at;
  }
  return std::max(gap, end - previous);
}

Fetched Fetch(const std::string& url, const http::Settings& settings,
              std::unique_ptr<http::Connector> connector, http::Events events) {
  Fetched out;
  const auto start = std::chrono::steady_clock::now();
  auto since = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  auto chain = [](auto own, auto record) {
    return [own, record](auto... n) {
      record(n...);
      if (own) own(n...);
    };
  };
  events.workBegin = chain(events.workBegin, [&](std::int64_t n) {
    out.events.push_back("begin " + std::to_string(n));
  });
  events.work = chain(events.work,
                      [&](std::int64_t n) { out.events.push_back("work " + std::to_string(n)); });
  events.pump = chain(events.pump, [&] { out.pumps.push_back(since()); });
  BodyBuffer body;
  try {
    http::HttpClient client(settings, events,
                            connector ? std::move(connector) : http::MakeSocketConnector());
    client.Get(url, body);
  } catch (const http::HttpError& e) {
    out.error = e.code();
  }
  out.end = since();
  out.body.assign(body.data() ? body.data() : "", body.size());
  out.bodyData = body.data();
  return out;
}

}  // namespace testsupport
