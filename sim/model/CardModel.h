#pragma once
// The simulated driver with its cards. It serves any number of clients (the daemon's
// connections; in-process, the model itself is one client, "this process"): each owns the handles
// it opened and may subscribe to device-change events. Besides what the driver answers, it offers
// what the world outside the program changes: signals, busy devices, faults, states, unplugging.
//
// Single-threaded: every call comes from one thread (the daemon's loop, or a test).
//
// Sections: CardModel.cpp clients, devices and handles; CardModelMessages.cpp the driver
// messages; CardModelConfig.cpp configuration commands and card removal.

#include "sim/model/SimulatedCard.h"
#include "sim/protocol/CardService.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace simcard {

using ClientId = std::uint32_t;
// Milliseconds of the card's clock, handed in by whoever runs the model: the daemon runs it on a
// steady clock, a test on its virtual clock, so that the signals and removals follow it.
using ModelClock = std::function<std::uint64_t()>;
// Steady time since the call.
ModelClock SteadyModelClock();

struct ExtraDevice {
    WaveDirection direction = WaveDirection::In;
    std::uint16_t manufacturerId = 0;
    std::uint16_t productId = 0;
    std::string name;
};

struct HandleFact {
    std::uint32_t handle;
    std::uint32_t pid;
    WaveDirection direction;
    std::uint32_t deviceId;
    bool meterOn;
};

class CardModel : public ICardService {
public:
    static constexpr std::uint64_t kRemovalTimeoutMs = 4000;
    static constexpr std::size_t kTraceLimit = 20000;

    CardModel(int cards, ModelClock clock);

    // ICardService, as the in-process client.
    std::vector<WaveDeviceCaps> ListDevices(WaveDirection direction) override;
    OpenReply Open(WaveDirection direction, std::uint32_t deviceId,
                   std::span<const std::uint8_t> format) override;
    std::uint32_t Close(WaveDirection direction, std::uint32_t handle) override;
    MessageReply Message(WaveDirection direction, std::uint32_t handle, std::uint32_t message,
                         std::uint32_t param1, std::uint32_t param2,
                         std::span<const std::uint8_t> block) override;
    ConfigReply Config(std::uint32_t code, std::span<const std::uint8_t> data) override;
    void SetDeviceChangeHandler(DeviceChangeHandler handler) override;
    void AnswerDeviceChange(std::uint32_t eventId) override;

    // Clients. A client that disconnects loses its handles and its meters, and no removal waits
    // for it any longer.
    ClientId Connect(std::uint32_t pid);
    void Disconnect(ClientId client);
    void Subscribe(ClientId client, DeviceChangeHandler handler);
    OpenReply Open(ClientId client, WaveDirection direction, std::uint32_t deviceId,
                   std::span<const std::uint8_t> format);
    std::uint32_t Close(ClientId client, WaveDirection direction, std::uint32_t handle);
    MessageReply Message(ClientId client, WaveDirection direction, std::uint32_t handle,
                         std::uint32_t message, std::uint32_t param1, std::uint32_t param2,
                         std::span<const std::uint8_t> block);
    ConfigReply Config(ClientId client, std::uint32_t code, std::span<const std::uint8_t> data);
    void AnswerDeviceChange(ClientId client, std::uint32_t eventId);
    ClientId InProcessClient() const { return self_; }

    // Time: finishes removals whose wait has run out. NextDeadline says when that is due.
    void Tick();
    std::optional<std::uint64_t> NextDeadline() const;
    std::uint64_t Now() const { return clock_(); }

    // The world outside the program.
    int CardCount() const { return static_cast<int>(cards_.size()); }
    SimulatedCard& Card(int card) { return cards_.at(static_cast<std::size_t>(card)); }
    const SimulatedCard& Card(int card) const { return cards_.at(static_cast<std::size_t>(card)); }
    void AddExtraDevice(const ExtraDevice& device);
    void SetDriverState(std::int32_t state) { driverState_ = state; }
    // `number` counts from 1 as the states do.
    void SetCardState(int number, std::int32_t state) { cardStates_.at(number - 1) = state; }
    std::int32_t DriverState() const { return driverState_; }
    std::int32_t CardState(int number) const;
    void SetConfigFault(ConfigFault fault, std::uint32_t delayMs = 0);
    ConfigFault ConfigFaultKind() const { return configFault_; }
    std::uint32_t ConfigFaultDelay() const { return configDelayMs_; }
    // Asks every subscriber whether the card may go; false when there is no such card or it is
    // already on its way out.
    bool Unplug(int card);
    // Puts back the card last unplugged as card `number`, with the state it had, at that position
    // (or after the last card); no client is told, as no arrival is announced. False when no card
    // was unplugged under that number or every place is taken.
    bool Plug(int number);
    // Arms Unplug(card) for the moment the next open of the card's `device` (in `direction`) has
    // been answered, so that the query meets the client right after it opened that device. False
    // as Unplug, or when an unplug is armed already.
    bool UnplugOnOpen(int card, WaveDirection direction, int device);
    // The daemon has sent its answer to an open: runs the armed unplug when that open named the
    // armed device.
    void OpenAnswered();
    std::size_t PendingRemovals() const { return removals_.size(); }
    // Cards unplugged and not plugged back, with the number each had, oldest first.
    const std::vector<std::pair<int, SimulatedCard>>& UnpluggedCards() const { return unplugged_; }
    // Cards that were out when the daemon before this one ended are out again, and as many of
    // the cards this one started with make room for them: a machine's cards are the same ones
    // whether in or out. Each gets a device node of its own.
    void RestoreUnplugged(std::vector<std::pair<int, SimulatedCard>> cards);
    // Device id of a card's device within its direction's list.
    std::uint32_t DeviceIdOf(int card, WaveDirection direction, int device) const;

