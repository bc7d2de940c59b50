#include "platform/TimerScheduler.h"

#include "platform/RealClock.h"

#include <algorithm>

TimerScheduler::Key TimerScheduler::Schedule(std::uint32_t delayMs, bool periodic,
                                             Callback callback, std::uint32_t toleranceMs) {
    Key key;
    {
        std::lock_guard lock(mutex_);
        key = nextKey_++;
        // A quarter of the interval at most: a periodic timer fired early is next due a full
        // period after the time it was due, so it never fires twice in one wake-up.
        entries_.push_back(Entry{
            key, NowMs() + delayMs, periodic ? std::max<std::uint32_t>(delayMs, 1) : 0,
            std::min(toleranceMs, delayMs / 4), std::make_shared<Callback>(std::move(callback))});
    }
    OnScheduleChanged();
    return key;
}

void TimerScheduler::Cancel(Key key) {
    {
        std::unique_lock lock(mutex_);
        std::erase_if(entries_, [key](const Entry& e) { return e.key == key; });
        if (running_ == key && runningThread_ != std::this_thread::get_id())
            idle_.wait(lock, [this, key] { return running_ != key; });
    }
    OnScheduleChanged();
}

std::optional<std::uint64_t> TimerScheduler::NextDue() const {
    std::lock_guard lock(mutex_);
    return NextDueLocked();
}

std::optional<std::uint64_t> TimerScheduler::NextDueLocked() const {
    std::optional<std::uint64_t> next;
    for (const auto& e : entries_)
        if (!next || e.due < *next)
            next = e.due;
    return next;
}

std::size_t TimerScheduler::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

bool TimerScheduler::FireNextDue(std::uint64_t limit, bool early) {
    std::shared_ptr<Callback> callback;
    std::uint64_t due = 0;
    Key key = 0;
    {
        std::lock_guard lock(mutex_);
        const Entry* first = nullptr;
        for (const auto& e : entries_) // creation order breaks ties
            if (e.due <= limit + (early ? e.early : 0) && (!first || e.due < first->due))
                first = &e;
        if (!first)
            return false;
        key = first->key;
        due = first->due;
        callback = first->callback;
        running_ = key;
        runningThread_ = std::this_thread::get_id();
    }
    OnFiring(due);
    try {
        (*callback)();
    } catch (...) {
        std::lock_guard lock(mutex_);
        running_ = 0;
        idle_.notify_all();
        throw;
    }
    std::lock_guard lock(mutex_);
    running_ = 0;
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [key](const Entry& e) { return e.key == key; });
    if (it != entries_.end()) {
        if (it->period == 0)
            entries_.erase(it);
        else
            it->due = NextPeriod(due, it->period);
    }
    idle_.notify_all();
    return true;
}

namespace {
std::mutex clockMutex;
std::unique_ptr<TimerScheduler>& InstalledClock() {
    static std::unique_ptr<TimerScheduler> clock;
    return clock;
}
} // namespace

TimerScheduler& Clock() {
    std::lock_guard lock(clockMutex);
    auto& clock = InstalledClock();
    if (!clock)
        clock = std::make_unique<RealClock>();
    return *clock;
}

std::unique_ptr<TimerScheduler> InstallClock(std::unique_ptr<TimerScheduler> clock) {
    std::lock_guard lock(clockMutex);
    auto previous = std::move(InstalledClock());
    InstalledClock() = std::move(clock);
    return previous;
}
