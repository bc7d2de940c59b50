#include "sim/daemon/CardDaemon.h"

#include "sim/model/CardControl.h"
#include "sim/protocol/SocketPath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace simcard {

using wire::FrameType;
using wire::Reader;
using wire::Writer;

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::vector<std::uint8_t> ErrorFrame(std::uint32_t sequence, const std::string& text) {
    return Writer().Text(text).Frame(FrameType::Error, sequence);
}

bool ValidDirection(std::uint8_t d) {
    return d <= 1;
}

} // namespace

CardDaemon::CardDaemon(CardModel& model, std::string socketPath, uid_t allowedUid)
    : model_(model), path_(std::move(socketPath)), allowedUid_(allowedUid) {}

CardDaemon::~CardDaemon() {
    for (auto& [fd, c] : connections_)
        close(fd);
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(path_.c_str());
    }
}

bool CardDaemon::Listen(std::string* error) {
    sockaddr_un addr;
    if (!MakeAddress(path_, addr)) {
        *error = "socket path too long: " + path_;
        return false;
    }
    if (!PrepareSocketDirectory(path_, error))
        return false;
    struct stat st {};
    if (lstat(path_.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            *error = path_ + " exists and is not a socket";
            return false;
        }
        int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool alive = connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(probe);
        if (alive) {
            *error = "a card daemon already serves " + path_;
            return false;
        }
        unlink(path_.c_str()); // left behind by a daemon that died
    }
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        chmod(path_.c_str(), 0600) != 0 || listen(listenFd_, 64) != 0) {
        *error = "cannot listen on " + path_ + ": " + std::strerror(errno);
        if (listenFd_ >= 0)
            close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    return true;
}

void CardDaemon::Run(int stopFd) {
    for (;;) {
        std::vector<pollfd> fds{{stopFd, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        for (auto& [fd, c] : connections_)
            fds.push_back({fd, static_cast<short>(POLLIN | (c->output.empty() ? 0 : POLLOUT)), 0});
        int timeout = -1;
        if (auto deadline = model_.NextDeadline()) {
            std::uint64_t now = model_.Now();
            timeout = *deadline <= now
                          ? 0
                          : static_cast<int>(std::min<std::uint64_t>(*deadline - now, 60000));
        }
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;
        model_.Tick();
        if (fds[1].revents & POLLIN)
            Accept();
        for (std::size_t i = 2; i < fds.size(); ++i) {
            auto it = connections_.find(fds[i].fd);
            if (it == connections_.end())
                continue;
            Connection& c = *it->second;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                ReadFrom(c);
            if (connections_.count(fds[i].fd) && (fds[i].revents & POLLOUT))
                WriteTo(c);
        }
        std::vector<int> finished;
        for (auto& [fd, c] : connections_)
            if (c->closing && c->output.empty())
                finished.push_back(fd);
        for (int fd : finished)
            Drop(fd);
    }
}

void CardDaemon::Accept() {
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        ucred peer{};
        socklen_t length = sizeof peer;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
            peer.uid != allowedUid_) {
            auto frame = ErrorFrame(0, "peer of another user refused");
            (void)!send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
            close(fd);
            continue;
        }
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->client = model_.Connect(static_cast<std::uint32_t>(peer.pid));
        connections_[fd] = std::move(c);
    }
}

void CardDaemon::Drop(int fd) {
    auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    ClientId client = it->second->client;
    close(fd);
    connections_.erase(it);
    model_.Disconnect(client);
}

void CardDaemon::Queue(Connection& c, const std::vector<std::uint8_t>& frame) {
    c.output.insert(c.output.end(), frame.begin(), frame.end());
    WriteTo(c);
}

void CardDaemon::WriteTo(Connection& c) {
    while (!c.output.empty()) {
        ssize_t n = send(c.fd, c.output.data(), c.output.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            c.output.clear();
            c.closing = true;
            return;
        }
        c.output.erase(c.output.begin(), c.output.begin() + n);
    }
    // A client that stops reading must not make the daemon hoard its answers.
    if (c.output.size() > kMaxPendingOutput) {
        c.output.clear();
        c.closing = true;
    }
}

