// The program's startup and loop run in this process against a real daemon, with a recording
// notification icon: the record as the shell receives it, a refused add, and a quit message that
// does not end the loop.

#include "app/Startup.h"
#include "platform/Icons.h"
#include "platform/MessageQueue.h"
#include "platform/NotifyIcon.h"
#include "support/CardDaemonSupport.h"
#include "support/PrivateConfigHome.h"
#include "support/Varnelctl.h"
#include "toolkit/TApplication.h"
#include "windows/MixControlWnd.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

// Posts a quit message as soon as the icon is in, then has the card unplugged from another
// thread, so the quit message is handled first and the removal later.
class QuitThenUnplug : public RecordingNotifyIcon {
public:
    explicit QuitThenUnplug(std::string socket) : socket_(std::move(socket)) {}
    ~QuitThenUnplug() override {
        if (unplug_.joinable())
            unplug_.join();
    }
    std::thread unplug_;

protected:
    BOOL Show(DWORD message, const NOTIFYICONDATAA& data) override {
        if (message == NIM_ADD) {
            PostQuitMessage(0);
            unplug_ = std::thread([socket = socket_] {
                testsupport::RunVarnelctl(socket, {"unplug", "0", "--no-wait"});
            });
        }
        return RecordingNotifyIcon::Show(message, data);
    }

private:
    std::string socket_;
};

class ManagerLoopTest : public ::testing::Test {
protected:
    void SetUp() override { QuitRequested = false; }
    void TearDown() override {
        ShutdownProgram();
        InstallNotifyIconService(nullptr);
        MessageQueue::Instance().Clear();
        QuitRequested = false;
    }

private:
    testsupport::PrivateConfigHome configHome_{"loop"};
};

TEST_F(ManagerLoopTest, ARefusedIconEndsTheProgramAtOnceWithTheRecordFilledExactly) {
    testsupport::CardDaemon daemon(1);
    auto icon = std::make_unique<RecordingNotifyIcon>();
    icon->refuseAdd = true;
    auto* recorder = icon.get();
    InstallNotifyIconService(std::move(icon));

    EXPECT_EQ(RunProgram(), 0);
    ASSERT_EQ(recorder->calls.size(), 1u) << "no delete after a refused add";
    const auto& call = recorder->calls[0];
    EXPECT_EQ(call.message, NIM_ADD);
    EXPECT_EQ(call.data.cbSize, 88u);
    ASSERT_NE(MixControlWnd, nullptr);
    EXPECT_EQ(call.data.hWnd, MixControlWnd->Handle());
    EXPECT_EQ(call.data.uID, 0u);
    EXPECT_EQ(call.data.uFlags, 7u);
    EXPECT_EQ(call.data.uCallbackMessage, 1126u);
    EXPECT_NE(call.data.hIcon, 0u);
    EXPECT_EQ(IconImageOf(call.data.hIcon), nullptr) << "the icon was destroyed";
    char tip[64] = "Einstellungen für Varnel PRO";
    EXPECT_EQ(std::memcmp(call.data.szTip, tip, sizeof tip), 0) << "zero-padded";
    EXPECT_EQ(Application->MainForm()->ClassName(), std::string("TfrmMain"));
}

TEST_F(ManagerLoopTest, AQuitMessageDoesNotEndTheLoopOnlyTheCardRemovalDoes) {
    testsupport::CardDaemon daemon(1);
    auto icon = std::make_unique<QuitThenUnplug>(daemon.Socket());
    auto* recorder = icon.get();
    InstallNotifyIconService(std::move(icon));

    EXPECT_EQ(RunProgram(), 0);
    recorder->unplug_.join();
    EXPECT_TRUE(Application->Terminated()) << "the quit message was handled";
    EXPECT_TRUE(QuitRequested);
    EXPECT_EQ(MixControlWnd, nullptr) << "the removal closed and destroyed the hub";
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[1].message, NIM_DELETE);
    EXPECT_EQ(
        std::memcmp(&recorder->calls[0].data, &recorder->calls[1].data, sizeof(NOTIFYICONDATAA)), 0)
        << "the same record for the delete";
}

} // namespace
