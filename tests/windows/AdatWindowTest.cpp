#include "ChannelWindowFixture.h"
#include "controls/ExtControls.h"
#include "driver/DriverMessages.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/UserInput.h"
#include "windows/AdatInp.h"
#include "windows/AdatOut.h"

#include <set>

namespace {

using simcard::WaveDirection;

std::vector<std::string> Captions(const TWinControl* panel) {
    std::vector<std::string> captions;
    for (int i = 0; i < panel->ControlCount(); ++i)
        captions.push_back(panel->Controls(i)->Caption());
    return captions;
}

bool MenuItemChecked(TCustomForm* form, const std::string& text) {
    for (const SystemMenuItem& item : SystemMenuItems(form->Handle()))
        if (item.text == text)
            return item.checked;
    ADD_FAILURE() << "no menu item " << text;
    return false;
}

class AdatCardsTest : public ChannelWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(AdatCardsTest, StripsPinnedHeightAndSizeLimitsFollowTheCardCount) {
    const int cards = GetParam();
    UseCards(cards);
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "ADAT Inputs");

    EXPECT_EQ(w->PinnedHeight(), 296) << "no header to remove";
    const int maxWidth = 330 * cards - 16 * (cards - 1);
    MINMAXINFO info = w->GetMinMaxInfo();
    EXPECT_EQ(info.ptMinTrackSize.x, 174);
    EXPECT_EQ(info.ptMaxTrackSize.x, maxWidth);
    EXPECT_EQ(info.ptMaxSize.x, maxWidth);
    EXPECT_EQ(info.ptMaxPosition.x, 0);
    EXPECT_EQ(info.ptMaxPosition.y, 0);
    for (int height : {info.ptMinTrackSize.y, info.ptMaxTrackSize.y, info.ptMaxSize.y})
        EXPECT_EQ(height, 296);
    w->SetBounds(w->Left(), w->Top(), 5000, 1000);
    EXPECT_EQ(w->Width(), maxWidth);
    EXPECT_EQ(w->Height(), 296);
    w->SetWidth(20);
    EXPECT_EQ(w->Width(), 174);

    // One strip per card, 312 pixels apart, channel numbers running on.
    EXPECT_EQ(w->pnMeters->Width(), 314 + 312 * (cards - 1));
    EXPECT_EQ(w->pnNumbers->Width(), 285 + 312 * (cards - 1));
    std::vector<std::string> expected;
    for (int n = 1; n <= 8 * cards; ++n)
        expected.push_back(std::to_string(n));
    EXPECT_EQ(Captions(w->pnNumbers), expected);
    for (int i = 8; i < w->pnNumbers->ControlCount(); ++i)
        EXPECT_EQ(w->pnNumbers->Controls(i)->Left(), w->pnNumbers->Controls(i - 8)->Left() + 312);
    ASSERT_EQ(w->MeterTable().size(), static_cast<std::size_t>(8 * cards));
    EXPECT_EQ(w->MeterTable()[0]->Name(), "Meter1");
    EXPECT_EQ(w->MeterTable()[7]->Name(), "Meter8");
    EXPECT_EQ(HandleFacts().size(), static_cast<std::size_t>(8 * cards));
}

INSTANTIATE_TEST_SUITE_P(OneTwoFour, AdatCardsTest, ::testing::Values(1, 2, 4));