void CardDaemon::ReadFrom(Connection& c) {
    std::uint8_t chunk[65536];
    ssize_t n = recv(c.fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        c.output.clear();
        c.closing = true;
        return;
    }
    std::span<const std::uint8_t> data(chunk, static_cast<std::size_t>(n));
    if (c.skip) {
        std::size_t dropped = std::min<std::size_t>(c.skip, data.size());
        c.skip -= static_cast<std::uint32_t>(dropped);
        data = data.subspan(dropped);
    }
    c.input.insert(c.input.end(), data.begin(), data.end());
    std::size_t used = 0;
    while (!c.closing && c.input.size() - used >= 4) {
        std::span<const std::uint8_t> rest(c.input.data() + used, c.input.size() - used);
        std::uint32_t length = wire::FrameLength(rest);
        if (length < 5 || length > wire::kMaxRequest) {
            Queue(c, ErrorFrame(0, "request of " + std::to_string(length) +
                                       " bytes refused: a request holds 5 to " +
                                       std::to_string(wire::kMaxRequest) + " bytes"));
            // Drop the oversized request as it arrives and read on after it.
            std::size_t available = rest.size() - 4;
            std::size_t dropped = std::min<std::size_t>(available, length);
            used += 4 + dropped;
            c.skip = length - static_cast<std::uint32_t>(dropped);
            break;
        }
        if (rest.size() < 4 + length)
            break;
        auto frame = rest.subspan(0, 4 + length);
        Handle(c, wire::ParseHeader(frame), frame.subspan(wire::kHeaderSize));
        used += 4 + length;
    }
    c.input.erase(c.input.begin(), c.input.begin() + used);
}

void CardDaemon::Handle(Connection& c, const wire::FrameHeader& header,
                        std::span<const std::uint8_t> payload) {
    Reader r(payload);
    Writer w;
    const std::uint32_t seq = header.sequence;
    auto malformed = [&] { Queue(c, ErrorFrame(seq, "malformed request")); };
    switch (header.type) {
    case FrameType::Hello:
        r.U32();
        if (!r.Complete())
            return malformed();
        w.U32(wire::kProtocolVersion);
        break;
    case FrameType::ListDevices: {
        std::uint8_t d = r.U8();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return Queue(c, ErrorFrame(seq, "direction out of range"));
        auto devices = model_.ListDevices(static_cast<WaveDirection>(d));
        w.U16(static_cast<std::uint16_t>(devices.size()));
        for (const auto& dev : devices)
            w.U16(dev.manufacturerId).U16(dev.productId).Text(dev.name);
        break;
    }
    case FrameType::Open: {
        std::uint8_t d = r.U8();
        std::uint32_t id = r.U32();
        auto format = r.Bytes();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return Queue(c, ErrorFrame(seq, "direction out of range"));
        OpenReply open = model_.Open(c.client, static_cast<WaveDirection>(d), id, format);
        w.U32(open.result).U32(open.handle);
        break;
    }
    case FrameType::Close: {
        std::uint8_t d = r.U8();
        std::uint32_t handle = r.U32();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return Queue(c, ErrorFrame(seq, "direction out of range"));
        w.U32(model_.Close(c.client, static_cast<WaveDirection>(d), handle));
        break;
    }
    case FrameType::Message: {
        std::uint8_t d = r.U8();
        std::uint32_t handle = r.U32(), message = r.U32(), p1 = r.U32(), p2 = r.U32();
        auto block = r.Bytes();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return Queue(c, ErrorFrame(seq, "direction out of range"));
        MessageReply reply =
            model_.Message(c.client, static_cast<WaveDirection>(d), handle, message, p1, p2, block);
        w.U32(reply.result).Bytes(reply.block);
        break;
    }
    case FrameType::Config: {
        std::uint32_t code = r.U32();
        auto data = r.Bytes();
        if (!r.Complete())
            return malformed();
        ConfigReply reply = model_.Config(c.client, code, data);
        w.U32(reply.result)
            .Bytes(reply.data)
            .U8(static_cast<std::uint8_t>(reply.fault))
            .U32(reply.delayMs);
        break;
    }
    case FrameType::Subscribe: {
        if (!r.Complete())
            return malformed();
        const int fd = c.fd;
        model_.Subscribe(c.client, [this, fd](const DeviceChangeEvent& e) {
            auto it = connections_.find(fd);
            if (it != connections_.end())
                Queue(*it->second, Writer()
                                       .U32(e.id)
                                       .U32(e.event)
                                       .U32(e.deviceType)
                                       .U32(e.devnode)
                                       .Frame(FrameType::DeviceChange, 0));
        });
        break;
    }
    case FrameType::Answer: {
        std::uint32_t id = r.U32();
        if (!r.Complete())
            return malformed();
        model_.AnswerDeviceChange(c.client, id);
        return; // no reply
    }
    case FrameType::Control: {
        std::uint16_t count = r.U16();
        std::vector<std::string> args;
        for (std::uint16_t i = 0; i < count && r.Ok(); ++i)
            args.push_back(r.Text());
        if (!r.Complete())
            return malformed();
        ControlResult result = RunControl(model_, c.client, args);
        w.U32(static_cast<std::uint32_t>(result.status)).Text(result.output).Text(result.error);
        break;
    }
    default:
        return Queue(c, ErrorFrame(seq, "unknown request type " +
                                            std::to_string(static_cast<int>(header.type))));
    }
    Queue(c, w.Frame(FrameType::Reply, seq));
    if (header.type == FrameType::Open)
        model_.OpenAnswered();
}

} // namespace simcard
