// The cost of the message queue and the timers that every meter tick goes through.

#include "platform/MessageQueue.h"
#include "platform/MultimediaTimers.h"
#include "platform/VirtualClock.h"
#include "platform/WindowTable.h"

#include <benchmark/benchmark.h>

namespace {

struct CountingWindow : IMessageTarget {
    HWND hwnd = WindowTable::Instance().Register(this);
    std::size_t count = 0;
    ~CountingWindow() { WindowTable::Instance().Unregister(hwnd); }
    LRESULT WindowProc(UINT, WPARAM, LPARAM) override { return static_cast<LRESULT>(++count); }
};

void BM_PostAndDispatch(benchmark::State& state) {
    ScopedVirtualClock clock;
    CountingWindow window;
    auto& queue = MessageQueue::Instance();
    for (auto _ : state) {
        PostMessageA(window.hwnd, WM_USER + 1, 0, 0);
        queue.Step();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(window.count));
}
BENCHMARK(BM_PostAndDispatch);

void Tick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    PostMessageA(static_cast<HWND>(user), WM_USER + 101, 0, 0);
}

// A second of a channel window's life: the 40 ms and 100 ms timers and their messages.
void BM_TimerSecond(benchmark::State& state) {
    ScopedVirtualClock clock;
    CountingWindow window;
    auto& queue = MessageQueue::Instance();
    UINT decay = timeSetEvent(40, 1, Tick, window.hwnd, TIME_PERIODIC);
    UINT poll = timeSetEvent(100, 1, Tick, window.hwnd, TIME_PERIODIC);
    for (auto _ : state) {
        clock->Advance(1000);
        while (queue.Step()) {
        }
    }
    timeKillEvent(decay);
    timeKillEvent(poll);
    state.SetItemsProcessed(static_cast<std::int64_t>(window.count));
}
BENCHMARK(BM_TimerSecond);

} // namespace