TEST_F(ChannelWindowTest, ThePollReadsEveryEvenHandleIntoItsPairOfMeters) {
    UseCards(2);
    Silence();
    model->Card(1).input[4] = simcard::Signal::Sine(-6, 1000); // card 1, channels 5 and 6
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->Metering());
    model->ClearTrace();
    Run(100);

    // Handle entries 0, 2, .. 14 carry the meters: entries 2j and 2j+1 share a device.
    auto facts = HandleFacts();
    ASSERT_EQ(facts.size(), 16u);
    std::vector<std::string> expectedReads;
    for (int j = 0; j < 8; ++j) {
        const std::string device = DeviceOf(j / 4, WaveDirection::In, 2 + j % 4);
        EXPECT_EQ(std::to_string(facts[2 * j].deviceId), device);
        EXPECT_EQ(std::to_string(facts[2 * j + 1].deviceId), device);
        EXPECT_TRUE(facts[2 * j].meterOn);
        EXPECT_FALSE(facts[2 * j + 1].meterOn);
        expectedReads.push_back(device);
    }
    EXPECT_EQ(Traced("INMSG_METER_READ"), expectedReads);

    // Pair j = 6 feeds meters 12 and 13, the window's channels 13 and 14.
    for (std::size_t m = 0; m < w->MeterTable().size(); ++m) {
        const bool lit = m == 12 || m == 13;
        EXPECT_EQ(w->MeterTable()[m]->Level() > 0, lit) << "meter " << m;
        EXPECT_EQ(w->MeterTable()[m]->LitCount() > 0, lit) << "meter " << m;
    }
    const PeakValues last = ReadPeakBlock(w->PeakBlock().Flat());
    EXPECT_EQ(w->MeterTable()[14]->Level(), last.left) << "the block holds the last pair's read";
}

TEST_F(ChannelWindowTest, ARefusedMeterOnLeavesEveryMeterDarkAndNoTimerRunning) {
    UseCards(3);
    model->Card(1).meterOnRefused[int(WaveDirection::In)][2] = true;
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr) << "the window works otherwise";
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->DecayTimer(), 0u);
    EXPECT_EQ(w->PollTimer(), 0u);
    EXPECT_EQ(Traced("INMSG_METER_ON").size(), 5u) << "card 0's four pairs, then the refusal";
    Run(1000);
    EXPECT_TRUE(Traced("INMSG_METER_READ").empty());
    EXPECT_EQ(LitMeters(w), 0);
    // classic behaviour: card 0's meters stay on in the driver until the handles close.
    auto facts = HandleFacts();
    for (int j = 0; j < 4; ++j)
        EXPECT_TRUE(facts[2 * j].meterOn);

    UserInput::CloseWindow(w);
    app.ProcessMessages();
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(model->Handles().empty());
    EXPECT_TRUE(Traced("INMSG_METER_OFF").empty()) << "metering never ran, so nothing to stop";
}

TEST_F(ChannelWindowTest, EveryDecayTickReachesEveryMeterOfFourCards) {
    UseCards(4);
    for (int c = 0; c < 4; ++c)
        for (int d = 2; d < 6; ++d)
            model->Card(c).input[d] = simcard::Signal::Noise(-3);
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    model->ClearTrace();
    Run(100);
    EXPECT_EQ(Traced("INMSG_METER_READ").size(), 16u) << "one poll, sixteen pairs";
    ASSERT_EQ(LitMeters(w), 32);

    Silence();
    std::vector<int> before;
    for (TLevelMeter* meter : w->MeterTable())
        before.push_back(meter->TopIndex());
    EXPECT_EQ(w->Perform(WM_METERDECAY, w->DecayTimer(), 0), 1);
    for (std::size_t m = 0; m < before.size(); ++m)
        EXPECT_EQ(w->MeterTable()[m]->TopIndex(), before[m] - 1) << "meter " << m;

    Run(5000); // the fall and the 3 s hold of the peak lamp
    for (TLevelMeter* meter : w->MeterTable()) {
        EXPECT_EQ(meter->LitCount(), 0);
        EXPECT_EQ(meter->PeakLumi(), 0);
    }
}

TEST_F(ChannelWindowTest, ClearingThePeakMeterLeavesOnlyTheControlPanel) {
    UseCards(1);
    auto* w = Open<TfrmAdatOut>();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->Height(), 296);
    model->ClearTrace();

    ASSERT_TRUE(UserInput::Click(w->chkPeakMeter));
    EXPECT_FALSE(w->grpGround->Visible());
    EXPECT_EQ(w->PinnedHeight(), 59);
    EXPECT_EQ(w->Height(), 59);
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->DecayTimer(), 0u);
    EXPECT_EQ(w->PollTimer(), 0u);
    std::vector<std::string> everyPair;
    for (int d = 2; d < 6; ++d)
        everyPair.push_back(DeviceOf(0, WaveDirection::Out, d));
    EXPECT_EQ(Traced("OUTMSG_METER_OFF"), everyPair);
    EXPECT_FALSE(MenuItemChecked(w, " &Peak Meter"));

    ASSERT_TRUE(UserInput::Click(w->chkPeakMeter));
    EXPECT_TRUE(w->grpGround->Visible());
    EXPECT_EQ(w->PinnedHeight(), 296);
    EXPECT_EQ(w->Height(), 296);
    EXPECT_TRUE(w->Metering());
    EXPECT_NE(w->PollTimer(), 0u);
    EXPECT_EQ(Traced("OUTMSG_METER_ON"), everyPair);
}

