#include "sim/model/CardModel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace simcard {

namespace {

constexpr const char* kNumerals[] = {"", "II", "III", "IV"};

std::string CardDeviceName(WaveDirection direction, int card, int device) {
    const char* way = direction == WaveDirection::In ? "Record" : "Playback";
    if (device == kAnalog || device == kDigital) {
        // Card numerals beyond the fourth follow on ("V", …) although no driver tables hold them.
        std::string numeral = card < 4 ? kNumerals[card] : "V";
        return std::string(device == kAnalog ? "Analog " : "Digital ") + way + " " + numeral;
    }
    int first = card * 8 + (device - kFirstAdat) * 2 + 1;
    return std::string("ADAT ") + way + " " + std::to_string(first) + "-" +
           std::to_string(first + 1);
}

std::uint16_t ProductId(WaveDirection direction, int device) {
    int kind = device < kFirstAdat ? device : 2;
    return static_cast<std::uint16_t>((direction == WaveDirection::In ? 8 : 7) + 2 * kind);
}

struct WaveFormat {
    std::uint16_t tag, channels, blockAlign, bits, extraSize;
    std::uint32_t rate, bytesPerSec;
};

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return U16(b, at) | std::uint32_t(U16(b, at + 2)) << 16;
}

std::optional<WaveFormat> ParseFormat(std::span<const std::uint8_t> b) {
    if (b.size() < 18)
        return std::nullopt;
    return WaveFormat{U16(b, 0),  U16(b, 2), U16(b, 12), U16(b, 14),
                      U16(b, 16), U32(b, 4), U32(b, 8)};
}

// The control format, the only one the card's devices open with: PCM stereo 44100 Hz 16 bit
// (176400 bytes a second, blocks of 4) with the four extra bytes "CTRL", read as a text, so a
// byte after them, where a caller hands one over, must end it. Any other field is a format the
// card cannot play.
bool IsControlFormat(const WaveFormat& f, std::span<const std::uint8_t> bytes) {
    constexpr std::uint8_t kMark[] = {'C', 'T', 'R', 'L'};
    return f.tag == 1 && f.channels == 2 && f.rate == 44100 && f.bytesPerSec == 176400 &&
           f.blockAlign == 4 && f.bits == 16 && f.extraSize == 4 && bytes.size() >= 22 &&
           std::equal(std::begin(kMark), std::end(kMark), bytes.begin() + 18) &&
           (bytes.size() == 22 || bytes[22] == 0);
}

bool IsPlainPcm(const WaveFormat& f) {
    return f.tag == 1 && (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) &&
           f.rate >= 4000 && f.rate <= 192000;
}

} // namespace

ModelClock SteadyModelClock() {
    return [start = std::chrono::steady_clock::now()] {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count());
    };
}

CardModel::CardModel(int cards, ModelClock clock) : clock_(std::move(clock)) {
    for (int c = 0; c < cards; ++c) {
        cards_.emplace_back(nextDevnode_, c);
        nextDevnode_ += 0x10;
    }
    for (int r = 0; r < kMaxCards; ++r)
        spareConfig_[r] = DefaultConfigRecord(r);
    self_ = Connect(static_cast<std::uint32_t>(getpid()));
    RebuildDevices();
}

// The system's list: one device of another maker first, then the cards' devices card by card,
// then whatever extra devices a test added.
void CardModel::RebuildDevices() {
    for (WaveDirection d : {WaveDirection::In, WaveDirection::Out}) {
        auto& list = devices_[int(d)];
        list.clear();
        list.push_back(
            {{2, d == WaveDirection::In ? std::uint16_t{104} : std::uint16_t{103},
              d == WaveDirection::In ? "Onboard Audio Record" : "Onboard Audio Playback"},
             0,
             0});
        for (int c = 0; c < CardCount(); ++c)
            for (int dev = 0; dev < kDevicesPerDirection; ++dev)
                list.push_back({{kCardManufacturerId, ProductId(d, dev), CardDeviceName(d, c, dev)},
                                cards_[c].devnode,
                                dev});
        for (const auto& extra : extras_)
            if (extra.direction == d)
                list.push_back({{extra.manufacturerId, extra.productId, extra.name}, 0, 0});
    }
}

void CardModel::AddExtraDevice(const ExtraDevice& device) {
    extras_.push_back(device);
    RebuildDevices();
}

int CardModel::CardIndexOf(std::uint32_t devnode) const {
    for (int c = 0; c < CardCount(); ++c)
        if (cards_[c].devnode == devnode)
            return c;
    return -1;
}

std::uint32_t CardModel::DeviceIdOf(int card, WaveDirection, int device) const {
    return static_cast<std::uint32_t>(1 + card * kDevicesPerDirection + device);
}

bool CardModel::FollowsRealStreams() const {
    for (const SimulatedCard& card : cards_) {
        for (int dev = 0; dev < kDevicesPerDirection; ++dev)
            if (card.input[dev].Live() || card.playback[dev].Live())
                return true;
        if (card.heardOn[kAnalog] || card.heardOn[kDigital])
            return true;
    }
    return false;
}

std::uint32_t CardModel::DeviceIdOfHandle(const Handle& handle) const {
    if (handle.devnode == 0)
        return handle.foreignId;
    return DeviceIdOf(CardIndexOf(handle.devnode), handle.direction, handle.device);
}

std::int32_t CardModel::CardState(int number) const {
    if (auto state = cardStates_.at(number - 1))
        return *state;
    return number <= CardCount() ? 1 : 0;
}

