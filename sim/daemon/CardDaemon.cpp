#include "sim/daemon/CardDaemon.h"

#include "base/SocketDirectory.h"
#include "base/UnixSocket.h"
#include "sim/daemon/RequestHandler.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace simcard {

using wire::FrameType;
using wire::Writer;

namespace {

std::vector<std::uint8_t> ErrorFrame(std::uint32_t sequence, const std::string& text) {
    return Writer().Text(text).Frame(FrameType::Error, sequence);
}

} // namespace

CardDaemon::CardDaemon(CardModel& model, std::string socketPath, uid_t allowedUid)
    : model_(model), path_(std::move(socketPath)), allowedUid_(allowedUid) {}

CardDaemon::~CardDaemon() {
    // The socket goes before the clients hear the end, so that one waiting for it (varnelctl
    // shutdown) can start the next daemon at once.
    if (listenFd_ >= 0) {
        // Never the socket of a daemon that took our path over.
        if (OwnsSocketPath())
            unlink(path_.c_str());
        close(listenFd_);
    }
    for (auto& [fd, c] : connections_)
        close(fd);
}

bool CardDaemon::OwnsSocketPath() const {
    struct stat st {};
    return lstat(path_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_dev == socketDevice_ &&
           st.st_ino == socketInode_;
}

bool CardDaemon::Listen(std::string* error) {
    std::string notice;
    if (!base::PrepareSocketDirectory(path_, error, &notice))
        return false;
    if (!notice.empty())
        std::fprintf(stderr, "varnel-cardd: %s\n", notice.c_str());
    base::Listener listener = base::ListenUnix(path_, true, 64);
    if (listener.fd < 0) {
        *error = listener.taken ? "a card daemon already serves " + path_ + "; not starting another"
                                : listener.error;
        return false;
    }
    listenFd_ = listener.fd;
    struct stat own {};
    if (lstat(path_.c_str(), &own) == 0) {
        socketDevice_ = own.st_dev;
        socketInode_ = own.st_ino;
    }
    return true;
}

int CardDaemon::PollTimeout(std::uint64_t now) const {
    std::uint64_t due = lastSocketCheck_ + kSocketCheckMs;
    if (auto deadline = model_.NextDeadline())
        due = std::min(due, *deadline);
    if (exitIdleMs_ > 0 && connections_.empty())
        due = std::min(due, idleSince_ + exitIdleMs_);
    for (const auto& [fd, c] : connections_)
        if (c->partialSince)
            due = std::min(due, *c->partialSince + kPartialRequestMs);
    return due <= now ? 0 : static_cast<int>(due - now);
}

CardDaemon::End CardDaemon::Run(int stopFd) {
    // The clock is first asked here, after a detaching daemon has forked: its timer thread
    // would not survive the fork.
    idleSince_ = lastSocketCheck_ = model_.Now();
    for (;;) {
        std::vector<pollfd> fds{{stopFd, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        for (auto& [fd, c] : connections_)
            fds.push_back({fd, static_cast<short>(POLLIN | (c->output.empty() ? 0 : POLLOUT)), 0});
        if (poll(fds.data(), fds.size(), PollTimeout(model_.Now())) < 0 && errno != EINTR)
            return End::Failed;
        if (fds[0].revents)
            return End::Stopped;
        const std::uint64_t now = model_.Now();
        if (now >= lastSocketCheck_ + kSocketCheckMs) {
            lastSocketCheck_ = now;
            if (!OwnsSocketPath())
                return End::SocketGone;
        }
        // A device that follows a real sound source or sink keeps the daemon, client or none.
        if (model_.FollowsRealStreams())
            idleSince_ = now;
        if (exitIdleMs_ > 0 && connections_.empty() && now >= idleSince_ + exitIdleMs_)
            return End::Idle;
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
        for (auto& [fd, c] : connections_) {
            if (c->partialSince && model_.Now() >= *c->partialSince + kPartialRequestMs)
                Abandon(*c);
            if (c->closing)
                finished.push_back(fd);
        }
        for (int fd : finished)
            Drop(fd);
        if (roundHook_)
            roundHook_();
        if (model_.EndRequested())
            return End::Stopped;
    }
}

void CardDaemon::Accept() {
    for (;;) {
        const int fd = base::AcceptUnix(listenFd_, true);
        if (fd < 0)
            return;
        const auto peer = base::PeerOf(fd);
        if (!peer || peer->uid != allowedUid_) {
            // Said before hanging up, so a client that got this far knows why.
            (void)base::SendSome(fd, ErrorFrame(0, "peer of another user refused"));
            close(fd);
            continue;
        }
        auto c = std::make_unique<Connection>();
        c->fd = fd;
        c->client = model_.Connect(static_cast<std::uint32_t>(peer->pid));
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
    if (connections_.empty())
        idleSince_ = model_.Now();
}

void CardDaemon::Abandon(Connection& c) {
    c.output.clear();
    c.closing = true;
}

void CardDaemon::Queue(Connection& c, const std::vector<std::uint8_t>& frame) {
    c.output.insert(c.output.end(), frame.begin(), frame.end());
    WriteTo(c);
}

void CardDaemon::WriteTo(Connection& c) {
    while (!c.output.empty()) {
        const std::ptrdiff_t n = base::SendSome(c.fd, c.output);
        if (n == 0)
            break;
        if (n < 0) {
            Abandon(c);
            return;
        }
        c.output.erase(c.output.begin(), c.output.begin() + n);
    }
    // A client that stops reading must not make the daemon hoard its answers.
    if (c.output.size() > kMaxPendingOutput)
        Abandon(c);
}

void CardDaemon::ReadFrom(Connection& c) {
    std::uint8_t chunk[65536];
    const std::ptrdiff_t n = base::ReceiveSome(c.fd, chunk);
    if (n < 0 && errno == EAGAIN)
        return;
    if (n <= 0) {
        Abandon(c);
        return;
    }
    if (c.closing)
        return;
    const int fd = c.fd;
    RequestDecoder::Sink sink;
    sink.refused = [&](std::uint32_t length, const std::vector<std::uint8_t>& error) {
        Queue(c, error);
        // Past a length over the maximum nothing can be trusted to be a frame: the client goes
        // (after its error, as far as its socket takes it).
        if (length > wire::kMaxRequest)
            Abandon(c);
        return !c.closing;
    };
    sink.request = [&](const wire::FrameHeader& header, std::span<const std::uint8_t> payload) {
        c.partialSince.reset();
        auto answer = HandleRequest(model_, c.client, header, payload,
                                    [this, fd](const std::vector<std::uint8_t>& frame) {
                                        auto it = connections_.find(fd);
                                        if (it != connections_.end())
                                            Queue(*it->second, frame);
                                    });
        if (answer)
            Queue(c, *answer);
        if (header.type == wire::FrameType::Open)
            model_.OpenAnswered();
        return !c.closing;
    };
    c.decoder.Feed(std::span<const std::uint8_t>(chunk, static_cast<std::size_t>(n)), sink);
    if (c.decoder.AtFrameStart())
        c.partialSince.reset();
    else if (!c.partialSince)
        c.partialSince = model_.Now();
}

} // namespace simcard
