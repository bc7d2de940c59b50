#include "platform/NotifyIcon.h"

#include "platform/Icons.h"
#include "platform/MessageQueue.h"
#include "platform/VirtualClock.h"
#include "platform/WindowTable.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

NOTIFYICONDATAA Record(HWND hwnd, const char* tip) {
    NOTIFYICONDATAA data;
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER + 102;
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    return data;
}

struct CallbackWindow : IMessageTarget {
    HWND hwnd = WindowTable::Instance().Register(this);
    std::vector<MSG> received;
    ~CallbackWindow() { WindowTable::Instance().Unregister(hwnd); }
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
        received.push_back(MSG{hwnd, m, w, l});
        return 0;
    }
};

TEST(NotifyIconTest, AnIconIsAddedOnceAndDeletedWithTheSameRecord) {
    RecordingNotifyIcon icon;
    auto data = Record(7, "Einstellungen für Varnel PRO");
    EXPECT_TRUE(icon.Notify(NIM_ADD, data));
    EXPECT_FALSE(icon.Notify(NIM_ADD, data)) << "already there";
    EXPECT_TRUE(icon.Notify(NIM_DELETE, data));
    EXPECT_FALSE(icon.Notify(NIM_DELETE, data)) << "already gone";
    ASSERT_EQ(icon.calls.size(), 2u);
    EXPECT_EQ(NotifyIconService::TipOf(icon.calls[0].data), "Einstellungen für Varnel PRO");
    EXPECT_EQ(icon.calls[1].message, NIM_DELETE);

    icon.refuseAdd = true;
    EXPECT_FALSE(icon.Notify(NIM_ADD, data));
    EXPECT_FALSE(icon.Current());
}

TEST(NotifyIconTest, TheUsersDoubleClickArrivesAsTheCallbackMessage) {
    ScopedVirtualClock clock;
    MessageQueue::Instance().Clear();
    CallbackWindow window;
    RecordingNotifyIcon icon;
    EXPECT_FALSE(icon.UserMouse(WM_LBUTTONDBLCLK)) << "no icon yet";
    icon.Notify(NIM_ADD, Record(window.hwnd, "tip"));
    EXPECT_TRUE(icon.UserMouse(WM_LBUTTONDBLCLK));
    while (MessageQueue::Instance().Step()) {
    }
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].message, WM_USER + 102u);
    EXPECT_EQ(window.received[0].wParam, 0u);
    EXPECT_EQ(window.received[0].lParam, static_cast<LPARAM>(WM_LBUTTONDBLCLK));
}

TEST(NotifyIconTest, HeadlessRunsLogAddAndDelete) {
    auto previous = InstallNotifyIconService(nullptr);
    auto data = Record(3, "Einstellungen für Varnel PRO");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "notifyicon\tadd\tEinstellungen für Varnel PRO\nnotifyicon\tdelete\n");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
    InstallNotifyIconService(std::move(previous));
}

TEST(IconsTest, ResourcesAreLoadedByNameAndHandlesFreedOnce) {
    RegisterIconResource("TESTICON", IconImage{2, {1, 2, 3, 4}});
    EXPECT_EQ(LoadIconA(0, "NOSUCHICON"), 0u);
    HICON a = LoadIconA(0, "TESTICON");
    HICON b = LoadIconA(0, "TESTICON");
    ASSERT_NE(a, 0u);
    EXPECT_NE(a, b);
    ASSERT_NE(IconImageOf(a), nullptr);
    EXPECT_EQ(IconImageOf(a)->pixels[3], 4u);
    EXPECT_TRUE(DestroyIcon(a));
    EXPECT_FALSE(DestroyIcon(a));
    EXPECT_EQ(IconImageOf(a), nullptr);
    EXPECT_NE(IconImageOf(b), nullptr);
    DestroyIcon(b);
}

} // namespace
