#include "tests/support/replies.h"

namespace testsupport {

std::string Response(int status, std::string_view headers, std::string_view body) {
  std::string bytes = "HTTP/1.1 " + std::to_string(status) + " Whatever\r\n";
  bytes.append(headers);
  bytes += "\r\n";
  bytes.append(body);
  return bytes;
}

std::string WithLength(int status, std::string_view body, std::string_view headers) {
  std::string head = "Content-Length: " + std::to_string(body.size()) + "\r\n";
  head.append(headers);
  return Response(status, head, body);
}

Script Serve(std::vector<std::string> replies) {
  return [replies](Conn& c) {
    for (const auto& reply : replies) {
      if (c.ReadRequest().empty()) return;
      c.Send(reply);
    }
    c.WaitPeerClose(5000);
  };
}

Script Once(std::string bytes, Ending ending) {
  return [bytes, ending](Conn& c) {
    c.ReadRequest();
    c.Send(bytes);
    c.Silent(50);
    if (ending == Ending::Reset)
      c.Reset();
    else
      c.Close();
  };
}

Script Stall(std::string bytes, int ms) {
  return [bytes, ms](Conn& c) {
    c.ReadRequest();
    c.Send(bytes);
    c.Silent(ms);
  };
}

Script Trickle(std::string head, std::string body, int delayMs, std::size_t pieceSize) {
  return [head, body, delayMs, pieceSize](Conn& c) {
    if (c.ReadRequest().empty()) return;
    c.Send(head);
    c.SendSlowly(body, delayMs, pieceSize);
    c.WaitPeerClose(5000);
  };
}

}  // namespace testsupport
