#include "backends/qt/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kAnswerTimeoutMs = 2000;

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool PrivateDirectory(const std::string& path, std::string& error) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = dir + " is not a directory";
        return false;
    }
    if (!std::getenv("VARNEL_INSTANCE_SOCKET") && st.st_uid != geteuid()) {
        error = dir + " belongs to another user";
        return false;
    }
    return true;
}

// Sends `show` and waits for `ok`: true when a running manager took the request.
bool AskShow(const sockaddr_un& addr) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        write(fd, "show\n", 5) == 5) {
        pollfd pfd{fd, POLLIN, 0};
        char reply[8] = {};
        answered = poll(&pfd, 1, kAnswerTimeoutMs) == 1 && read(fd, reply, 3) == 3 &&
                   std::memcmp(reply, "ok\n", 3) == 0;
    }
    close(fd);
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
    if (const char* path = std::getenv("VARNEL_INSTANCE_SOCKET"); path && *path)
        return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/varnel-pro/manager.sock";
    return "/tmp/varnel-pro-" + std::to_string(getuid()) + "/manager.sock";
}

SingleInstance::Outcome SingleInstance::Claim(const std::string& path, std::string& error) {
    sockaddr_un addr{};
    if (!MakeAddress(path, addr)) {
        error = "socket path too long: " + path;
        return Outcome::Failed;
    }
    if (!PrivateDirectory(path, error))
        return Outcome::Failed;
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
    if (AskShow(addr)) {
        outcome = Outcome::AskedRunning;
    } else {
        unlink(path.c_str()); // a socket left behind by a manager that ended without cleaning up
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ >= 0 && bind(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
            listen(fd_, 4) == 0) {
            path_ = path;
            outcome = Outcome::First;
        } else {
            error = "cannot listen on " + path + ": " + std::strerror(errno);
            if (fd_ >= 0)
                close(fd_);
            fd_ = -1;
        }
    }
    flock(lock, LOCK_UN);
    close(lock);
    return outcome;
}

void SingleInstance::ServeOne(const std::function<void()>& onShow) {
    const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    // A request is one short line; a client that sends nothing in time is dropped.
    pollfd pfd{client, POLLIN, 0};
    char request[16] = {};
    if (poll(&pfd, 1, 200) == 1 && read(client, request, sizeof request - 1) >= 5 &&
        std::memcmp(request, "show\n", 5) == 0) {
        onShow();
        // The asking manager exits either way; a reply it no longer reads changes nothing.
        [[maybe_unused]] const ssize_t sent = write(client, "ok\n", 3);
    }
    close(client);
}
