#pragma once

// Responses as raw bytes, and the scripts most tests serve them with.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/loopback_server.h"

namespace testsupport {

// "HTTP/1.1 STATUS Whatever", the header lines as given, the blank line, the body.
std::string Response(int status, std::string_view headers, std::string_view body = "");
// The same with a Content-Length for body ahead of the other headers.
std::string WithLength(int status, std::string_view body, std::string_view headers = "");

// Answers each request on the connection with the next reply, then waits for the client to go.
Script Serve(std::vector<std::string> replies);

enum class Ending { Close, Reset };
// Reads one request, sends bytes, then ends the connection as told.
Script Once(std::string bytes, Ending ending = Ending::Close);

// Reads one request, sends bytes, then says nothing for ms.
Script Stall(std::string bytes, int ms);

// Reads one request, sends head at once and then body in pieces of pieceSize bytes, each after
// a pause of delayMs (by default the whole body after one pause), and waits for the client to go.
Script Trickle(std::string head, std::string body, int delayMs,
               std::size_t pieceSize = std::string::npos);

}  // namespace testsupport
