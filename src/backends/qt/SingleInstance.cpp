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

const char* NamedPath() {
    const char* path = std::getenv("VARNEL_INSTANCE_SOCKET");
    return path && *path ? path : nullptr;
}

// A short read within `timeoutMs`: whether exactly `expected` arrived first.
bool Receives(int fd, const std::string& expected, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    std::uint8_t got[16] = {};
    return poll(&pfd, 1, timeoutMs) == 1 &&
           base::ReceiveSome(fd, std::span(got, expected.size())) ==
               static_cast<std::ptrdiff_t>(expected.size()) &&
           std::memcmp(got, expected.data(), expected.size()) == 0;
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

void SingleInstance::ServeOne(const std::function<void()>& onShow) {
    const int client = base::AcceptUnix(fd_, false);
    if (client < 0)
        return;
    // A request is one short line; a client that sends nothing in time is dropped, and so is
    // one of another user.
    if (base::PeerIsUser(client) && Receives(client, "show\n", 200)) {
        onShow();
        // The asking manager exits either way; a reply it no longer reads changes nothing.
        base::SendAll(client, "ok\n");
    }
    close(client);
}
