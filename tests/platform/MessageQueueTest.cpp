#include "platform/MessageQueue.h"

#include "platform/VirtualClock.h"
#include "platform/WindowTable.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

struct RecordingWindow : IMessageTarget {
    HWND hwnd = WindowTable::Instance().Register(this);
    std::vector<MSG> received;
    ~RecordingWindow() { WindowTable::Instance().Unregister(hwnd); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(MSG{hwnd, message, wParam, lParam});
        return static_cast<LRESULT>(wParam * 2);
    }
};

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override { queue.Clear(); }
    void TearDown() override { queue.Clear(); }
    void Drain() {
        while (queue.Step()) {
        }
    }
    ScopedVirtualClock clock;
    MessageQueue& queue = MessageQueue::Instance();
};

TEST_F(MessageQueueTest, PostedMessagesArriveInOrderOneStepAtATime) {
    RecordingWindow w;
    PostMessageA(w.hwnd, WM_USER + 1, 1, 0);
    PostMessageA(w.hwnd, WM_USER + 2, 2, 0);
    EXPECT_TRUE(queue.Step());
    ASSERT_EQ(w.received.size(), 1u);
    EXPECT_TRUE(queue.Step());
    EXPECT_FALSE(queue.Step());
    ASSERT_EQ(w.received.size(), 2u);
    EXPECT_EQ(w.received[0].message, WM_USER + 1);
    EXPECT_EQ(w.received[1].message, WM_USER + 2);
}

TEST_F(MessageQueueTest, EachThreadsPostsKeepTheirOrderWhenManyPostAtOnce) {
    RecordingWindow w;
    constexpr int kThreads = 4, kEach = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                PostMessageA(w.hwnd, WM_USER + t, static_cast<WPARAM>(i), 0);
        });
    for (auto& t : threads)
        t.join();
    Drain();
    ASSERT_EQ(w.received.size(), static_cast<size_t>(kThreads * kEach));
    std::vector<WPARAM> last(kThreads, 0);
    std::vector<int> count(kThreads, 0);
    for (const auto& m : w.received) {
        int t = static_cast<int>(m.message - WM_USER);
        if (count[t] > 0) {
            EXPECT_EQ(m.wParam, last[t] + 1);
        }
        last[t] = m.wParam;
        ++count[t];
    }
    for (int c : count)
        EXPECT_EQ(c, kEach);
}

TEST_F(MessageQueueTest, MessagesToDestroyedWindowsAreDropped) {
    HWND gone;
    {
        RecordingWindow w;
        gone = w.hwnd;
        PostMessageA(w.hwnd, WM_USER, 1, 0); // pending when the window goes
    }
    RecordingWindow other;
    EXPECT_NE(other.hwnd, gone) << "handles are never reused";
    EXPECT_EQ(PostMessageA(gone, WM_USER, 2, 0), FALSE);
    PostMessageA(other.hwnd, WM_USER, 3, 0);
    Drain();
    ASSERT_EQ(other.received.size(), 1u);
    EXPECT_EQ(other.received[0].wParam, 3u);
    EXPECT_EQ(SendMessage(gone, WM_USER, 4, 0), 0);
}

TEST_F(MessageQueueTest, SendOnTheGuiThreadRunsTheHandlerAtOnce) {
    RecordingWindow w;
    PostMessageA(w.hwnd, WM_USER, 1, 0);
    EXPECT_EQ(SendMessage(w.hwnd, WM_USER + 5, 21, 0), 42);
    ASSERT_EQ(w.received.size(), 1u);
    EXPECT_EQ(w.received[0].message, WM_USER + 5);
}

TEST_F(MessageQueueTest, SendFromAnotherThreadIsHandledOnTheGuiThreadInQueueOrder) {
    RecordingWindow w;
    PostMessageA(w.hwnd, WM_USER, 1, 0);
    std::atomic<LRESULT> result{-1};
    std::thread sender([&] { result = SendMessage(w.hwnd, WM_USER + 7, 50, 0); });
    // With the virtual clock and no timers an empty step returns at once, so this spins until
    // the sent message has joined the queue behind the posted one.
    while (w.received.size() < 2)
        queue.Step();
    sender.join();
    EXPECT_EQ(result.load(), 100);
    EXPECT_EQ(w.received[0].message, WM_USER);
    EXPECT_EQ(w.received[1].message, WM_USER + 7);
}

TEST_F(MessageQueueTest, ThreadMessagesGoToTheThreadHandler) {
    std::vector<UINT> seen;
    queue.SetThreadMessageHandler([&](const MSG& m) { seen.push_back(m.message); });
    PostQuitMessage(0);
    Drain();
    queue.SetThreadMessageHandler({});
    EXPECT_EQ(seen, std::vector<UINT>{WM_QUIT});
}

TEST_F(MessageQueueTest, StepRunsIdleOnlyWhenNothingIsPending) {
    RecordingWindow w;
    int idles = 0;
    PostMessageA(w.hwnd, WM_USER, 0, 0);
    EXPECT_TRUE(queue.Step([&] { ++idles; }));
    EXPECT_EQ(idles, 0);
    EXPECT_FALSE(queue.Step([&] { ++idles; }));
    EXPECT_EQ(idles, 1);
}

} // namespace