    // Facts for status and trace.
    std::vector<HandleFact> Handles() const;
    // Connected clients besides this process itself.
    std::size_t ClientCount() const { return clients_.size() - 1; }
    // The pids of the clients besides `except` that listen for removals: programs using the
    // cards, such as the manager.
    std::vector<std::uint32_t> ListeningPids(ClientId except) const;
    // A client asked the daemon to end once this round of requests is answered.
    void RequestEnd() { endRequested_ = true; }
    bool EndRequested() const { return endRequested_; }
    const std::deque<std::string>& Trace() const { return trace_; }
    void ClearTrace() { trace_.clear(); }
    const ConfigRecord& SpareConfig(int record) const { return spareConfig_.at(record); }
    // The record getconfig reports at position `record`: the card's own, or the spare one kept
    // for a card that is not there.
    const ConfigRecord& RecordAt(int record) const;
    void SetRecordAt(int record, const ConfigRecord& value);
    // Whether a device follows a real sound source or sink of this machine, or an output is
    // heard on one, whose sound would stop with the daemon: it must then not end for want of
    // clients.
    bool FollowsRealStreams() const;
    // The machine's sound server's default sink and source as last seen (empty when not known),
    // from whoever connects the card to it; a control command checks a feedback loop with them.
    struct ServerDefaults {
        std::string sink, source;
    };
    void SetServerDefaults(std::function<ServerDefaults()> query) {
        serverDefaults_ = std::move(query);
    }
    ServerDefaults DefaultsOfServer() const {
        return serverDefaults_ ? serverDefaults_() : ServerDefaults{};
    }

private:
    struct DeviceEntry {
        WaveDeviceCaps caps;
        std::uint32_t devnode = 0; // 0: not a device of a card
        int device = 0;
    };
    struct Handle {
        ClientId client;
        WaveDirection direction;
        std::uint32_t devnode; // 0 for another maker's device
        int device;
        std::uint32_t foreignId; // device id, for another maker's device
        bool meterOn = false;
        std::uint64_t lastReadMs = 0;
    };
    struct Client {
        std::uint32_t pid;
        DeviceChangeHandler handler;
    };
    struct Removal {
        std::uint32_t eventId;
        std::uint32_t devnode;
        std::uint64_t deadline;
        std::set<ClientId> awaiting;
    };

    void RebuildDevices();
    int CardIndexOf(std::uint32_t devnode) const;
    std::uint32_t DeviceIdOfHandle(const Handle& handle) const;
    MessageReply CardMessage(Handle& handle, SimulatedCard& card, std::uint32_t message,
                             std::uint32_t param1, std::span<const std::uint8_t> block);
    std::uint32_t SetRoute(SimulatedCard& card, int device, std::uint32_t packed);
    double PlaybackPeak(const SimulatedCard& card, int device, int channel, std::uint64_t from,
                        std::uint64_t to);
    double InputPeak(const SimulatedCard& card, int device, int channel, std::uint64_t from,
                     std::uint64_t to);
    void RunConfig(std::uint32_t code, std::span<std::uint8_t> data, std::uint32_t& result);
    void FinishRemoval(std::uint32_t eventId);
    void RemoveCard(std::uint32_t devnode);
    void AddTrace(ClientId client, const std::string& call, std::int64_t deviceId,
                  const std::string& what, std::uint32_t p1, std::uint32_t p2, std::uint32_t result,
                  const std::string& suffix = {});

    ModelClock clock_;
    std::vector<SimulatedCard> cards_;
    // Unplugged cards with the number they had, oldest first, ready to be plugged back.
    std::vector<std::pair<int, SimulatedCard>> unplugged_;
    std::uint32_t nextDevnode_ = 0x00C5A010;
    std::vector<DeviceEntry> devices_[2];
    std::vector<ExtraDevice> extras_;
    std::map<std::uint32_t, Handle> handles_;
    std::uint32_t nextHandle_ = 0x100;
    std::map<ClientId, Client> clients_;
    ClientId nextClient_ = 1;
    ClientId self_;
    std::vector<Removal> removals_;
    std::uint32_t nextEventId_ = 1;
    struct ArmedUnplug {
        std::uint32_t devnode;
        WaveDirection direction;
        int device;
        bool opened = false;
    };
    std::optional<ArmedUnplug> armedUnplug_;
    std::int32_t driverState_ = 1;
    std::array<std::optional<std::int32_t>, kMaxCards> cardStates_{};
    std::array<ConfigRecord, kMaxCards> spareConfig_;
    ConfigFault configFault_ = ConfigFault::None;
    std::uint32_t configDelayMs_ = 0;
    std::mt19937 rng_{0x5eed};
    std::deque<std::string> trace_;
    std::uint64_t traceSeq_ = 0;
    std::function<ServerDefaults()> serverDefaults_;
    bool endRequested_ = false;
};

} // namespace simcard
