#include "toolkit/automation/AutomationSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

std::runtime_error Failure(const std::string& path, const std::string& what) {
    return std::runtime_error("automation: cannot listen on " + path + ": " + what);
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        throw Failure(path, "the path is empty or longer than " +
                                std::to_string(sizeof address.sun_path - 1) + " bytes");
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// Removes a socket nobody listens on any more; refuses to touch anything else.
void ClearStaleSocket(const std::string& path, const sockaddr_un& address) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (!S_ISSOCK(info.st_mode))
        throw Failure(path, "it exists and is no socket");
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool live = probe >= 0 && connect(probe, reinterpret_cast<const sockaddr*>(&address),
                                            sizeof address) == 0;
    if (probe >= 0)
        close(probe);
    if (live)
        throw Failure(path, "another program listens there");
    unlink(path.c_str());
}

bool SameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

} // namespace

struct AutomationSocket::Client {
    int fd = -1;
    std::string line;
    bool discarding = false; // the rest of a line too long
};

AutomationSocket::AutomationSocket(const std::string& path, Handler handler)
    : path_(path), handler_(std::move(handler)) {
    const sockaddr_un address = AddressOf(path);
    ClearStaleSocket(path, address);
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw Failure(path, std::strerror(errno));
    // The socket is created with no access for others at all, not opened up and then narrowed.
    const mode_t previous = umask(0177);
    const int bound = bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    umask(previous);
    if (bound != 0 || listen(listenFd_, 8) != 0) {
        const std::string reason = std::strerror(bound != 0 ? bindError : errno);
        close(listenFd_);
        throw Failure(path, reason);
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        close(listenFd_);
        unlink(path.c_str());
        throw Failure(path, reason);
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    thread_ = std::thread([this] { Run(); });
}

AutomationSocket::~AutomationSocket() {
    const char stop = 1;
    [[maybe_unused]] auto written = write(wakeWrite_, &stop, 1);
    thread_.join();
    close(wakeRead_);
    close(wakeWrite_);
    close(listenFd_);
    unlink(path_.c_str());
}

void AutomationSocket::Run() {
    std::vector<Client> clients;
    while (true) {
        std::vector<pollfd> fds{{wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        for (const Client& client : clients)
            fds.push_back({client.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;
        if (fds[1].revents & POLLIN)
            Accept(clients);
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].revents == 0)
                continue;
            Client& client = clients[i - 2];
            if (!Read(client)) {
                close(client.fd);
                client.fd = -1;
            }
        }
        std::erase_if(clients, [](const Client& c) { return c.fd < 0; });
    }
    for (Client& client : clients)
        close(client.fd);
}

void AutomationSocket::Accept(std::vector<Client>& clients) {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (!SameUser(fd)) {
        close(fd);
        return;
    }
    // A client that stops reading its answers must not stall the endpoint for good.
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (clients.size() >= kMaxClients) {
        Send(fd, "error: too many connections\n");
        close(fd);
        return;
    }
    clients.push_back(Client{fd, {}, false});
}

bool AutomationSocket::Read(Client& client) {
    char buffer[4096];
    const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (got <= 0)
        return false; // gone; a line it had begun is dropped
    for (ssize_t i = 0; i < got; ++i) {
        const char c = buffer[i];
        if (client.discarding) {
            client.discarding = c != '\n';
            continue;
        }
        if (c != '\n') {
            client.line += c;
            if (client.line.size() > kMaxLine) {
                client.line.clear();
                client.discarding = true;
                if (!Send(client.fd, "error: line too long\n"))
                    return false;
            }
            continue;
        }
        std::string line = std::move(client.line);
        client.line.clear();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!Send(client.fd, handler_(line)))
            return false;
    }
    return true;
}

bool AutomationSocket::Send(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}
