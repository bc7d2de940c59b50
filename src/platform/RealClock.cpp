#include "platform/RealClock.h"

#include "platform/MessageQueue.h"

#include <algorithm>

RealClock::RealClock() : start_(std::chrono::steady_clock::now()), thread_([this] { Run(); }) {}

RealClock::~RealClock() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::uint64_t RealClock::NowMs() const {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start_)
                                          .count());
}

void RealClock::Sleep(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealClock::WaitForWork(MessageQueue& queue) {
    queue.WaitUntilNotEmpty();
}

void RealClock::OnScheduleChanged() {
    changed_.notify_all();
}

std::uint64_t RealClock::NextPeriod(std::uint64_t due, std::uint32_t period) const {
    return std::max(due + period, NowMs());
}

void RealClock::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        auto next = NextDueLocked();
        auto now = NowMs();
        if (!next) {
            changed_.wait(lock);
        } else if (*next > now) {
            changed_.wait_for(lock, std::chrono::milliseconds(*next - now));
        } else {
            // Awake anyway: every timer due now, and those whose tolerance lets them join.
            lock.unlock();
            while (FireNextDue(now, true)) {
            }
            lock.lock();
        }
    }
}
