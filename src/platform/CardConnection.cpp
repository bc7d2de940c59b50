#include "platform/CardConnection.h"

#include "platform/CardDaemonStart.h"
#include "platform/DeviceChange.h"
#include "platform/TimerScheduler.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/CardService.h"

#include <algorithm>

namespace {

std::uint32_t MeterOnMessage(simcard::WaveDirection dir) {
    return dir == simcard::WaveDirection::In ? simcard::INMSG_METER_ON : simcard::OUTMSG_METER_ON;
}

std::uint32_t MeterOffMessage(simcard::WaveDirection dir) {
    return dir == simcard::WaveDirection::In ? simcard::INMSG_METER_OFF : simcard::OUTMSG_METER_OFF;
}

// Merges a fetched meter block into the one held: the louder of each channel's 32-bit level.
void MergePeak(std::vector<std::uint8_t>& held, const std::vector<std::uint8_t>& fetched) {
    for (std::size_t at = 0; at + 4 <= held.size() && at + 4 <= fetched.size(); at += 4) {
        const auto level = [at](const std::vector<std::uint8_t>& block) {
            return block[at] | block[at + 1] << 8 | block[at + 2] << 16 |
                   std::uint32_t(block[at + 3]) << 24;
        };
        if (level(fetched) > level(held))
            std::copy_n(fetched.begin() + static_cast<std::ptrdiff_t>(at), 4,
                        held.begin() + static_cast<std::ptrdiff_t>(at));
    }
}

} // namespace

CardConnection& CardConnection::Instance() {
    // Never destroyed: the daemon connection's reader and the device-change delivery may still
    // run while the process ends.
    static auto* connection = new CardConnection;
    return *connection;
}

void CardConnection::Install(std::unique_ptr<simcard::ICardService> service) {
    std::unique_ptr<simcard::ICardService> previous;
    std::unique_ptr<simcard::CardClient> previousDaemon;
    {
        std::lock_guard lock(mutex_);
        previous = std::move(installed_);
        previousDaemon = std::move(daemon_);
        installed_ = std::move(service);
        handles_.clear();
        const std::uint64_t generation = ++generation_;
        triedDaemon_ = false;
        lastTryMs_ = 0;
        retryPauseMs_ = kFirstRetryPauseMs;
        ++epoch_;
        if (installed_)
            Subscribe(*installed_, generation);
    }
}

simcard::ICardService* CardConnection::ServiceLocked(bool mayConnect) {
    if (installed_)
        return installed_.get();
    if (daemon_ && daemon_->Connected())
        return daemon_.get();
    if (daemon_)
        DropDaemonLocked();
    if (!mayConnect)
        return nullptr;
    const std::uint64_t now = Clock().NowMs();
    if (triedDaemon_ && now - lastTryMs_ < retryPauseMs_)
        return nullptr;
    const bool mayStart = !triedDaemon_;
    triedDaemon_ = true;
    lastTryMs_ = now;
    std::string error;
    daemon_ = ConnectCardDaemon(mayStart, &error);
    if (!daemon_) {
        retryPauseMs_ =
            mayStart ? kFirstRetryPauseMs : std::min(2 * retryPauseMs_, kMaxRetryPauseMs);
        return nullptr;
    }
    Subscribe(*daemon_, ++generation_);
    daemon_->SetLostHandler([this, epoch = ++epoch_] { ScheduleRetry(epoch, kFirstRetryPauseMs); });
    ReopenHandlesLocked();
    return daemon_.get();
}

void CardConnection::ScheduleRetry(std::uint64_t epoch, std::uint64_t delayMs) {
    Clock().Schedule(static_cast<std::uint32_t>(delayMs), false,
                     [this, epoch] { RetryDue(epoch); });
}

void CardConnection::RetryDue(std::uint64_t epoch) {
    std::lock_guard lock(mutex_);
    if (epoch != epoch_ || installed_)
        return;
    ServiceLocked(true);
    if (epoch != epoch_)
        return; // connected anew
    const std::uint64_t now = Clock().NowMs();
    const std::uint64_t due = lastTryMs_ + retryPauseMs_;
    ScheduleRetry(epoch, due > now ? due - now : 1);
}