TEST_F(ChannelWindowTest, TheSystemMenuTogglesTheControlPanelAndTheMeters) {
    UseCards(2);
    auto* w = Open<TfrmAdatOut>();
    ASSERT_NE(w, nullptr);

    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " Fenstersteuerung anzeigen"));
    EXPECT_FALSE(w->pnChecks->Visible());
    EXPECT_EQ(w->PinnedHeight(), 296 - 32);
    EXPECT_EQ(w->Height(), 296 - 32);
    EXPECT_EQ(w->grpGround->Align(), alClient);
    EXPECT_FALSE(MenuItemChecked(w, " Fenstersteuerung anzeigen"));

    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " &Peak Meter"));
    EXPECT_FALSE(w->chkPeakMeter->Checked());
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->PinnedHeight(), 296 - 32 - 237);
    EXPECT_EQ(w->Height(), w->PinnedHeight());

    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " &Peak Meter"));
    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " Fenstersteuerung anzeigen"));
    EXPECT_TRUE(w->pnChecks->Visible());
    EXPECT_EQ(w->grpGround->Align(), alTop);
    EXPECT_EQ(w->PinnedHeight(), 296);
    EXPECT_EQ(w->Height(), 296);
    EXPECT_TRUE(w->Metering());
}

TEST_F(ChannelWindowTest, TheInfoItemShowsTheAboutBoxModallyWhileTheMetersRunOn) {
    UseCards(1);
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    bool wasModal = false;
    int pollsMeanwhile = 0;
    // A user reads the box for half a second, then presses OK.
    hub->SetMessageHandler(WM_USER + 7, [&](TMessage&) {
        wasModal = AboutBox->Modal();
        model->ClearTrace();
        Run(500);
        pollsMeanwhile = static_cast<int>(Traced("INMSG_METER_READ").size());
        AboutBox->SetModalResult(mrOk);
    });
    PostMessageA(hub->Handle(), WM_USER + 7, 0, 0);
    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " Info..."));
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(AboutBox->Visible());
    EXPECT_EQ(pollsMeanwhile, 5 * 4);
}

TEST_F(ChannelWindowTest, ACloseFromTheTitleBarRunsFormCloseTwice) {
    UseCards(1);
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    Run(200);

    ASSERT_TRUE(UserInput::CloseWindow(w));
    EXPECT_FALSE(w->Visible());
    EXPECT_FALSE(w->Metering());
    app.ProcessMessages();
    // The user's close posts the first notice; the hub's close before freeing posts the second,
    // which arrives when the window no longer exists.
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(ignoredNotices, 1);
    EXPECT_TRUE(model->Handles().empty());
    EXPECT_EQ(Traced("INMSG_METER_OFF").size(), 4u) << "metering stopped once";

    const std::string ini = GetIni();
    EXPECT_NE(ini.find("[ADAT Inputs]"), std::string::npos);
    for (const char* key :
         {"pnChecks=1", "chkPeakMeter=1", "Top=84", "Left=128", "Width=330", "Height=", "Hints="})
        EXPECT_NE(ini.find(key), std::string::npos) << key;
    EXPECT_EQ(ini.find("pnChecks", ini.find("pnChecks") + 1), std::string::npos)
        << "the second save writes the same keys again";
}

