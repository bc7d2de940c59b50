#include "platform/MessageQueue.h"
#include "platform/MultimediaTimers.h"
#include "platform/RealClock.h"
#include "platform/VirtualClock.h"
#include "platform/WindowTable.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Log {
    std::vector<std::string> events;
};

Log* gLog = nullptr;
UINT gKillInside = 0;

void CALLBACK_Record(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    gLog->events.push_back(std::to_string(user) + "@" + std::to_string(timeGetTime()));
    if (id == gKillInside)
        timeKillEvent(id);
}

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        gLog = &log;
        gKillInside = 0;
    }
    void TearDown() override { gLog = nullptr; }
    ScopedVirtualClock clock;
    Log log;
};

TEST_F(TimerTest, PeriodicTimerFiresOncePerPeriodAcrossAnAdvance) {
    UINT id = timeSetEvent(40, 1, CALLBACK_Record, 7, TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    clock->Advance(39);
    EXPECT_TRUE(log.events.empty());
    clock->Advance(1);
    clock->Advance(1000);
    ASSERT_EQ(log.events.size(), 26u);
    EXPECT_EQ(log.events.front(), "7@40");
    EXPECT_EQ(log.events.back(), "7@1040");
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    clock->Advance(1000);
    EXPECT_EQ(log.events.size(), 26u);
}

TEST_F(TimerTest, TimersOfTheSamePeriodKeepTheirOrderAndInterleaveWithOthersByTime) {
    UINT a = timeSetEvent(100, 1, CALLBACK_Record, 1, TIME_PERIODIC);
    UINT b = timeSetEvent(100, 1, CALLBACK_Record, 2, TIME_PERIODIC);
    UINT c = timeSetEvent(40, 1, CALLBACK_Record, 3, TIME_PERIODIC);
    clock->Advance(200);
    EXPECT_EQ(log.events, (std::vector<std::string>{"3@40", "3@80", "1@100", "2@100", "3@120",
                                                    "3@160", "1@200", "2@200", "3@200"}));
    for (UINT id : {a, b, c})
        timeKillEvent(id);
}

TEST_F(TimerTest, ATimerKilledFromItsOwnCallbackNeverFiresAgain) {
    gKillInside = timeSetEvent(10, 1, CALLBACK_Record, 5, TIME_PERIODIC);
    clock->Advance(100);
    EXPECT_EQ(log.events, std::vector<std::string>{"5@10"});
    EXPECT_EQ(timeKillEvent(gKillInside), MMSYSERR_INVALPARAM) << "already gone";
}

TEST_F(TimerTest, IdsStayInSixteenBitsAndAreReusedAfterKill) {
    UINT a = timeSetEvent(10, 1, CALLBACK_Record, 0, TIME_PERIODIC);
    UINT b = timeSetEvent(10, 1, CALLBACK_Record, 0, TIME_PERIODIC);
    EXPECT_GE(a, 1u);
    EXPECT_LE(b, 65535u);
    EXPECT_NE(a, b);
    timeKillEvent(a);
    EXPECT_EQ(timeSetEvent(10, 1, CALLBACK_Record, 0, TIME_PERIODIC), a);
    timeKillEvent(a);
    timeKillEvent(b);
    EXPECT_EQ(timeSetEvent(0, 1, CALLBACK_Record, 0, TIME_PERIODIC), 0u) << "no zero delay";
    EXPECT_EQ(timeSetEvent(10, 1, nullptr, 0, TIME_PERIODIC), 0u);
}

TEST_F(TimerTest, OneShotTimerFiresOnceAndFreesItsId) {
    UINT id = timeSetEvent(25, 1, CALLBACK_Record, 9, TIME_ONESHOT);
    clock->Advance(100);
    EXPECT_EQ(log.events, std::vector<std::string>{"9@25"});
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

TEST_F(TimerTest, SleepMovesTheVirtualClockAndFiresWhatIsDue) {
    timeSetEvent(30, 1, CALLBACK_Record, 4, TIME_ONESHOT);
    Sleep(50);
    EXPECT_EQ(timeGetTime(), 50u);
    EXPECT_EQ(log.events, std::vector<std::string>{"4@30"});
}

struct TimerWindow : IMessageTarget {
    HWND hwnd = WindowTable::Instance().Register(this);
    std::vector<std::pair<WPARAM, DWORD>> ticks;
    ~TimerWindow() { WindowTable::Instance().Unregister(hwnd); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_TIMER)
            ticks.emplace_back(wParam, timeGetTime());
        return 0;
    }
};

TEST_F(TimerTest, WindowTimersDeliverThroughTheQueueAndTheEmptyStepJumpsTheClock) {
    MessageQueue::Instance().Clear();
    TimerWindow w;
    SetTimer(w.hwnd, 3, 1000);
    // The program's own loop on an empty queue: each empty step jumps to the next due timer.
    while (w.ticks.size() < 3)
        MessageQueue::Instance().Step();
    EXPECT_EQ(w.ticks[0], (std::pair<WPARAM, DWORD>{3, 1000}));
    EXPECT_EQ(w.ticks[2], (std::pair<WPARAM, DWORD>{3, 3000}));
    EXPECT_TRUE(KillTimer(w.hwnd, 3));
    EXPECT_FALSE(MessageQueue::Instance().Step()) << "nothing due: returns at once";
    EXPECT_EQ(timeGetTime(), 3000u);
}

// The scheduler driven as the real clock's thread drives it, at wake-ups the test chooses.
class SteppedClock : public TimerScheduler {
public:
    std::uint64_t now = 0;
    std::uint64_t NowMs() const override { return now; }
    void Sleep(std::uint32_t) override {}
    void WaitForWork(MessageQueue&) override {}
    void WakeAt(std::uint64_t at) {
        now = at;
        while (FireNextDue(at, true)) {
        }
    }
};

TEST(TimerToleranceTest, ATimerJoinsAnEarlierWakeUpWithinItsToleranceAndKeepsItsPeriod) {
    SteppedClock clock;
    std::string fired;
    auto note = [&](char timer) {
        return [&, timer] { fired += timer + std::to_string(clock.now) + " "; };
    };
    clock.Schedule(40, true, note('d'), 40);   // may fire 10 ms early
    clock.Schedule(100, true, note('p'), 100); // may fire 25 ms early
    clock.Schedule(100, true, note('x'));      // exact
    for (std::uint64_t at : {40, 80, 100, 120, 160, 200, 240, 280, 300})
        clock.WakeAt(at);
    EXPECT_EQ(fired, "d40 d80 p80 x100 d120 d160 d200 p200 x200 d240 d280 p280 x300 ");
    EXPECT_EQ(clock.NextDue(), 320u);
}

std::atomic<int> gRealTicks{0};
std::atomic<bool> gOnGuiThread{false};
void CALLBACK_Count(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    gOnGuiThread = MessageQueue::Instance().OnGuiThread();
    ++gRealTicks;
}

TEST(RealClockTest, PeriodicTimerRunsOnTheTimerThreadUntilKilled) {
    MessageQueue::Instance().BindToCurrentThread();
    auto previous = InstallClock(std::make_unique<RealClock>());
    gRealTicks = 0;
    UINT id = timeSetEvent(1, 1, CALLBACK_Count, 0, TIME_PERIODIC);
    while (gRealTicks < 3)
        std::this_thread::yield();
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_FALSE(gOnGuiThread);
    EXPECT_EQ(Clock().Count(), 0u);
    InstallClock(std::move(previous));
}

} // namespace