void CardModel::SetConfigFault(ConfigFault fault, std::uint32_t delayMs) {
    configFault_ = fault;
    configDelayMs_ = fault == ConfigFault::Slow ? delayMs : 0;
}

ClientId CardModel::Connect(std::uint32_t pid) {
    ClientId id = nextClient_++;
    clients_[id] = Client{pid, {}};
    return id;
}

void CardModel::Disconnect(ClientId client) {
    std::erase_if(handles_, [&](const auto& entry) { return entry.second.client == client; });
    clients_.erase(client);
    std::vector<std::uint32_t> done;
    for (auto& removal : removals_)
        if (removal.awaiting.erase(client) && removal.awaiting.empty())
            done.push_back(removal.eventId);
    for (auto id : done)
        FinishRemoval(id);
}

void CardModel::Subscribe(ClientId client, DeviceChangeHandler handler) {
    auto it = clients_.find(client);
    if (it != clients_.end())
        it->second.handler = std::move(handler);
}

std::vector<WaveDeviceCaps> CardModel::ListDevices(WaveDirection direction) {
    std::vector<WaveDeviceCaps> caps;
    for (const auto& entry : devices_[int(direction)])
        caps.push_back(entry.caps);
    return caps;
}

OpenReply CardModel::Open(ClientId client, WaveDirection direction, std::uint32_t deviceId,
                          std::span<const std::uint8_t> format) {
    OpenReply reply;
    const auto& list = devices_[int(direction)];
    const char* call = direction == WaveDirection::In ? "waveInOpen" : "waveOutOpen";
    auto parsed = ParseFormat(format);
    if (deviceId >= list.size()) {
        reply.result = MMSYSERR_BADDEVICEID;
    } else if (!parsed) {
        reply.result = MMSYSERR_INVALPARAM;
    } else {
        const DeviceEntry& entry = list[deviceId];
        if (armedUnplug_ && armedUnplug_->devnode == entry.devnode &&
            armedUnplug_->direction == direction && armedUnplug_->device == entry.device)
            armedUnplug_->opened = true;
        if (entry.devnode != 0) {
            const SimulatedCard& card = cards_[CardIndexOf(entry.devnode)];
            // The simulated card carries no audio: only control handles open on its devices.
            if (!IsControlFormat(*parsed, format))
                reply.result = WAVERR_BADFORMAT;
            else if (card.openFails[int(direction)][entry.device])
                reply.result = MMSYSERR_ALLOCATED;
        } else if (!IsPlainPcm(*parsed)) {
            reply.result = WAVERR_BADFORMAT;
        }
        if (reply.result == MMSYSERR_NOERROR) {
            reply.handle = nextHandle_++;
            handles_[reply.handle] =
                Handle{client, direction, entry.devnode, entry.device, deviceId, false, 0};
        }
    }
    AddTrace(client, "open", deviceId, call, reply.handle, 0, reply.result);
    return reply;
}

std::uint32_t CardModel::Close(ClientId client, WaveDirection direction, std::uint32_t handle) {
    auto it = handles_.find(handle);
    std::uint32_t result = MMSYSERR_INVALHANDLE;
    std::int64_t deviceId = -1;
    if (it != handles_.end() && it->second.client == client && it->second.direction == direction) {
        deviceId = DeviceIdOfHandle(it->second);
        handles_.erase(it);
        result = MMSYSERR_NOERROR;
    }
    AddTrace(client, "close", deviceId,
             direction == WaveDirection::In ? "waveInClose" : "waveOutClose", handle, 0, result);
    return result;
}

std::vector<HandleFact> CardModel::Handles() const {
    std::vector<HandleFact> facts;
    for (const auto& [id, h] : handles_)
        facts.push_back(
            {id, clients_.at(h.client).pid, h.direction, DeviceIdOfHandle(h), h.meterOn});
    return facts;
}

void CardModel::AddTrace(ClientId client, const std::string& call, std::int64_t deviceId,
                         const std::string& what, std::uint32_t p1, std::uint32_t p2,
                         std::uint32_t result, const std::string& suffix) {
    auto it = clients_.find(client);
    char text[256];
    std::snprintf(text, sizeof text, "%llu pid=%u %s dev=%s %s p1=0x%X p2=0x%X result=%u%s",
                  static_cast<unsigned long long>(++traceSeq_),
                  it == clients_.end() ? 0u : it->second.pid, call.c_str(),
                  deviceId < 0 ? "-" : std::to_string(deviceId).c_str(), what.c_str(), p1, p2,
                  result, suffix.c_str());
    trace_.emplace_back(text);
    if (trace_.size() > kTraceLimit)
        trace_.pop_front();
}

// In-process client: the model answers for this process itself.
OpenReply CardModel::Open(WaveDirection direction, std::uint32_t deviceId,
                          std::span<const std::uint8_t> format) {
    return Open(self_, direction, deviceId, format);
}

std::uint32_t CardModel::Close(WaveDirection direction, std::uint32_t handle) {
    return Close(self_, direction, handle);
}

MessageReply CardModel::Message(WaveDirection direction, std::uint32_t handle,
                                std::uint32_t message, std::uint32_t param1, std::uint32_t param2,
                                std::span<const std::uint8_t> block) {
    return Message(self_, direction, handle, message, param1, param2, block);
}

ConfigReply CardModel::Config(std::uint32_t code, std::span<const std::uint8_t> data) {
    return Config(self_, code, data);
}

void CardModel::SetDeviceChangeHandler(DeviceChangeHandler handler) {
    Subscribe(self_, std::move(handler));
}

void CardModel::AnswerDeviceChange(std::uint32_t eventId) {
    AnswerDeviceChange(self_, eventId);
}

} // namespace simcard
