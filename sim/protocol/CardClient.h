#pragma once
// The card's driver as seen from another process: a connection to the card daemon's socket.
// Requests are answered in order; a reader thread takes every frame off the socket, hands replies
// to the waiting request and device-change events to the handler (on that thread). A client that
// only asks and ends (the configuration process) has no reader: each request reads up to its own
// reply, which spares it a thread and two hand-overs per request. Once the connection is lost
// every request fails with MMSYSERR_NODRIVER (lists come back empty).

#include "sim/protocol/CardService.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace simcard {

struct ControlReply {
    int status = 0;
    std::string output;
    std::string error;
};

class CardClient : public ICardService {
public:
    static constexpr int kReplyTimeoutMs = 15000;

    enum class Replies { ReaderThread, ReadByRequest };

    explicit CardClient(Replies replies = Replies::ReaderThread) : replies_(replies) {}
    ~CardClient() override;
    CardClient(const CardClient&) = delete;
    CardClient& operator=(const CardClient&) = delete;

    // Connects and introduces this process; false with `error` when no daemon answers or it
    // refuses us.
    bool Connect(const std::string& socketPath, std::string* error);
    void Disconnect();
    bool Connected() const;
    // The text of the last refusal or failure, for messages.
    std::string LastError() const;
    // Whether the last Connect failed because nothing listens at the path (starting a daemon may
    // help), rather than a socket that exists but refuses us.
    bool NoDaemon() const { return noDaemon_; }

    std::vector<WaveDeviceCaps> ListDevices(WaveDirection direction) override;
    OpenReply Open(WaveDirection direction, std::uint32_t deviceId,
                   std::span<const std::uint8_t> format) override;
    std::uint32_t Close(WaveDirection direction, std::uint32_t handle) override;
    MessageReply Message(WaveDirection direction, std::uint32_t handle, std::uint32_t message,
                         std::uint32_t param1, std::uint32_t param2,
                         std::span<const std::uint8_t> block) override;
    // One request; a daemon that does not know it is asked a message per target.
    std::vector<MessageReply> ReadMeters(std::span<const MeterTarget> targets,
                                         std::uint32_t param1) override;
    ConfigReply Config(std::uint32_t code, std::span<const std::uint8_t> data) override;
    void SetDeviceChangeHandler(DeviceChangeHandler handler) override;
    void AnswerDeviceChange(std::uint32_t eventId) override;
    // Called on the reader thread when the daemon hangs up or the connection breaks (not after
    // Disconnect). It must not wait for anything that may be waiting for this client.
    void SetLostHandler(std::function<void()> handler);

    // A varnelctl command, carried out by the daemon.
    ControlReply Control(const std::vector<std::string>& args);

private:
    struct Pending {
        bool done = false;
        bool error = false;
        std::vector<std::uint8_t> payload;
    };

    // The reply's payload; nullopt when the daemon answered with an error or is gone.
    std::optional<std::vector<std::uint8_t>> Request(std::uint8_t type,
                                                     const std::vector<std::uint8_t>& frameBody);
    bool Send(const std::vector<std::uint8_t>& frame);
    void ReadLoop();
    // Reads until `sequence` is answered, the connection is lost or `deadline` passes.
    void ReadUntilAnswered(std::uint32_t sequence, std::chrono::steady_clock::time_point deadline);
    // Takes one receive's bytes off the socket and dispatches the frames they complete; false
    // when the connection ended or broke.
    bool ReceiveFrames();
    void ConnectionEnded();
    void Dispatch(const std::vector<std::uint8_t>& frame);

    const Replies replies_;
    int fd_ = -1;
    std::thread reader_;
    std::vector<std::uint8_t> received_;
    mutable std::mutex mutex_;
    std::condition_variable replied_;
    std::map<std::uint32_t, Pending> pending_;
    std::uint32_t nextSequence_ = 1;
    bool lost_ = true;
    std::string lastError_;
    std::mutex writeMutex_;
    DeviceChangeHandler handler_;
    std::function<void()> lostHandler_;
    bool disconnecting_ = false;
    bool noDaemon_ = false;
};

} // namespace simcard