// The handles of the lost connection stay known until they are closed: they fail with
// MMSYSERR_NODRIVER meanwhile and are opened again once a daemon answers. The first attempt to
// reach one comes kFirstRetryPauseMs after the loss.
void CardConnection::DropDaemonLocked() {
    daemon_.reset();
    ++generation_;
    lastTryMs_ = Clock().NowMs();
    retryPauseMs_ = kFirstRetryPauseMs;
}

// The device a handle was opened on is found again by its identity: at the same id when it is
// still there, else wherever the driver lists it now.
void CardConnection::ReopenHandlesLocked() {
    std::optional<std::vector<simcard::WaveDeviceCaps>> lists[2];
    for (auto& [handle, entry] : handles_) {
        auto& list = lists[int(entry.direction)];
        if (!list)
            list = daemon_->ListDevices(entry.direction);
        const simcard::WaveDeviceCaps& device = entry.device;
        const auto same = [&device](const simcard::WaveDeviceCaps& caps) {
            return caps.manufacturerId == device.manufacturerId &&
                   caps.productId == device.productId && caps.name == device.name;
        };
        std::size_t id = entry.deviceId;
        if (id >= list->size() || !same((*list)[id]))
            id = static_cast<std::size_t>(std::find_if(list->begin(), list->end(), same) -
                                          list->begin());
        if (id >= list->size())
            continue;
        simcard::OpenReply reply =
            daemon_->Open(entry.direction, static_cast<std::uint32_t>(id), entry.format);
        if (reply.result != MMSYSERR_NOERROR)
            continue;
        entry.generation = generation_;
        entry.driverHandle = reply.handle;
        entry.deviceId = static_cast<std::uint32_t>(id);
        entry.peak.reset();
        entry.refusal.reset();
        if (entry.meterOn)
            entry.meterOn = daemon_
                                ->Message(entry.direction, reply.handle,
                                          MeterOnMessage(entry.direction), 0, 0, {})
                                .result == MMSYSERR_NOERROR;
    }
}

void CardConnection::Subscribe(simcard::ICardService& service, std::uint64_t generation) {
    service.SetDeviceChangeHandler([this, generation](const simcard::DeviceChangeEvent& event) {
        OnDeviceChange(generation, event);
    });
}

void CardConnection::OnDeviceChange(std::uint64_t generation,
                                    const simcard::DeviceChangeEvent& event) {
    QueueDeviceChange(event.event, event.devnode,
                      [this, generation, id = event.id] { Answer(generation, id); });
}

void CardConnection::Answer(std::uint64_t generation, std::uint32_t eventId) {
    std::lock_guard lock(mutex_);
    if (generation != generation_)
        return; // the driver that asked is gone
    if (simcard::ICardService* service = ServiceLocked(false))
        service->AnswerDeviceChange(eventId);
}

CardConnection::HandleEntry* CardConnection::FindLocked(simcard::WaveDirection dir,
                                                        std::uintptr_t handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end() || it->second.direction != dir)
        return nullptr;
    return &it->second;
}

std::optional<std::vector<simcard::WaveDeviceCaps>>
CardConnection::ListDevices(simcard::WaveDirection dir) {
    std::lock_guard lock(mutex_);
    simcard::ICardService* service = ServiceLocked(true);
    if (!service)
        return std::nullopt;
    auto devices = service->ListDevices(dir);
    if (!installed_ && !daemon_->Connected())
        return std::nullopt;
    return devices;
}

MMRESULT CardConnection::Open(simcard::WaveDirection dir, std::uint32_t deviceId,
                              std::span<const std::uint8_t> format, HWND window,
                              std::uintptr_t& handle) {
    std::lock_guard lock(mutex_);
    simcard::ICardService* service = ServiceLocked(true);
    if (!service)
        return MMSYSERR_NODRIVER;
    simcard::OpenReply reply = service->Open(dir, deviceId, format);
    if (reply.result != MMSYSERR_NOERROR)
        return reply.result;
    simcard::WaveDeviceCaps device;
    if (auto devices = service->ListDevices(dir); deviceId < devices.size())
        device = devices[deviceId];
    handle = nextHandle_++;
    handles_[handle] = HandleEntry{dir,
                                   generation_,
                                   reply.handle,
                                   window,
                                   deviceId,
                                   std::move(device),
                                   {format.begin(), format.end()}};
    return MMSYSERR_NOERROR;
}

