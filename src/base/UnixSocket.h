#pragma once
// The local sockets every process of the system speaks over: the card daemon's, the automation
// endpoint and the single-instance socket. Descriptors are close-on-exec, calls are retried on
// EINTR, writes never raise SIGPIPE and always write the whole frame.
//
// Both ends insist on the same user. The server checks its peer's credentials when it accepts;
// the client checks the server's credentials as soon as it is connected, so a client refused for
// being another user knows it at once and says so, without waiting for an answer that never comes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <sys/types.h>

namespace base {

enum class ConnectFailure {
    None,
    NoListener,  // no socket there, or nobody listens on it
    Unreachable, // the socket exists but may not be opened (its mode, or its directory's)
    OtherUser,   // it answers, but belongs to another user
    Invalid,     // the path cannot name a socket (empty or too long)
};

struct Connection {
    int fd = -1; // owned by the caller; -1 on failure
    ConnectFailure failure = ConnectFailure::None;
    std::string error; // names the path and the reason
};

// The longest path a socket may have.
std::size_t MaxSocketPath();

// Connects to the socket at `path` and checks that its server runs as the caller's user.
Connection ConnectUnix(const std::string& path);

// Whether something listens at `path`, of whatever user.
bool SocketAnswers(const std::string& path);

struct Listener {
    int fd = -1;        // owned by the caller; -1 on failure
    bool taken = false; // failed because a live server listens there
    std::string error;  // names the path and the reason
};

// Listens at `path` with mode 0600, created without access for others at any moment. A socket
// nobody listens on any more is replaced; a live one, one that cannot be probed, or anything
// that is no socket is left alone and reported.
Listener ListenUnix(const std::string& path, bool nonblocking, int backlog);

// The next waiting peer (close-on-exec, nonblocking as asked), or -1 when none waits.
int AcceptUnix(int listenFd, bool nonblocking);

// The user and process on the other end of a connected socket.
struct PeerCredentials {
    uid_t uid;
    pid_t pid;
};
std::optional<PeerCredentials> PeerOf(int fd);
// Whether the other end runs as this process's effective user (or `uid` when given).
bool PeerIsUser(int fd, std::optional<uid_t> uid = std::nullopt);

// Writes the whole of `bytes`; false once the peer is gone. On a nonblocking socket use SendSome.
bool SendAll(int fd, std::span<const std::uint8_t> bytes);
bool SendAll(int fd, const std::string& text);
// Writes what the socket takes now: the count written, 0 when it takes nothing now, -1 when the
// peer is gone.
std::ptrdiff_t SendSome(int fd, std::span<const std::uint8_t> bytes);
// Reads what has arrived: the count read, 0 at the peer's end, -1 on an error (EAGAIN included:
// check errno).
std::ptrdiff_t ReceiveSome(int fd, std::span<std::uint8_t> buffer);
// Whether something (data or the peer's end) can be read within `timeoutMs`.
bool AwaitReadable(int fd, int timeoutMs);

} // namespace base
