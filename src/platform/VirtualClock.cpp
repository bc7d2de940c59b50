#include "platform/VirtualClock.h"

#include "platform/MessageQueue.h"

void VirtualClock::Advance(std::uint64_t ms) {
    AdvanceTo(NowMs() + ms);
}

void VirtualClock::AdvanceTo(std::uint64_t time) {
    while (FireNextDue(time)) {
    }
    if (time > now_)
        now_ = time;
}

void VirtualClock::WaitForWork(MessageQueue& queue) {
    if (!queue.Empty())
        return;
    if (auto next = NextDue())
        AdvanceTo(*next);
}

ScopedVirtualClock::ScopedVirtualClock() {
    auto clock = std::make_unique<VirtualClock>();
    clock_ = clock.get();
    previous_ = InstallClock(std::move(clock));
}

ScopedVirtualClock::~ScopedVirtualClock() {
    InstallClock(std::move(previous_));
}