TEST_F(ChannelWindowTest, TheRestoredStateHidesMetersAndControlPanelWithTheirHeights) {
    UseCards(1);
    PutIni("[ADAT Inputs]\npnChecks=0\nchkPeakMeter=0\nLeft=40\n");
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->grpInput->Visible());
    EXPECT_FALSE(w->pnChecks->Visible());
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->DecayTimer(), 0u);
    EXPECT_EQ(w->Left(), 40);
    // 296 less the meters (237) and the control panel as the window had laid it out (32).
    EXPECT_EQ(w->PinnedHeight(), 27);
    EXPECT_EQ(w->Height(), 27);
    EXPECT_FALSE(MenuItemChecked(w, " &Peak Meter"));
    EXPECT_FALSE(MenuItemChecked(w, " Fenstersteuerung anzeigen"));
    Run(300);
    EXPECT_TRUE(Traced("INMSG_METER_READ").empty());

    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " Fenstersteuerung anzeigen"));
    EXPECT_EQ(w->PinnedHeight(), 59);
    EXPECT_EQ(w->Height(), 59);
}

TEST_F(ChannelWindowTest, AHandleThatCannotBeOpenedLeavesTheWindowUnshownAndNotReady) {
    UseCards(2);
    model->Card(1).openFails[int(WaveDirection::In)][3] = true; // card 1, channels 3 and 4
    auto* w = new TfrmAdatInp(hub);
    window = w;
    EXPECT_FALSE(w->Ready());
    EXPECT_TRUE(boxes->History().empty()) << "the abort is silent";
    EXPECT_EQ(HandleFacts().size(), 10u) << "card 0's eight and card 1's first pair stay open";
    EXPECT_EQ(w->pnMeters->Width(), 314) << "creation ended before the strips were copied";
    // Not ready: the size limits are left alone.
    MINMAXINFO info = w->GetMinMaxInfo();
    EXPECT_EQ(info.ptMinTrackSize.x, 0);
    EXPECT_EQ(w->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);

    FreeAndNil(window);
    EXPECT_TRUE(model->Handles().empty()) << "destruction closes what was opened";
    EXPECT_EQ(Open<TfrmAdatInp>(), nullptr);
    EXPECT_EQ(GetIni().find("ADAT"), std::string::npos) << "never shown, never saved";
}

TEST_F(ChannelWindowTest, TheOutputWindowMetersPlaybackDevicesInItsDesignedOrder) {
    UseCards(2);
    Silence();
    model->Card(0).playback[2] = simcard::Signal::Sine(-3, 1000); // channels 1 and 2
    auto* w = Open<TfrmAdatOut>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "ADAT Outputs");
    model->ClearTrace();
    Run(100);

    std::vector<std::string> expected;
    for (int j = 0; j < 8; ++j)
        expected.push_back(DeviceOf(j / 4, WaveDirection::Out, 2 + j % 4));
    EXPECT_EQ(Traced("OUTMSG_METER_READ"), expected);
    EXPECT_TRUE(Traced("INMSG_METER_READ").empty());

    const char* designed[] = {"PlayLvMeter1", "PlayLvMeter2", "LevelMeter1", "LevelMeter2",
                              "LevelMeter3",  "LevelMeter4",  "LevelMeter5", "LevelMeter6"};
    ASSERT_EQ(w->MeterTable().size(), 16u);
    for (int m = 0; m < 8; ++m)
        EXPECT_EQ(w->MeterTable()[m]->Name(), designed[m]);
    for (int m = 8; m < 16; ++m)
        EXPECT_EQ(w->MeterTable()[m]->Name(), "") << "copies are unnamed";
    std::set<int> lit;
    for (int m = 0; m < 16; ++m)
        if (w->MeterTable()[m]->LitCount() > 0)
            lit.insert(m);
    EXPECT_EQ(lit, (std::set<int>{0, 1}));
    EXPECT_EQ(w->pnNumbers->Controls(8)->Caption(), "9");
    EXPECT_EQ(w->pnNumbers->Controls(15)->Caption(), "16");
}

TEST_F(ChannelWindowTest, ActivationOfAChannelWindowReachesTheHubsHandler) {
    UseCards(1);
    hub->Show();
    int changes = 0;
    hub->OnActivate = [&](TObject*) { ++changes; };
    hub->OnDeactivate = [&](TObject*) { ++changes; };
    auto* w = Open<TfrmAdatInp>();
    ASSERT_NE(w, nullptr);
    const int afterShow = changes;
    UserInput::ActivateForm(hub);
    UserInput::ActivateForm(w);
    EXPECT_EQ(changes, afterShow + 4) << "the window's own activation changes run the hub's";
}

} // namespace
