#pragma once
// Serves the card model on a local socket: one thread, poll(), many clients. Each client's
// requests are answered in order; a client that goes away loses its handles. A request that
// cannot be taken gets an Error frame and everyone else is served on. A client that breaks the
// framing (a length over the maximum, a request left unfinished) or stops reading its answers is
// dropped, so that no client can hold up the others or make the daemon hoard memory. Peers of
// another user are refused. It stops serving when told, when its socket path no longer names its
// own socket (deleted, or taken over by another daemon), and, with an idle exit, once no client has
// been connected for that long.

#include "sim/daemon/RequestDecoder.h"
#include "sim/model/CardModel.h"
#include "sim/protocol/Wire.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace simcard {

class CardDaemon {
public:
    // Answers held for a client beyond what its socket takes; a client that leaves more unread
    // is dropped.
    static constexpr std::size_t kMaxPendingOutput = 64 * 1024;
    // A client writes a request in one go; one left unfinished this long is dropped.
    static constexpr std::uint64_t kPartialRequestMs = 500;
    // How often the socket path is checked: a daemon whose socket is gone ends within twice that.
    static constexpr std::uint64_t kSocketCheckMs = 1000;

    enum class End { Stopped, Idle, SocketGone, Failed };

    CardDaemon(CardModel& model, std::string socketPath, uid_t allowedUid);
    ~CardDaemon();
    CardDaemon(const CardDaemon&) = delete;
    CardDaemon& operator=(const CardDaemon&) = delete;

    // Readies the socket's directory (a line on stderr when it had to be made private) and binds
    // the socket; a stale socket of a dead daemon is replaced, a live one is an
    // error.
    bool Listen(std::string* error);
    // 0: never end for want of clients.
    void SetExitIdle(std::uint64_t ms) { exitIdleMs_ = ms; }
    // Runs after every round of requests, so that whatever follows the cards (their real sound)
    // sees each change before the next poll.
    void SetRoundHook(std::function<void()> hook) { roundHook_ = std::move(hook); }
    // Serves until `stopFd` becomes readable, a client asks it to end (the round of that request
    // is answered first) or another end comes.
    End Run(int stopFd);

private:
    struct Connection {
        int fd;
        ClientId client;
        RequestDecoder decoder;
        std::vector<std::uint8_t> output;
        bool closing = false;                      // drop at the end of this round
        std::optional<std::uint64_t> partialSince; // when the unfinished request began
    };

    void Accept();
    void ReadFrom(Connection& c);
    void WriteTo(Connection& c);
    void Queue(Connection& c, const std::vector<std::uint8_t>& frame);
    void Drop(int fd);
    // Gives up on a client: what it has not taken yet is discarded.
    static void Abandon(Connection& c);
    // Whether the socket path still names the socket this daemon bound.
    bool OwnsSocketPath() const;
    // Milliseconds until the next thing due: a removal, the idle end, the socket check, a
    // client's unfinished request.
    int PollTimeout(std::uint64_t now) const;

    CardModel& model_;
    std::string path_;
    uid_t allowedUid_;
    int listenFd_ = -1;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    std::uint64_t exitIdleMs_ = 0;
    std::uint64_t idleSince_ = 0;
    std::uint64_t lastSocketCheck_ = 0;
    std::map<int, std::unique_ptr<Connection>> connections_;
    std::function<void()> roundHook_;
};

} // namespace simcard
