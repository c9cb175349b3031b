#include "http/socket.h"

// getaddrinfo, inet_pton and the byte order calls are the same on Winsock and POSIX; only the
// headers that declare them differ.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace net {

bool ResolveIPv4(const std::string& host, std::uint32_t& address) {
  in_addr literal{};
  if (inet_pton(AF_INET, host.c_str(), &literal) == 1) {
    address = ntohl(literal.s_addr);
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return false;
  address = ntohl(reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr.s_addr);
  freeaddrinfo(list);
  return true;
}

}  // namespace net
