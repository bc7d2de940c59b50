#pragma once
// A clock that moves only when told: tests advance it, and every timer due in that span fires in
// time order on the calling thread. Nothing sleeps.

#include "platform/TimerScheduler.h"

#include <atomic>

class VirtualClock : public TimerScheduler {
public:
    std::uint64_t NowMs() const override { return now_.load(); }
    // Advancing the virtual clock is what sleeping means here.
    void Sleep(std::uint32_t ms) override { Advance(ms); }
    // With nothing pending, jumps to the next due timer and fires what is due then; returns at
    // once when no timer is due at all.
    void WaitForWork(MessageQueue& queue) override;

    void Advance(std::uint64_t ms);
    void AdvanceTo(std::uint64_t time);

protected:
    void OnFiring(std::uint64_t due) override { now_ = due; }

private:
    std::atomic<std::uint64_t> now_{0};
};

// Installs a virtual clock for the lifetime of the guard, then restores the previous clock.
class ScopedVirtualClock {
public:
    ScopedVirtualClock();
    ~ScopedVirtualClock();
    ScopedVirtualClock(const ScopedVirtualClock&) = delete;
    ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;

    VirtualClock& operator*() const { return *clock_; }
    VirtualClock* operator->() const { return clock_; }

private:
    VirtualClock* clock_;
    std::unique_ptr<TimerScheduler> previous_;
};
