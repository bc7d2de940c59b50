#pragma once
// The clock and its timers. Every timer of the process (multimedia timers, window timers) is an
// entry here; the real clock fires them on a timer thread, the virtual clock when a test advances
// it.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class MessageQueue;

class TimerScheduler {
public:
    using Callback = std::function<void()>;
    using Key = std::uint64_t;

    virtual ~TimerScheduler() = default;

    virtual std::uint64_t NowMs() const = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
    // Called by the queue's single-message step when nothing is pending: returns when a message
    // may have arrived (the virtual clock: once it has jumped to the next due timer, or at once).
    virtual void WaitForWork(MessageQueue& queue) = 0;

    // A timer first due after delayMs, then every periodMs when periodic. With a tolerance the
    // real clock may fire it up to that many milliseconds early (at most a quarter of its
    // interval), together with another timer it wakes up for anyway: timers of different
    // intervals then share their wake-ups, and their windows share their paints.
    Key Schedule(std::uint32_t delayMs, bool periodic, Callback callback,
                 std::uint32_t toleranceMs = 0);
    // After Cancel returns the callback is not running and will not run again, unless Cancel was
    // called from inside that very callback (then it simply will not run again).
    void Cancel(Key key);
    std::optional<std::uint64_t> NextDue() const;
    std::size_t Count() const;

protected:
    // Fires the earliest timer due at or before `limit` (ties in the order they were created),
    // with `early` also one that its tolerance lets fire by then; false when none is due.
    bool FireNextDue(std::uint64_t limit, bool early = false);
    // Runs before a due timer's callback with the time it was due.
    virtual void OnFiring(std::uint64_t) {}
    virtual void OnScheduleChanged() {}
    // When a periodic timer that was due at `due` is due next.
    virtual std::uint64_t NextPeriod(std::uint64_t due, std::uint32_t period) const {
        return due + period;
    }
    std::optional<std::uint64_t> NextDueLocked() const;

    mutable std::mutex mutex_;
    std::condition_variable idle_;

private:
    struct Entry {
        Key key;
        std::uint64_t due;
        std::uint32_t period; // 0 for a one-shot timer
        std::uint32_t early;  // how much earlier it may fire to share a wake-up
        std::shared_ptr<Callback> callback;
    };

    std::vector<Entry> entries_; // in creation order
    Key nextKey_ = 1;
    Key running_ = 0;
    std::thread::id runningThread_;
};

// The clock the platform uses; a real clock unless a test installed another.
TimerScheduler& Clock();
// Installs `clock` (null: back to a real clock) and returns the previous one.
std::unique_ptr<TimerScheduler> InstallClock(std::unique_ptr<TimerScheduler> clock);
