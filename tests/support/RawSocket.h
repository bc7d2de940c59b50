#pragma once
// Local sockets as the tests use them, with none of the checks the system's own clients make:
// reaching a server by its path, and leaving a socket file that nobody listens on.

#include <string>
#include <sys/un.h>

namespace testsupport {

// The address of the socket at `path` (cut to what sun_path holds).
sockaddr_un UnixAddress(const std::string& path);

// A stream connection to the socket at `path` (close-on-exec), or -1.
int RawConnect(const std::string& path);

// True when something accepts connections at `path` just now.
bool Accepts(const std::string& path);

// A socket bound to `path` that listens to nobody (close-on-exec), or -1; closing it leaves the
// file behind, as a server that ended without cleaning up does.
int RawBind(const std::string& path);

} // namespace testsupport
