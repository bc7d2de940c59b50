#include "platform/CardConnection.h"

#include "platform/CardDaemonStart.h"
#include "platform/DeviceChange.h"
#include "platform/TimerScheduler.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/CardService.h"

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
    if (triedDaemon_ && now - lastTryMs_ < kRetryPauseMs)
        return nullptr;
    // Only the first attempt may start a daemon: one that went away later was ended on purpose
    // (or failed), and starting a fresh card behind the program's back would hide that.
    const bool mayStart = !triedDaemon_;
    triedDaemon_ = true;
    lastTryMs_ = now;
    std::string error;
    daemon_ = ConnectCardDaemon(mayStart, &error);
    if (!daemon_)
        return nullptr;
    Subscribe(*daemon_, ++generation_);
    return daemon_.get();
}

// The handles of the lost connection stay known until they are closed, so that they fail with
// MMSYSERR_NODRIVER rather than look like handles that were never opened.
void CardConnection::DropDaemonLocked() {
    daemon_.reset();
    ++generation_;
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
    handle = nextHandle_++;
    handles_[handle] = HandleEntry{dir, generation_, reply.handle, window};
    return MMSYSERR_NOERROR;
}

MMRESULT CardConnection::Close(simcard::WaveDirection dir, std::uintptr_t handle, HWND& window) {
    std::lock_guard lock(mutex_);
    simcard::ICardService* service = ServiceLocked(false);
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
    simcard::ICardService* service = ServiceLocked(false);
    HandleEntry* entry = FindLocked(dir, handle);
    if (!entry)
        return MMSYSERR_INVALHANDLE;
    if (!service || entry->generation != generation_)
        return MMSYSERR_NODRIVER;
    simcard::MessageReply reply =
        service->Message(dir, entry->driverHandle, message, param1, param2, block);
    if (reply.block.size() == block.size())
        std::copy(reply.block.begin(), reply.block.end(), block.begin());
    return reply.result;
}

bool CardConnection::DaemonConnected() {
    std::lock_guard lock(mutex_);
    return !installed_ && daemon_ && daemon_->Connected();
}

void InstallCardService(std::unique_ptr<simcard::ICardService> service) {
    CardConnection::Instance().Install(std::move(service));
}
