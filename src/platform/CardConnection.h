#pragma once
// The process's one way to the card's driver. By default it is the card daemon, reached lazily
// on the first wave call (started when none answers, see CardDaemonStart.h); unit tests install
// an in-process card instead. It also keeps the wave handles the program holds: each maps to the
// driver's handle on the connection that opened it, so a handle of a connection that has been
// lost fails at once and is never confused with a handle of the next connection.
//
// When the daemon goes away, every call fails at once with MMSYSERR_NODRIVER (lists are empty).
// Calls try to connect again, first kFirstRetryPauseMs after the loss and then backing off to one
// attempt every kMaxRetryPauseMs; in between they fail without trying. Only the very first
// connection may start a daemon: one that went away later was ended on purpose (or failed), and
// starting a fresh card behind the program's back would hide that. A lost connection is also
// retried on the clock's timer, so that a program making no calls (no window open) gets its
// device-change subscription back as well. When a daemon answers again,
// the handles the program holds are opened anew on the same devices with the same formats, and
// each gets the meter-on it had (the only state a handle carries in the driver), so a window goes
// on metering without noticing. A handle whose device is gone stays failed.
//
// Meter reads: a read of a metering handle fetches the peaks of every metering handle the process
// holds in one request and keeps the others' as unconsumed, since a window reads all its pairs
// in one go. A read whose handle holds an unconsumed peak fetched within kFreshMeterMs returns
// it without asking; one that finds it consumed or older fetches anew. Fetches meeting an
// unconsumed peak merge into it (the louder value per channel), so that no peak is lost and none
// is returned twice. A refused fetch is that handle's refusal for its next read; the peak held
// meanwhile stays, as the driver keeps measuring from its last successful read.

#include "platform/MmResults.h"
#include "sim/protocol/CardService.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace simcard {
class CardClient;
} // namespace simcard

class CardConnection {
public:
    static constexpr std::uint64_t kFirstRetryPauseMs = 100;
    static constexpr std::uint64_t kMaxRetryPauseMs = 1000;
    static constexpr std::uint64_t kFreshMeterMs = 20;

    static CardConnection& Instance();

    // Replaces the driver (null: back to the card daemon). Handles of the previous one fail from
    // now on.
    void Install(std::unique_ptr<simcard::ICardService> service);

    // The device list; nullopt when no driver can be reached.
    std::optional<std::vector<simcard::WaveDeviceCaps>> ListDevices(simcard::WaveDirection dir);
    // On success `handle` is a new handle of ours (never 0, never reused).
    MMRESULT Open(simcard::WaveDirection dir, std::uint32_t deviceId,
                  std::span<const std::uint8_t> format, HWND window, std::uintptr_t& handle);
    // `window` receives the callback window the handle was opened with (0 for none). A handle of
    // a lost connection is forgotten and gives MMSYSERR_NODRIVER.
    MMRESULT Close(simcard::WaveDirection dir, std::uintptr_t handle, HWND& window);
    // `block` is sent to the driver and receives its answer (same size, possibly empty).
    MMRESULT Message(simcard::WaveDirection dir, std::uintptr_t handle, UINT message,
                     std::uint32_t param1, std::uint32_t param2, std::span<std::uint8_t> block);

    // Whether a daemon connection is live now (false with an installed driver).
    bool DaemonConnected();

private:
    CardConnection() = default;

    struct HandleEntry {
        simcard::WaveDirection direction;
        std::uint64_t generation;
        std::uint32_t driverHandle;
        HWND window;
        // What it takes to open it again on another connection.
        std::uint32_t deviceId;
        simcard::WaveDeviceCaps device;
        std::vector<std::uint8_t> format;
        bool meterOn = false;
        // Fetched for it but not read yet (see the meter reads above).
        std::optional<std::vector<std::uint8_t>> peak = std::nullopt;
        std::optional<MMRESULT> refusal = std::nullopt;
        std::uint64_t fetchedMs = 0;
    };

    // The driver to call, or null when none is reachable; connects when allowed and due.
    simcard::ICardService* ServiceLocked(bool mayConnect);
    void DropDaemonLocked();
    void ReopenHandlesLocked();
    // The timer's retries of a lost connection; `epoch` names the connection that was lost, and a
    // retry of an earlier one does nothing.
    void ScheduleRetry(std::uint64_t epoch, std::uint64_t delayMs);
    void RetryDue(std::uint64_t epoch);
    void Subscribe(simcard::ICardService& service, std::uint64_t generation);
    void OnDeviceChange(std::uint64_t generation, const simcard::DeviceChangeEvent& event);
    void Answer(std::uint64_t generation, std::uint32_t eventId);
    MMRESULT ReadMeterLocked(simcard::ICardService& service, HandleEntry& entry,
                             std::uint32_t param1, std::span<std::uint8_t> block);
    void FetchMetersLocked(simcard::ICardService& service, std::uint32_t param1);
    HandleEntry* FindLocked(simcard::WaveDirection dir, std::uintptr_t handle);

    std::mutex mutex_;
    std::unique_ptr<simcard::ICardService> installed_;
    std::unique_ptr<simcard::CardClient> daemon_;
    // Counts drivers and connections: a handle is valid only for the one it was opened on.
    std::uint64_t generation_ = 1;
    bool triedDaemon_ = false;
    std::uint64_t lastTryMs_ = 0;
    std::uint64_t retryPauseMs_ = kFirstRetryPauseMs;
    // Counts daemon connections and installs.
    std::uint64_t epoch_ = 0;
    std::map<std::uintptr_t, HandleEntry> handles_;
    std::uintptr_t nextHandle_ = 1;
};

// Unit tests run the wave services over an in-process card; null goes back to the daemon.
void InstallCardService(std::unique_ptr<simcard::ICardService> service);
