#pragma once
// The wall clock: timers fire on a timer thread of their own; their callbacks only post.

#include "platform/TimerScheduler.h"

#include <chrono>
#include <thread>

class RealClock : public TimerScheduler {
public:
    RealClock();
    ~RealClock() override;

    std::uint64_t NowMs() const override;
    void Sleep(std::uint32_t ms) override;
    void WaitForWork(MessageQueue& queue) override;

protected:
    void OnScheduleChanged() override;
    // A timer that fell behind (a stopped process, a slow machine) skips the periods it missed
    // instead of firing them all in one burst.
    std::uint64_t NextPeriod(std::uint64_t due, std::uint32_t period) const override;

private:
    void Run();

    std::chrono::steady_clock::time_point start_;
    std::condition_variable changed_;
    bool stop_ = false;
    std::thread thread_;
};
