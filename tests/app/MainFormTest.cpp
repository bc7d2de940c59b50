// The tray main window's watch over device removal, on an in-process card with three cards. The
// configuration process cannot be started here (no program directory), so getconfig fails: the
// removal then ends the program without a setconfig. The successful path runs end to end.

#include "app/MainForm.h"

#include "app/Startup.h"
#include "controls/ExtControls.h"
#include "driver/CardDiscovery.h"
#include "platform/DeviceChange.h"
#include "platform/NotifyIcon.h"
#include "windows/HubFixture.h"

#include <gtest/gtest.h>

namespace {

class MainFormTest : public HubTest {
protected:
    MainFormTest() : HubTest(3) {
        setenv("VARNEL_BIN_DIR", "/nonexistent-varnel-bin", 1);
        QuitRequested = false;
        app.CreateForm(frmMain);
        app.CreateForm(MixControlWnd);
    }
    ~MainFormTest() override {
        unsetenv("VARNEL_BIN_DIR");
        QuitRequested = false;
        app.DestroyComponents();
        frmMain = nullptr;
    }

    LRESULT Broadcast(WPARAM event, DWORD devnode, DWORD size = sizeof(DEV_BROADCAST_DEVNODE),
                      DWORD type = DBT_DEVTYP_DEVNODE) {
        DEV_BROADCAST_DEVNODE record{size, type, 0, devnode};
        return frmMain->Perform(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&record));
    }
};

TEST_F(MainFormTest, TheTrayMainWindowIsTheHiddenMainForm) {
    EXPECT_EQ(app.MainForm(), frmMain);
    EXPECT_FALSE(frmMain->Visible());
    EXPECT_EQ(frmMain->Caption(), "frmMain");
    EXPECT_EQ(frmMain->Left(), 301);
    EXPECT_EQ(frmMain->Height(), 164);
    EXPECT_EQ(frmMain->ControlCount(), 0);
}

using Log = std::vector<std::string>;

TEST_F(MainFormTest, EventsOtherThanTheQueryForACardChangeNothingAndAreGranted) {
    ASSERT_EQ(CardCount, 3);
    MixControlWnd->chkAnalogInputs->SetChecked(true);
    EXPECT_EQ(Broadcast(DBT_DEVICEREMOVECOMPLETE, CardDevNodes[2]), 1);
    EXPECT_EQ(Broadcast(DBT_DEVICEQUERYREMOVE, 0x0BAD0000), 1) << "not a card";
    EXPECT_EQ(Broadcast(DBT_DEVICEQUERYREMOVE, CardDevNodes[1], 16, 5), 1) << "not a devnode";
    EXPECT_EQ(Broadcast(DBT_DEVICEQUERYREMOVE, CardDevNodes[1], 12), 1) << "too short a record";
    EXPECT_EQ(Broadcast(DBT_DEVICEQUERYREMOVE, 0), 1) << "node 0 is no card's";
    EXPECT_EQ(frmMain->Perform(WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, 0), 1);
    EXPECT_FALSE(QuitRequested);
    ASSERT_NE(MixControlWnd, nullptr);
    EXPECT_NE(WindowOf(ChannelWindowKind::AnalogInputs), nullptr);
}

TEST_F(MainFormTest, TheQueryForTheThirdCardRequestsTheEndAndTheLoopThenClosesTheHub) {
    MixControlWnd->Show();
    MixControlWnd->chkAnalogInputs->SetChecked(true);
    MixControlWnd->chkStayOnTop->SetChecked(true);
    log.clear();
    EXPECT_EQ(Broadcast(DBT_DEVICEQUERYREMOVE, CardDevNodes[2]), 1);
    EXPECT_TRUE(QuitRequested);
    EXPECT_TRUE(app.Ending());
    // The query may arrive inside a box or a restore: nothing is closed under it.
    EXPECT_TRUE(log.empty());
    ASSERT_NE(MixControlWnd, nullptr);
    CloseProgramWindows();
    EXPECT_EQ(MixControlWnd, nullptr);
    EXPECT_EQ(WindowOf(ChannelWindowKind::AnalogInputs), nullptr);
    EXPECT_EQ(log, (Log{"close TfrmAnalogInp", "destroy TfrmAnalogInp"}));
    const std::string ini = GetIni();
    EXPECT_NE(ini.find("chkAnalogInputs=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("chkStayOnTop=1"), std::string::npos) << ini;
    EXPECT_TRUE(boxes->History().empty());
}

// Without the configuration process getstates fails and leaves the cleared record: the program
// reports nothing and ends before creating anything.
TEST_F(MainFormTest, AFailedGetstatesEndsTheProgramSilently) {
    app.DestroyComponents();
    frmMain = nullptr;
    auto recorder = std::make_unique<RecordingNotifyIcon>();
    auto* calls = &recorder->calls;
    auto previous = InstallNotifyIconService(std::move(recorder));
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_TRUE(calls->empty());
    InstallNotifyIconService(std::move(previous));
    EXPECT_EQ(frmMain, nullptr);
    EXPECT_EQ(MixControlWnd, nullptr);
    EXPECT_TRUE(boxes->History().empty());
}

} // namespace
