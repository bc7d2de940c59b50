// The mixer control window with stand-in channel windows on an in-process card.

#include "controls/ExtControls.h"
#include "driver/CardDiscovery.h"
#include "forms/WindowChrome.h"
#include "toolkit/TPanel.h"
#include "toolkit/UserInput.h"
#include "windows/HubFixture.h"
#include "windows/MixerIcon.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using enum ChannelWindowKind;
using Log = std::vector<std::string>;

TEST_F(HubTest, CreationFindsTheCardsAndSetsCaptionIconAndTheDesignedBoxes) {
    MixerIcon = 77;
    auto* hub = CreateHub();
    MixerIcon = 0;
    EXPECT_EQ(CardCount, 2);
    EXPECT_EQ(hub->Caption(), "Varnel PRO");
    EXPECT_EQ(hub->Icon().Handle(), 77u);
    EXPECT_FALSE(hub->Visible());
    EXPECT_EQ(hub->Width(), 176);
    EXPECT_EQ(hub->Height(), 200);
    EXPECT_EQ(hub->FormStyle(), fsMDIForm);
    EXPECT_EQ(hub->chkAdatOutputs->Tag(), -1);
    EXPECT_EQ(hub->chkSettings->Tag(), 0);
    EXPECT_EQ(hub->chkStayOnTop->Caption(), " Immer im &Vordergrund");
    EXPECT_EQ(hub->chkStayOnTop->CaptionEnglish(), " Always On &Top");
    EXPECT_EQ(hub->chkSettings->Caption(), " &Einstellungen");
    EXPECT_EQ(hub->Panel1->Align(), alTop);
    EXPECT_EQ(hub->Panel3->Align(), alClient);
    EXPECT_EQ(hub->Panel2->Align(), alBottom);
    EXPECT_EQ(hub->chkSettings->Parent(), hub->Panel3);
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_TRUE(log.empty()) << "no window opens before the hub is shown";
}

TEST_F(HubTest, TickingOpensAndShowsTheWindowUntickingClosesAndDestroysIt) {
    auto* hub = CreateHub();
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogInputs));
    ASSERT_NE(WindowOf(AnalogInputs), nullptr);
    EXPECT_EQ(WindowOf(AnalogInputs)->Owner(), hub);
    EXPECT_EQ(log, (Log{"create TfrmAnalogInp", "show TfrmAnalogInp"}));

    log.clear();
    // Ticking an already ticked box with its window open does nothing.
    hub->chkAnalogInputs->OnClick(hub->chkAnalogInputs);
    EXPECT_TRUE(log.empty());

    ASSERT_TRUE(UserInput::Click(hub->chkAnalogInputs));
    EXPECT_EQ(WindowOf(AnalogInputs), nullptr);
    EXPECT_EQ(log, (Log{"close TfrmAnalogInp", "destroy TfrmAnalogInp"}));
    log.clear();
    app.ProcessMessages();
    EXPECT_TRUE(log.empty()) << "the late closing notice finds no window";
}

TEST_F(HubTest, DigitalAndAdatWindowsExcludeEachOtherInTheTablesOrder) {
    auto* hub = CreateHub();
    hub->chkAdatInputs->SetChecked(true);
    hub->chkAdatOutputs->SetChecked(true);
    log.clear();
    hub->chkDigitalInputs->SetChecked(true);
    EXPECT_EQ(log, (Log{"close TfrmAdatInp", "destroy TfrmAdatInp", "close TfrmAdatOut",
                        "destroy TfrmAdatOut", "create TfrmDigInp", "show TfrmDigInp"}));
    EXPECT_FALSE(hub->chkAdatInputs->Checked());
    EXPECT_FALSE(hub->chkAdatOutputs->Checked());

    hub->chkDigitalOutputs->SetChecked(true);
    log.clear();
    hub->chkAdatOutputs->SetChecked(true);
    EXPECT_EQ(log, (Log{"close TfrmDigOut", "destroy TfrmDigOut", "close TfrmDigInp",
                        "destroy TfrmDigInp", "create TfrmAdatOut", "show TfrmAdatOut"}));

    hub->chkAnalogOutputs->SetChecked(true);
    hub->chkDigitalOutputs->SetChecked(true);
    EXPECT_NE(WindowOf(AnalogOutputs), nullptr) << "the analog windows belong to no family";
    EXPECT_EQ(WindowOf(AdatOutputs), nullptr);
}

