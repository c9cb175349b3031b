#pragma once

namespace net {

// Winsock is started on first use and cleaned up when the process ends; POSIX sockets need no
// start. False when sockets cannot be used.
bool StartSockets();

}  // namespace net
