#include "base/UnixSocket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace base {

namespace {

bool AddressOf(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() > MaxSocketPath())
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string TooLong(const std::string& path) {
    return "the socket path \"" + path + "\" is empty or longer than " +
           std::to_string(MaxSocketPath()) + " bytes";
}

// A connected socket, or -1 with errno from the last attempt. An interrupted connect leaves the
// socket in a state that is awkward to resume, so it starts over on a fresh one.
int Connect(const sockaddr_un& address) {
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return fd;
        const int reason = errno;
        close(fd);
        errno = reason;
        if (reason != EINTR)
            return -1;
    }
}

} // namespace

std::size_t MaxSocketPath() {
    return sizeof(sockaddr_un::sun_path) - 1;
}

Connection ConnectUnix(const std::string& path) {
    Connection result;
    sockaddr_un address;
    if (!AddressOf(path, address)) {
        result.failure = ConnectFailure::Invalid;
        result.error = TooLong(path);
        return result;
    }
    const int fd = Connect(address);
    if (fd < 0) {
        const bool absent = errno == ENOENT || errno == ECONNREFUSED || errno == ENOTDIR;
        result.failure = absent ? ConnectFailure::NoListener : ConnectFailure::Unreachable;
        result.error = (absent ? "nothing listens at " + path
                               : "the socket " + path + " exists but cannot be reached") +
                       ": " + std::strerror(errno);
        return result;
    }
    const auto server = PeerOf(fd);
    if (!server || server->uid != geteuid()) {
        close(fd);
        result.failure = ConnectFailure::OtherUser;
        result.error = path + " belongs to another user" +
                       (server ? " (uid " + std::to_string(server->uid) + ")" : std::string()) +
                       "; refusing to talk to it";
        return result;
    }
    result.fd = fd;
    return result;
}

bool SocketAnswers(const std::string& path) {
    sockaddr_un address;
    if (!AddressOf(path, address))
        return false;
    const int fd = Connect(address);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

Listener ListenUnix(const std::string& path, bool nonblocking, int backlog) {
    Listener result;
    sockaddr_un address;
    if (!AddressOf(path, address)) {
        result.error = TooLong(path);
        return result;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            result.error = path + " exists and is not a socket";
            return result;
        }
        const int probe = Connect(address);
        if (probe >= 0) {
            close(probe);
            result.taken = true;
            result.error = "another process already listens at " + path;
            return result;
        }
        // Only a socket that refuses is known to be dead; one we may not even try is not ours
        // to remove.
        if (errno != ECONNREFUSED && errno != ENOENT) {
            result.error = path + " exists but cannot be probed: " + std::strerror(errno);
            return result;
        }
        unlink(path.c_str());
    }
    const int fd =
        socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (nonblocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0) {
        result.error = "cannot create a socket for " + path + ": " + std::strerror(errno);
        return result;
    }
    // The socket file is created with no access for others at all, not opened up and narrowed.
    const mode_t previous = umask(0177);
    const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    umask(previous);
    if (bound != 0 || listen(fd, backlog) != 0) {
        result.taken = bound != 0 && bindError == EADDRINUSE;
        result.error =
            "cannot listen on " + path + ": " + std::strerror(bound != 0 ? bindError : errno);
        if (bound == 0)
            unlink(path.c_str());
        close(fd);
        return result;
    }
    result.fd = fd;
    return result;
}

int AcceptUnix(int listenFd, bool nonblocking) {
    for (;;) {
        const int fd =
            accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | (nonblocking ? SOCK_NONBLOCK : 0));
        if (fd >= 0 || (errno != EINTR && errno != ECONNABORTED))
            return fd;
    }
}

std::optional<PeerCredentials> PeerOf(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer)
        return std::nullopt;
    return PeerCredentials{peer.uid, peer.pid};
}

bool PeerIsUser(int fd, std::optional<uid_t> uid) {
    const auto peer = PeerOf(fd);
    return peer && peer->uid == uid.value_or(geteuid());
}

bool SendAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool SendAll(int fd, const std::string& text) {
    return SendAll(fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::ptrdiff_t SendSome(int fd, std::span<const std::uint8_t> bytes) {
    for (;;) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

std::ptrdiff_t ReceiveSome(int fd, std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool AwaitReadable(int fd, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{fd, POLLIN, 0};
        const int n = poll(&entry, 1, static_cast<int>(std::max<long>(0, left.count())));
        if (n >= 0 || errno != EINTR)
            return n > 0;
    }
}

} // namespace base
