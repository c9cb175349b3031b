#include "tests/support/ranged_file.h"

#include <algorithm>
#include <optional>

#include "tests/support/replies.h"

namespace testsupport {
namespace {

std::optional<std::string> HeaderValue(const std::string& request, const std::string& name) {
  const std::string key = "\r\n" + name + ": ";
  const auto at = request.find(key);
  if (at == std::string::npos) return std::nullopt;
  const auto begin = at + key.size();
  return request.substr(begin, request.find("\r\n", begin) - begin);
}

std::optional<std::size_t> RangeStart(const std::string& request) {
  const auto range = HeaderValue(request, "Range");
  if (!range || range->rfind("bytes=", 0) != 0 || range->back() != '-') return std::nullopt;
  return static_cast<std::size_t>(std::stoull(range->substr(6)));
}

}  // namespace

Script ServeRanged(RangedFile file) {
  return [file](Conn& c) {
    const std::string request = c.ReadRequest();
    if (request.empty()) return;
    const bool replaced = !file.replacement.empty() && c.index() >= file.replacedFrom;
    const std::string& body = replaced ? file.replacement : file.body;
    const std::string& etag = replaced ? file.replacementEtag : file.etag;
    std::string headers;
    if (!etag.empty()) headers += "ETag: " + etag + "\r\n";
    if (!file.lastModified.empty() && !replaced)
      headers += "Last-Modified: " + file.lastModified + "\r\n";
    if (!file.date.empty()) headers += "Date: " + file.date + "\r\n";

    const std::string validator = etag.empty() && !replaced ? file.lastModified : etag;
    std::optional<std::size_t> start = RangeStart(request);
    if (start && (!file.ranges || HeaderValue(request, "If-Range") != validator)) start.reset();

    std::string reply;
    std::size_t from = 0;
    if (!start) {
      reply = Response(200, "Content-Length: " + std::to_string(body.size()) + "\r\n" + headers);
    } else if (file.rangeStatus != 206 || *start >= body.size()) {
      c.Send(WithLength(file.rangeStatus != 206 ? file.rangeStatus : 416, "", headers));
      c.WaitPeerClose(5000);
      return;
    } else {
      from = static_cast<std::size_t>(static_cast<long long>(*start) + file.startSkew);
      const long long total = static_cast<long long>(body.size()) + file.totalSkew;
      headers += "Content-Range: bytes " + std::to_string(from) + "-" +
                 std::to_string(body.size() - 1) + "/" + std::to_string(total) + "\r\n";
      reply =
          Response(206, "Content-Length: " + std::to_string(body.size() - from) + "\r\n" + headers);
    }
    const bool cut = c.index() < file.cutConnections && file.cutAfter < body.size() - from;
    const std::size_t sent = cut ? file.cutAfter : body.size() - from;
    c.Send(reply + body.substr(from, sent));
    if (!cut) {
      c.WaitPeerClose(5000);
      return;
    }
    c.Silent(file.cut == Cut::Silence ? file.silenceMs : 20);
    if (file.cut == Cut::Reset)
      c.Reset();
    else
      c.Close();
  };
}

}  // namespace testsupport