TEST_F(HubTest, AWindowClosingItselfUnticksItsBoxThroughTheNotice) {
    auto* hub = CreateHub();
    hub->chkDigitalOutputs->SetChecked(true);
    log.clear();
    ASSERT_TRUE(UserInput::CloseWindow(WindowOf(DigitalOutputs)));
    app.ProcessMessages();
    EXPECT_FALSE(hub->chkDigitalOutputs->Checked());
    EXPECT_EQ(WindowOf(DigitalOutputs), nullptr);
    // Closed once by the user and once more by the hub before it is destroyed.
    EXPECT_EQ(log, (Log{"close TfrmDigOut", "close TfrmDigOut", "destroy TfrmDigOut"}));

    hub->chkAnalogInputs->SetChecked(true);
    hub->Perform(TMixControlWnd::kCloseNotice, 0, 0);
    hub->Perform(TMixControlWnd::kCloseNotice, 0, reinterpret_cast<LPARAM>(hub));
    EXPECT_TRUE(hub->chkAnalogInputs->Checked()) << "a null or unknown window is ignored";
}

TEST_F(HubTest, AWindowThatIsNotReadyIsUntickedAgainSilently) {
    auto* hub = CreateHub();
    BehaviourOf(AdatInputs).ready = false;
    ASSERT_TRUE(UserInput::Click(hub->chkAdatInputs));
    EXPECT_FALSE(hub->chkAdatInputs->Checked());
    EXPECT_EQ(WindowOf(AdatInputs), nullptr);
    EXPECT_EQ(log, (Log{"create TfrmAdatInp", "close TfrmAdatInp", "destroy TfrmAdatInp"}));
    EXPECT_TRUE(boxes->History().empty());
}

TEST_F(HubTest, AnAbortDuringCreationIsSilentAnyOtherErrorIsReported) {
    auto* hub = CreateHub();
    BehaviourOf(AnalogOutputs).raise = [] { throw EAbort(""); };
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogOutputs));
    EXPECT_FALSE(hub->chkAnalogOutputs->Checked());
    EXPECT_TRUE(boxes->History().empty());

    BehaviourOf(AnalogOutputs).raise = [] { throw Exception("Gerät fehlt"); };
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogOutputs));
    EXPECT_FALSE(hub->chkAnalogOutputs->Checked());
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(boxes->History()[0].request.text, "Gerät fehlt");
    EXPECT_EQ(boxes->History()[0].request.style, MB_OK | MB_ICONERROR);
    EXPECT_EQ(WindowOf(AnalogOutputs), nullptr);
}

TEST_F(HubTest, AWindowNotBuiltYetUnticksItsBoxWithALineNamingIt) {
    ClearWindowRegistry();
    auto* hub = CreateHub();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(UserInput::Click(hub->chkDigitalInputs));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(hub->chkDigitalInputs->Checked());
    EXPECT_NE(err.find("TfrmDigInp does not exist yet"), std::string::npos) << err;
    EXPECT_TRUE(boxes->History().empty());
}