MMRESULT CardConnection::Close(simcard::WaveDirection dir, std::uintptr_t handle, HWND& window) {
    std::lock_guard lock(mutex_);
    simcard::ICardService* service = ServiceLocked(true);
    HandleEntry* entry = FindLocked(dir, handle);
    if (!entry)
        return MMSYSERR_INVALHANDLE;
    window = entry->window;
    if (!service || entry->generation != generation_) {
        handles_.erase(handle);
        return MMSYSERR_NODRIVER;
    }
    MMRESULT result = service->Close(dir, entry->driverHandle);
    // A handle the driver no longer knows (its card was removed) is gone as well.
    if (result == MMSYSERR_NOERROR || result == MMSYSERR_INVALHANDLE)
        handles_.erase(handle);
    return result;
}

MMRESULT CardConnection::Message(simcard::WaveDirection dir, std::uintptr_t handle, UINT message,
                                 std::uint32_t param1, std::uint32_t param2,
                                 std::span<std::uint8_t> block) {
    std::lock_guard lock(mutex_);
    simcard::ICardService* service = ServiceLocked(true);
    HandleEntry* entry = FindLocked(dir, handle);
    if (!entry)
        return MMSYSERR_INVALHANDLE;
    if (!service || entry->generation != generation_) {
        // What the program asks of a meter while no driver answers is what the driver gets when
        // the handle is opened again: a meter switched off meanwhile stays off, one switched on
        // comes on.
        if (message == MeterOnMessage(dir) || message == MeterOffMessage(dir))
            entry->meterOn = message == MeterOnMessage(dir);
        return MMSYSERR_NODRIVER;
    }
    if (entry->meterOn && message == simcard::MeterReadMessage(dir) &&
        block.size() == simcard::MessageBlockSize(dir, message))
        return ReadMeterLocked(*service, *entry, param1, block);
    simcard::MessageReply reply =
        service->Message(dir, entry->driverHandle, message, param1, param2, block);
    if (message == MeterOnMessage(dir) || message == MeterOffMessage(dir)) {
        // The driver measures afresh from a meter-on; nothing fetched before it counts.
        if (message == MeterOffMessage(dir))
            entry->meterOn = false;
        else if (reply.result == MMSYSERR_NOERROR)
            entry->meterOn = true;
        entry->peak.reset();
        entry->refusal.reset();
    }
    if (reply.block.size() == block.size())
        std::copy(reply.block.begin(), reply.block.end(), block.begin());
    return reply.result;
}

MMRESULT CardConnection::ReadMeterLocked(simcard::ICardService& service, HandleEntry& entry,
                                         std::uint32_t param1, std::span<std::uint8_t> block) {
    const bool held = entry.peak || entry.refusal;
    if (!held || Clock().NowMs() - entry.fetchedMs > kFreshMeterMs)
        FetchMetersLocked(service, param1);
    if (entry.refusal) {
        const MMRESULT result = *entry.refusal;
        entry.refusal.reset();
        return result;
    }
    if (!entry.peak || entry.peak->size() != block.size())
        return MMSYSERR_NODRIVER;
    std::copy(entry.peak->begin(), entry.peak->end(), block.begin());
    entry.peak.reset();
    return MMSYSERR_NOERROR;
}

void CardConnection::FetchMetersLocked(simcard::ICardService& service, std::uint32_t param1) {
    std::vector<simcard::MeterTarget> targets;
    std::vector<HandleEntry*> entries;
    for (auto& [handle, entry] : handles_)
        if (entry.meterOn && entry.generation == generation_) {
            targets.push_back({entry.direction, entry.driverHandle});
            entries.push_back(&entry);
        }
    const std::vector<simcard::MessageReply> replies = service.ReadMeters(targets, param1);
    const std::uint64_t now = Clock().NowMs();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        HandleEntry& entry = *entries[i];
        entry.fetchedMs = now;
        if (i >= replies.size() || replies[i].result != MMSYSERR_NOERROR) {
            entry.refusal = i < replies.size() ? replies[i].result : MMSYSERR_NODRIVER;
        } else if (entry.peak) {
            MergePeak(*entry.peak, replies[i].block);
            entry.refusal.reset();
        } else {
            entry.peak = replies[i].block;
            entry.refusal.reset();
        }
    }
}

bool CardConnection::DaemonConnected() {
    std::lock_guard lock(mutex_);
    return !installed_ && daemon_ && daemon_->Connected();
}

void InstallCardService(std::unique_ptr<simcard::ICardService> service) {
    CardConnection::Instance().Install(std::move(service));
}
