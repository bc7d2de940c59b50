#pragma once
// Serves the card model on a local socket: one thread, poll(), many clients. Each client's
// requests are answered in order; a client that goes away loses its handles. A request that
// cannot be taken gets an Error frame and everyone else is served on. Peers of another user are
// refused.

#include "sim/daemon/RequestDecoder.h"
#include "sim/model/CardModel.h"
#include "sim/protocol/Wire.h"

#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace simcard {

class CardDaemon {
public:
    static constexpr std::size_t kMaxPendingOutput = 64 * 1024 * 1024;

    CardDaemon(CardModel& model, std::string socketPath, uid_t allowedUid);
    ~CardDaemon();
    CardDaemon(const CardDaemon&) = delete;
    CardDaemon& operator=(const CardDaemon&) = delete;

    // Binds the socket; a stale socket of a dead daemon is replaced, a live one is an error.
    bool Listen(std::string* error);
    // Serves until `stopFd` becomes readable.
    void Run(int stopFd);

private:
    struct Connection {
        int fd;
        ClientId client;
        RequestDecoder decoder;
        std::vector<std::uint8_t> output;
        bool closing = false; // drop once the output is written
    };

    void Accept();
    void ReadFrom(Connection& c);
    void WriteTo(Connection& c);
    void Queue(Connection& c, const std::vector<std::uint8_t>& frame);
    void Drop(int fd);

    CardModel& model_;
    std::string path_;
    uid_t allowedUid_;
    int listenFd_ = -1;
    std::map<int, std::unique_ptr<Connection>> connections_;
};

} // namespace simcard
