#include "backends/qt/SingleInstance.h"

#include "base/SocketDirectory.h"
#include "base/UnixSocket.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kAnswerTimeoutMs = 2000;
// Ending saves the windows' state and closes every handle; a configuration command under way
// (its limit is five seconds) finishes first.
constexpr int kEndTimeoutMs = 30000;

const char* NamedPath() {
    const char* path = std::getenv("VARNEL_INSTANCE_SOCKET");
    return path && *path ? path : nullptr;
}

// A short read of `size` bytes within `timeoutMs`; empty when they did not come.
std::string Receive(int fd, std::size_t size, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    std::uint8_t got[16] = {};
    if (poll(&pfd, 1, timeoutMs) != 1 ||
        base::ReceiveSome(fd, std::span(got, size)) != static_cast<std::ptrdiff_t>(size))
        return {};
    return std::string(reinterpret_cast<const char*>(got), size);
}

bool Receives(int fd, const std::string& expected, int timeoutMs) {
    return Receive(fd, expected.size(), timeoutMs) == expected;
}

// Sends `show` and waits for `ok`: true when a running manager of this user took the request.
bool AskShow(const std::string& path) {
    const base::Connection connection = base::ConnectUnix(path);
    if (connection.fd < 0)
        return false;
    const bool answered =
        base::SendAll(connection.fd, "show\n") && Receives(connection.fd, "ok\n", kAnswerTimeoutMs);
    close(connection.fd);
    return answered;
}

} // namespace

SingleInstance::~SingleInstance() {
    // A quitter's connection stays open to the process's end, which it waits for.
    if (fd_ >= 0) {
        close(fd_);
        unlink(path_.c_str());
    }
}

std::string SingleInstance::DefaultPath() {
    if (const char* path = NamedPath())
        return path;
    return base::RuntimeDirectory() + "/manager.sock";
}

SingleInstance::Outcome SingleInstance::Claim(const std::string& path, std::string& error) {
    std::string notice;
    if (!base::PrepareSocketDirectory(path, &error, &notice))
        return Outcome::Failed;
    if (!notice.empty())
        std::fprintf(stderr, "varnel-manager: %s\n", notice.c_str());
    // Two managers starting at once take turns here, so exactly one of them listens.
    const std::string lockPath = path + ".lock";
    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        error = "cannot lock " + lockPath + ": " + std::strerror(errno);
        if (lock >= 0)
            close(lock);
        return Outcome::Failed;
    }
    Outcome outcome = Outcome::Failed;
    if (AskShow(path)) {
        outcome = Outcome::AskedRunning;
    } else {
        // A socket left behind by a manager that ended without cleaning up is replaced; one
        // that still listens but did not answer is not taken from its manager.
        base::Listener listener = base::ListenUnix(path, true, 4);
        fd_ = listener.fd;
        if (fd_ >= 0) {
            path_ = path;
            outcome = Outcome::First;
        } else {
            error = listener.error;
        }
    }
    flock(lock, LOCK_UN);
    close(lock);
    return outcome;
}

void SingleInstance::ServeOne(const std::function<void()>& onShow,
                              const std::function<void()>& onQuit) {
    const int client = base::AcceptUnix(fd_, false);
    if (client < 0)
        return;
    // A request is one short line; a client that sends nothing in time is dropped, and so is
    // one of another user.
    const std::string request = base::PeerIsUser(client) ? Receive(client, 5, 200) : "";
    if (request == "show\n") {
        onShow();
        // The asking manager exits either way; a reply it no longer reads changes nothing.
        base::SendAll(client, "ok\n");
    } else if (request == "quit\n") {
        onQuit();
        base::SendAll(client, "ok\n");
        quitters_.push_back(client);
        return;
    }
    close(client);
}

bool SingleInstance::AskQuit(const std::string& path, std::string& error) {
    const base::Connection connection = base::ConnectUnix(path);
    if (connection.fd < 0) {
        error = connection.failure == base::ConnectFailure::NoListener
                    ? "no manager of this user runs on this display"
                    : connection.error;
        return false;
    }
    const int fd = connection.fd;
    bool ended = false;
    if (base::SendAll(fd, "quit\n") && Receives(fd, "ok\n", kAnswerTimeoutMs)) {
        // The connection ends with the manager's process.
        std::uint8_t byte;
        pollfd pfd{fd, POLLIN, 0};
        ended =
            poll(&pfd, 1, kEndTimeoutMs) == 1 && base::ReceiveSome(fd, std::span(&byte, 1)) <= 0;
        if (!ended)
            error = "the running manager did not end within " +
                    std::to_string(kEndTimeoutMs / 1000) + " seconds";
    } else {
        error = "the running manager did not answer";
    }
    close(fd);
    return ended;
}
