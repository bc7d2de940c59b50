#include "toolkit/automation/AutomationSocket.h"

#include "base/UnixSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

std::runtime_error Failure(const std::string& what) {
    return std::runtime_error("automation: " + what);
}

} // namespace

struct AutomationSocket::Client {
    int fd = -1;
    std::string line;
    bool discarding = false; // the rest of a line too long
};

AutomationSocket::AutomationSocket(const std::string& path, Handler handler)
    : path_(path), handler_(std::move(handler)) {
    base::Listener listener = base::ListenUnix(path, true, 8);
    if (listener.fd < 0)
        throw Failure(listener.error);
    listenFd_ = listener.fd;
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        close(listenFd_);
        unlink(path.c_str());
        throw Failure("cannot listen on " + path + ": " + reason);
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
    const int fd = base::AcceptUnix(listenFd_, false);
    if (fd < 0)
        return;
    if (!base::PeerIsUser(fd)) {
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
    const std::ptrdiff_t got = base::ReceiveSome(
        client.fd, std::span(reinterpret_cast<std::uint8_t*>(buffer), sizeof buffer));
    if (got < 0 && errno == EAGAIN)
        return true;
    if (got <= 0)
        return false; // gone; a line it had begun is dropped
    for (std::ptrdiff_t i = 0; i < got; ++i) {
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
    return base::SendAll(fd, text);
}