TEST_F(HubTest, ClosingAndReopeningTheHubRestoresItsWindowsAndAlwaysOnTop) {
    auto* hub = CreateHub();
    hub->Show();
    hub->chkAnalogInputs->SetChecked(true);
    hub->chkAdatInputs->SetChecked(true);
    hub->chkAnalogOutputs->SetChecked(true);
    hub->chkStayOnTop->SetChecked(true);
    EXPECT_TRUE(hub->Topmost());
    EXPECT_TRUE(WindowOf(AdatInputs)->Topmost());

    log.clear();
    ASSERT_TRUE(UserInput::CloseWindow(hub));
    app.ProcessMessages();
    EXPECT_FALSE(hub->Visible());
    EXPECT_EQ(log, (Log{"close TfrmAnalogInp", "destroy TfrmAnalogInp", "close TfrmAdatInp",
                        "destroy TfrmAdatInp", "close TfrmAnalogOut", "destroy TfrmAnalogOut"}));
    EXPECT_FALSE(hub->Topmost()) << "unticking always-on-top drops it";
    const std::string ini = GetIni();
    EXPECT_NE(ini.find("[Varnel PRO]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("chkAdatInputs=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("chkDigitalInputs=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("chkStayOnTop=1"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("chkSettings"), std::string::npos) << "tag 0 is not persisted";

    log.clear();
    ASSERT_TRUE(hub->Perform(TMixControlWnd::kIconCallback, 0, WM_LBUTTONDBLCLK) == 0);
    EXPECT_TRUE(hub->Visible());
    EXPECT_EQ(log, (Log{"create TfrmAnalogInp", "show TfrmAnalogInp", "create TfrmAdatInp",
                        "show TfrmAdatInp", "create TfrmAnalogOut", "show TfrmAnalogOut"}));
    EXPECT_TRUE(hub->Topmost());
    EXPECT_TRUE(WindowOf(AnalogOutputs)->Topmost());
}

TEST_F(HubTest, ActivationReappliesAlwaysOnTopToTheHubAndItsWindows) {
    auto* hub = CreateHub();
    hub->chkAnalogInputs->SetChecked(true);
    hub->chkStayOnTop->SetChecked(true);
    SetStayOnTop(WindowOf(AnalogInputs), false);
    UserInput::ActivateApplication(false);
    EXPECT_TRUE(WindowOf(AnalogInputs)->Topmost());
}

TEST_F(HubTest, OnlyADoubleClickOnTheIconShowsTheHubRestoredFromMinimised) {
    auto* hub = CreateHub();
    hub->Perform(TMixControlWnd::kIconCallback, 0, 513);    // WM_LBUTTONDOWN
    hub->Perform(TMixControlWnd::kIconCallback, 0, 0x0205); // WM_RBUTTONUP
    EXPECT_FALSE(hub->Visible());
    hub->SetWindowState(wsMinimized);
    hub->Perform(TMixControlWnd::kIconCallback, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(hub->Visible());
    EXPECT_EQ(hub->WindowState(), wsNormal);
}

TEST_F(HubTest, TheHubCannotBeResized) {
    auto* hub = CreateHub();
    MINMAXINFO info{};
    EXPECT_EQ(hub->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMaxSize.x, 176);
    EXPECT_EQ(info.ptMaxSize.y, 200);
    EXPECT_EQ(info.ptMinTrackSize.x, 176);
    EXPECT_EQ(info.ptMaxTrackSize.y, 200);
    hub->SetBounds(10, 10, 400, 300);
    EXPECT_EQ(hub->Width(), 176);
    EXPECT_EQ(hub->Height(), 200);
}

TEST_F(HubTest, AFailedGetconfigOpensNoSettingsDialogAndLeavesTheBoxTicked) {
    setenv("VARNEL_BIN_DIR", "/nonexistent-varnel-bin", 1);
    int created = 0;
    TCustomForm* dialog = nullptr;
    RegisterSettingsDialog(SettingsDialogClass{
        [&](TComponent*, ConfigBlock&, int, int) -> TCustomForm* {
            ++created;
            return nullptr;
        },
        [&] { return dialog; },
        [&](TCustomForm* d) { dialog = d; },
    });
    auto* hub = CreateHub();
    ASSERT_TRUE(UserInput::Click(hub->chkSettings));
    unsetenv("VARNEL_BIN_DIR");
    EXPECT_TRUE(hub->chkSettings->Checked());
    EXPECT_EQ(created, 0);
    EXPECT_TRUE(boxes->History().empty());
}

class NoCardHubTest : public HubTest {
protected:
    NoCardHubTest() : HubTest(0) {}
};

TEST_F(NoCardHubTest, TheHubSaysSoDisablesEverythingAndNeverTouchesTheIniFile) {
    auto* hub = CreateHub();
    ASSERT_EQ(boxes->History().size(), 1u);
    const auto& box = boxes->History()[0].request;
    EXPECT_EQ(box.text, "Varnel PRO Treiber konnte nicht geöffnet werden.");
    EXPECT_EQ(box.caption, "Fehler");
    EXPECT_EQ(box.style, 0x10u);
    EXPECT_EQ(box.owner, hub->Handle());
    EXPECT_FALSE(hub->chkAnalogInputs->Enabled());
    EXPECT_FALSE(hub->chkSettings->Enabled());
    EXPECT_FALSE(hub->Panel2->Enabled());
    EXPECT_FALSE(UserInput::Click(hub->chkAnalogInputs));

    hub->Perform(TMixControlWnd::kIconCallback, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(hub->Visible());
    ASSERT_TRUE(UserInput::CloseWindow(hub));
    hub->Perform(TMixControlWnd::kIconCallback, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
    EXPECT_TRUE(log.empty());
}

} // namespace
