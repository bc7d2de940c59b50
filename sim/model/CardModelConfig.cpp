// The configuration commands and the removal of a card.
#include "sim/model/CardModel.h"

#include <algorithm>

namespace simcard {

ConfigReply CardModel::Config(ClientId client, std::uint32_t code,
                              std::span<const std::uint8_t> data) {
    ConfigReply reply;
    reply.data.assign(data.begin(), data.end());
    std::string word = ConfigCommandWord(code);
    std::string suffix;
    if (word.empty()) {
        reply.result = MMSYSERR_NOTSUPPORTED;
        word = MessageName(WaveDirection::In, code);
    } else if (data.size() != ConfigRecordSize(code)) {
        reply.result = MMSYSERR_INVALPARAM;
    } else if (configFault_ == ConfigFault::Hang || configFault_ == ConfigFault::Crash) {
        // The configuration process will not get as far as the driver.
        reply.fault = configFault_;
        suffix = configFault_ == ConfigFault::Hang ? " fault=hang" : " fault=crash";
    } else {
        RunConfig(code, reply.data, reply.result);
        reply.fault = configFault_;
        reply.delayMs = configDelayMs_;
        if (configFault_ == ConfigFault::Slow)
            suffix = " fault=slow";
        if (code == CONFIG_SETCONFIG)
            suffix = " RemoveNotice=" + std::to_string(ReadInt32(reply.data, 0)) + suffix;
    }
    AddTrace(client, "config", -1, word, static_cast<std::uint32_t>(data.size()), 0, reply.result,
             suffix);
    return reply;
}

void CardModel::RunConfig(std::uint32_t code, std::span<std::uint8_t> data, std::uint32_t& result) {
    result = MMSYSERR_NOERROR;
    switch (code) {
    case CONFIG_GETSTATES:
        WriteInt32(data, 0, driverState_);
        for (int n = 1; n <= kMaxCards; ++n)
            WriteInt32(data, 4 * n, CardState(n));
        break;
    case CONFIG_RECONFIGURABLE: {
        bool busy = std::any_of(cards_.begin(), cards_.end(), [](const SimulatedCard& card) {
            for (const auto& perDirection : card.busy)
                for (bool b : perDirection)
                    if (b)
                        return true;
            return false;
        });
        WriteInt32(data, 0, busy ? 0 : 1);
        break;
    }
    case CONFIG_GETCONFIG:
        for (int r = 0; r < kMaxCards; ++r) {
            const ConfigRecord& record = RecordAt(r);
            std::copy(record.begin(), record.end(), data.begin() + r * kConfigRecordSize);
        }
        break;
    case CONFIG_SETCONFIG:
        for (int r = 0; r < kMaxCards; ++r) {
            ConfigRecord record;
            std::copy_n(data.begin() + r * kConfigRecordSize, kConfigRecordSize, record.begin());
            SetRecordAt(r, record);
        }
        break;
    }
}

bool CardModel::Unplug(int card) {
    if (card < 0 || card >= CardCount() || cards_[card].removing)
        return false;
    SimulatedCard& target = cards_[card];
    target.removing = true;
    Removal removal{nextEventId_++, target.devnode, Now() + kRemovalTimeoutMs, {}};
    std::vector<std::pair<ClientId, DeviceChangeHandler>> notify;
    for (const auto& [id, client] : clients_)
        if (client.handler) {
            removal.awaiting.insert(id);
            notify.emplace_back(id, client.handler);
        }
    const DeviceChangeEvent event{removal.eventId, DBT_DEVICEQUERYREMOVE, DBT_DEVTYP_DEVNODE,
                                  removal.devnode};
    removals_.push_back(std::move(removal));
    if (notify.empty()) {
        FinishRemoval(event.id);
        return true;
    }
    // A handler may answer at once (in-process); work on copies so that nothing moves under us.
    for (const auto& [id, handler] : notify)
        handler(event);
    return true;
}

bool CardModel::UnplugOnOpen(int card, WaveDirection direction, int device) {
    if (card < 0 || card >= CardCount() || cards_[card].removing || armedUnplug_)
        return false;
    armedUnplug_ = ArmedUnplug{cards_[card].devnode, direction, device};
    return true;
}

void CardModel::OpenAnswered() {
    if (!armedUnplug_ || !armedUnplug_->opened)
        return;
    const int card = CardIndexOf(armedUnplug_->devnode);
    armedUnplug_.reset();
    if (card >= 0)
        Unplug(card);
}

void CardModel::AnswerDeviceChange(ClientId client, std::uint32_t eventId) {
    for (auto& removal : removals_)
        if (removal.eventId == eventId && removal.awaiting.erase(client) &&
            removal.awaiting.empty()) {
            FinishRemoval(eventId);
            return;
        }
}

void CardModel::Tick() {
    const std::uint64_t now = Now();
    std::vector<std::uint32_t> due;
    for (const auto& removal : removals_)
        if (removal.deadline <= now)
            due.push_back(removal.eventId);
    for (auto id : due)
        FinishRemoval(id);
}

std::optional<std::uint64_t> CardModel::NextDeadline() const {
    std::optional<std::uint64_t> next;
    for (const auto& removal : removals_)
        if (!next || removal.deadline < *next)
            next = removal.deadline;
    return next;
}

void CardModel::FinishRemoval(std::uint32_t eventId) {
    auto it = std::find_if(removals_.begin(), removals_.end(),
                           [&](const Removal& r) { return r.eventId == eventId; });
    if (it == removals_.end())
        return;
    std::uint32_t devnode = it->devnode;
    removals_.erase(it);
    RemoveCard(devnode);
}

// The driver numbers the remaining cards afresh, as it does when the system starts without the
// removed one; handles on the removed card's devices are gone with it.
void CardModel::RemoveCard(std::uint32_t devnode) {
    int index = CardIndexOf(devnode);
    if (index < 0)
        return;
    std::erase_if(handles_, [&](const auto& entry) { return entry.second.devnode == devnode; });
    // The notice in the first record announced this removal, which has now happened: no later
    // record may carry it, neither the first card's nor this card's when it is plugged back.
    WriteInt32(cards_[0].config, 0, 0);
    unplugged_.emplace_back(index, std::move(cards_[index]));
    unplugged_.back().second.removing = false;
    cards_.erase(cards_.begin() + index);
    RebuildDevices();
}

bool CardModel::Plug(int number) {
    auto it = std::find_if(unplugged_.rbegin(), unplugged_.rend(),
                           [&](const auto& entry) { return entry.first == number; });
    if (it == unplugged_.rend() || CardCount() >= kMaxCards)
        return false;
    const int position = std::min(number, CardCount());
    cards_.insert(cards_.begin() + position, std::move(it->second));
    unplugged_.erase(std::next(it).base());
    RebuildDevices();
    return true;
}

void CardModel::RestoreUnplugged(std::vector<std::pair<int, SimulatedCard>> cards) {
    const std::size_t room = std::min(cards.size(), cards_.size());
    cards_.erase(cards_.end() - static_cast<std::ptrdiff_t>(room), cards_.end());
    for (auto& [number, card] : cards) {
        card.devnode = nextDevnode_;
        nextDevnode_ += 0x10;
        unplugged_.emplace_back(number, std::move(card));
    }
    RebuildDevices();
}

std::vector<std::uint32_t> CardModel::ListeningPids(ClientId except) const {
    std::vector<std::uint32_t> pids;
    for (const auto& [id, client] : clients_)
        if (id != except && client.handler)
            pids.push_back(client.pid);
    return pids;
}

const ConfigRecord& CardModel::RecordAt(int record) const {
    return record < CardCount() ? cards_[record].config : spareConfig_.at(record);
}

void CardModel::SetRecordAt(int record, const ConfigRecord& value) {
    (record < CardCount() ? cards_[record].config : spareConfig_.at(record)) = value;
}

} // namespace simcard
