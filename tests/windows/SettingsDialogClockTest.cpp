// The settings dialog's frame and its tabs "Clock" and "Geräte": creation, the fill, the clock
// rules, the default rates, the apply sequence on OK, Apply, Cancel and the close box, and the
// ">>" chain over the cards.

#include "SettingsDialogFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScreen.h"
#include "toolkit/UserInput.h"
#include "windows/MixControlWnd.h"

namespace {

using enum ConfigField;

// Every control inside a panel, at any depth, enabled or not as `enabled`.
bool AllInside(const TWinControl* panel, bool enabled) {
    for (int i = 0; i < panel->ControlCount(); ++i) {
        const TControl* c = panel->Controls(i);
        if (c->Enabled() != enabled)
            return false;
        if (auto* inner = dynamic_cast<const TWinControl*>(c); inner && !AllInside(inner, enabled))
            return false;
    }
    return true;
}

TEST_F(SettingsDialogTest, CreationNamesTheCardAndTheChainEndsAtTheLastCard) {
    UseCards(4);
    ReadBlock();
    auto* third = new TdlgCfg(&app, block, 2, 4);
    EXPECT_EQ(third->Caption(), "Zq40Pro Einstellungen Karte #3");
    EXPECT_TRUE(third->btnNext->Enabled());
    auto* last = new TdlgCfg(third, block, 3, 4);
    EXPECT_FALSE(last->btnNext->Enabled());
    EXPECT_FALSE(last->btnApply->Enabled()) << "disabled until the first fill";
    EXPECT_THROW(new TdlgCfg(&app, block, 4, 4), EInvalidOperation);
    third->Free();

    UseCards(1);
    auto* only = Open(0);
    EXPECT_FALSE(only->btnNext->Enabled());
    EXPECT_EQ(only->ClientWidth(), 442);
    EXPECT_EQ(only->ClientHeight(), 397);
    ASSERT_EQ(only->PageControl1->PageCount(), 4);
    const char* tabs[] = {"Clock", "Geräte", "Direct Sound", "Sonstiges/Info"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(only->PageControl1->Pages(i)->Caption(), tabs[i]);
    EXPECT_EQ(only->PageControl1->ActivePage(), only->tabClock);
    EXPECT_EQ(only->btnCancel->Caption(), "&Abbruch");
    EXPECT_EQ(only->btnCancel->CaptionEnglish(), "&Cancel");
    EXPECT_EQ(only->btnApply->Caption(), "Ü&bernehmen");
    EXPECT_TRUE(only->btnOk->Default());
    EXPECT_TRUE(only->btnCancel->Cancel());
    EXPECT_EQ(only->pnSyncBus->Color(), 0xE1E1E1u);
    EXPECT_EQ(only->chkAdatOut_AllSynchron->CaptionEnglish(), "");
    EXPECT_EQ(only->Left(), (1024 - only->Width()) / 2) << "the first dialog is centred";
}

TEST_F(SettingsDialogTest, TheFillSetsTheControlsAndRunsTheirReactions) {
    SetDriverField(0, CardIsMaster, 1); // any non-zero value is on
    SetDriverField(0, SyncBusClock, 1);
    SetDriverField(0, Clock1SyncToWordclock, -1);
    SetDriverField(0, Clock2DefaultRate, 96000);
    SetDriverField(0, AnalogOutClock, 2);
    SetDriverField(0, DigitalInStartSyncBus, -1);
    SetDriverField(0, AdatOutStartSyncBus, -1); // AdatOutAllSynchronous is on by default
    SetDriverField(0, AdatInAllSynchronous, 0);
    auto* d = Open();

    EXPECT_TRUE(d->chkMaster->Checked());
    EXPECT_TRUE(d->chkSyncBusClock_Clock1->Enabled()) << "enabled by chkMaster's reaction";
    EXPECT_TRUE(d->chkSyncBusClock_Clock2->Checked());
    EXPECT_TRUE(d->chkSyncToWc->Checked());
    EXPECT_EQ(d->edDefaultRate1->Text(), "44100");
    EXPECT_EQ(d->edDefaultRate2->Text(), "96000");
    EXPECT_TRUE(d->btnAnaOutDREC->Checked());
    EXPECT_FALSE(d->chkSyncToAdat->Enabled()) << "the digital-input rule ran";
    EXPECT_TRUE(AllInside(d->pnAdatPlay, false));
    EXPECT_TRUE(d->chkDigInp_SyncBus->Checked());
    EXPECT_TRUE(d->chkAdatOut_SyncBus->Checked());
    EXPECT_TRUE(d->btnAdatOutSyncBus->Checked());
    EXPECT_TRUE(d->chkAdatInp_AllAutonom->Checked());
    EXPECT_FALSE(d->chkAdatInp_AllSynchron->Checked());
    EXPECT_TRUE(d->WorkingRecord().Flag(CardIsMaster));
    EXPECT_EQ(d->WorkingRecord().Get(CardIsMaster), -1) << "written back by the reaction";
    EXPECT_TRUE(d->btnApply->Enabled()) << "the fill's reactions enable Apply";
    EXPECT_TRUE(commands.empty());
}

TEST_F(SettingsDialogTest, AnAdatClockWithoutAButtonStaysAndIsSentBackUnchanged) {
    SetDriverField(0, AdatOutClock, 2);
    SetDriverField(0, AdatOutAllSynchronous, 0);
    SetDriverField(0, AdatOutStartSyncBus, -1); // on the bus, but not all synchronous
    auto* d = Open();
    EXPECT_FALSE(d->btnAdatOutClock1->Checked());
    EXPECT_FALSE(d->btnAdatOutClock2->Checked());
    EXPECT_FALSE(d->btnAdatOutSyncBus->Checked());
    EXPECT_FALSE(d->chkAdatOut_SyncBus->Checked());
    EXPECT_FALSE(d->chkAdatOut_AllAutonom->Checked());
    EXPECT_TRUE(d->chkAdatOut_AllSynchron->Checked()) << "never set by the fill";

    ASSERT_TRUE(UserInput::Click(d->btnApply));
    EXPECT_EQ(commands, (std::vector<std::string>{"reconfigurable", "setconfig", "getconfig"}));
    EXPECT_EQ(DriverField(0, AdatOutClock), 2);
    EXPECT_FALSE(d->btnApply->Enabled());
}

TEST_F(SettingsDialogTest, TheDigitalInputAndAdatSyncExcludeEachOther) {
    auto* d = Open();
    d->PageControl1->SetActivePage(d->tabClock);
    ASSERT_TRUE(UserInput::Click(d->chkSyncToAdat));
    EXPECT_TRUE(AllInside(d->pnDigPlay, false));
    EXPECT_TRUE(AllInside(d->pnDigRec, false));
    EXPECT_FALSE(d->btnAnaOutDREC->Enabled());
    EXPECT_FALSE(d->btnAnaInpDREC->Enabled());
    EXPECT_TRUE(d->btnAnaOutClock2->Enabled());
    EXPECT_TRUE(d->WorkingRecord().Flag(Clock2SyncToAdat));

    ASSERT_TRUE(UserInput::Click(d->chkMaster));
    EXPECT_TRUE(d->chkSyncBusClock_Clock1->Enabled());
    EXPECT_FALSE(d->chkSyncBusClock_DINP->Enabled()) << "Clock 2 is locked to ADAT";

    ASSERT_TRUE(UserInput::Click(d->chkSyncToAdat));
    EXPECT_TRUE(AllInside(d->pnDigPlay, true));
    EXPECT_TRUE(d->chkSyncBusClock_DINP->Enabled());
    ASSERT_TRUE(UserInput::Click(d->chkSyncBusClock_DINP));
    EXPECT_EQ(d->WorkingRecord().Get(SyncBusClock), 2);
    EXPECT_FALSE(d->chkSyncToAdat->Enabled());
    EXPECT_TRUE(AllInside(d->pnAdatPlay, false));
    EXPECT_TRUE(AllInside(d->pnAdatRec, false));
    EXPECT_FALSE(d->btnAdatOutClock1->Enabled()) << "inside the grouping panel too";

    ASSERT_TRUE(UserInput::Click(d->chkSyncBusClock_Clock1));
    EXPECT_TRUE(d->chkSyncToAdat->Enabled());
    EXPECT_TRUE(AllInside(d->pnAdatRec, true));

    // Locking Clock 2 to ADAT while the bus carries the digital input moves the bus to Clock 1.
    d->chkSyncBusClock_DINP->SetChecked(true);
    d->chkSyncToAdat->SetEnabled(true);
    d->chkSyncToAdat->SetChecked(true);
    EXPECT_TRUE(d->chkSyncBusClock_Clock1->Checked());
    EXPECT_EQ(d->WorkingRecord().Get(SyncBusClock), 0);
}

TEST_F(SettingsDialogTest, StartStopOnTheSyncBusMovesTheClockAndKeepsThePairFlags) {
    auto* d = Open();
    ASSERT_TRUE(UserInput::Click(d->chkAnaOut_SyncBus));
    const ConfigRecord& r = d->WorkingRecord();
    EXPECT_EQ(r.Get(AnalogOutStartSyncBus), -1);
    EXPECT_EQ(r.Get(AnalogOutClock), 3);
    EXPECT_TRUE(d->btnAnaOutSyncBus->Checked());
    EXPECT_EQ(r.Get(AnalogPairOnSyncBus), 0) << "record is still autonomous";
    EXPECT_FALSE(d->btnAnaOutClock1->Enabled());
    EXPECT_TRUE(d->btnAnaOutDREC->Enabled());

    ASSERT_TRUE(UserInput::Click(d->chkAnaInp_SyncBus));
    EXPECT_EQ(r.Get(AnalogPairOnSyncBus), -1);
    ASSERT_TRUE(UserInput::Click(d->chkAnaOut_Autonom));
    EXPECT_EQ(r.Get(AnalogPairOnSyncBus), 0);
    EXPECT_EQ(r.Get(AnalogOutClock), 3) << "the clock stays";
    EXPECT_TRUE(d->btnAnaOutClock1->Enabled());

    ASSERT_TRUE(UserInput::Click(d->chkDigInp_SyncBus));
    EXPECT_EQ(r.Get(DigitalInStartSyncBus), -1);
    EXPECT_EQ(r.Get(DigitalPairOnSyncBus), 0);

    ASSERT_TRUE(UserInput::Click(d->chkAdatInp_SyncBus));
    ASSERT_TRUE(UserInput::Click(d->chkAdatOut_SyncBus));
    EXPECT_EQ(r.Get(AdatPairOnSyncBus), -1);
    EXPECT_EQ(r.Get(AdatOutClock), 3);
    EXPECT_FALSE(d->btnAdatOutClock2->Enabled());
    ASSERT_TRUE(UserInput::Click(d->chkAdatOut_AllAutonom));
    EXPECT_EQ(r.Get(AdatOutAllSynchronous), 0);
    EXPECT_EQ(r.Get(AdatPairOnSyncBus), 0);
    EXPECT_TRUE(d->btnAdatOutClock2->Enabled());
}

TEST_F(SettingsDialogTest, DefaultRatesAreCheckedOnLeavingTheFieldAndBlockTheApply) {
    auto* d = Open();
    for (const char* good : {"105000", "29000"}) {
        ASSERT_TRUE(UserInput::TypeText(d->edDefaultRate1, good));
        ASSERT_TRUE(UserInput::Leave(d->edDefaultRate1));
        EXPECT_EQ(d->WorkingRecord().Get(Clock1DefaultRate), std::stoi(good));
        EXPECT_FALSE(d->RateInvalid());
    }
    for (const char* bad : {"105001", "28999", "", "44.1", " 48000", "$BB80"}) {
        ASSERT_TRUE(UserInput::TypeText(d->edDefaultRate2, bad));
        ASSERT_TRUE(UserInput::Leave(d->edDefaultRate2));
        EXPECT_TRUE(d->RateInvalid()) << bad;
        EXPECT_EQ(d->edDefaultRate2->Color(), 0x0000FFu) << bad;
        EXPECT_EQ(d->ActiveControl(), d->edDefaultRate2) << "the field keeps the focus";
        EXPECT_EQ(d->WorkingRecord().Get(Clock2DefaultRate), 48000) << bad;
    }
    EXPECT_TRUE(boxes->History().empty());

    // Apply from another tab: nothing is sent and the user is shown the red field.
    d->PageControl1->SetActivePage(d->tabDevices);
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    ASSERT_TRUE(UserInput::Click(d->btnOk));
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(d->Visible());
    EXPECT_EQ(d->PageControl1->ActivePage(), d->tabClock);
    EXPECT_EQ(d->ActiveControl(), d->edDefaultRate2);

    ASSERT_TRUE(UserInput::TypeText(d->edDefaultRate2, "4"));
    EXPECT_EQ(d->edDefaultRate2->Color(), clWindow) << "any change clears the red";
    EXPECT_FALSE(d->RateInvalid());
    ASSERT_TRUE(UserInput::TypeText(d->edDefaultRate2, "88200"));
    ASSERT_TRUE(UserInput::Click(d->btnOk));
    EXPECT_FALSE(d->Visible());
    EXPECT_EQ(DriverField(0, Clock2DefaultRate), 88200);
}

TEST_F(SettingsDialogTest, OkAppliesEvenWithoutEditsAndStaysOpenWhileTheDriverRefuses) {
    auto* d = Open();
    Busy(true);
    ASSERT_TRUE(UserInput::Click(d->btnOk));
    EXPECT_EQ(commands, std::vector<std::string>{"reconfigurable"});
    ASSERT_EQ(boxes->History().size(), 1u);
    const auto& box = boxes->History()[0].request;
    EXPECT_EQ(box.caption, "Fehler");
    EXPECT_EQ(box.text, "Die Einstellungen des Varnel PRO Treibers können derzeit nicht geändert "
                        "werden.\r\nBeenden Sie erst alle Anwendungen, welche die Varnel PRO "
                        "verwenden.");
    EXPECT_EQ(box.style, 0x10u);
    EXPECT_EQ(box.owner, d->Handle());
    EXPECT_TRUE(d->Visible());
    EXPECT_TRUE(d->btnApply->Enabled());

    // Pressing Enter is OK as well; still refused.
    ASSERT_TRUE(UserInput::KeyDown(d, VK_RETURN));
    EXPECT_TRUE(d->Visible());

    Busy(false);
    commands.clear();
    ASSERT_TRUE(UserInput::Click(d->btnOk));
    EXPECT_EQ(commands, (std::vector<std::string>{"reconfigurable", "setconfig", "getconfig"}));
    EXPECT_FALSE(d->Visible());
}

TEST_F(SettingsDialogTest, CancelEscAndTheCloseBoxSendNothingAndLoseTheEdits) {
    auto* d = Open();
    ASSERT_TRUE(UserInput::Click(d->chkSyncToWc));
    ASSERT_TRUE(UserInput::CloseWindow(d));
    EXPECT_FALSE(d->Visible());
    d->Show();
    ASSERT_TRUE(UserInput::KeyDown(d, VK_ESCAPE));
    EXPECT_FALSE(d->Visible());
    d->Show();
    ASSERT_TRUE(UserInput::Click(d->btnCancel));
    EXPECT_FALSE(d->Visible());
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(DriverField(0, Clock1SyncToWordclock), 0);
    EXPECT_EQ(block[0].Get(Clock1SyncToWordclock), 0);
}

TEST_F(SettingsDialogTest, AFailedSetconfigLeavesTheBlockAsTheDriverHasIt) {
    auto* d = Open();
    const ConfigBlock before = block;
    ASSERT_TRUE(UserInput::Click(d->chkSyncToWc));
    failing = {CFG_SETCONFIG};
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    EXPECT_EQ(commands, (std::vector<std::string>{"reconfigurable", "setconfig"}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Fehler"});
    EXPECT_EQ(block, before) << "no unconfirmed record stays in the shared block";
    EXPECT_TRUE(d->btnApply->Enabled());
    EXPECT_TRUE(d->WorkingRecord().Flag(Clock1SyncToWordclock)) << "the edits stay";

    // A failed reconfigurable call is the same refusal.
    failing = {CFG_RECONFIGURABLE};
    commands.clear();
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    EXPECT_EQ(commands, std::vector<std::string>{"reconfigurable"});
    EXPECT_EQ(boxes->History().size(), 2u);
}

TEST_F(SettingsDialogTest, AFailedGetconfigAfterTheSetconfigStillCountsAsApplied) {
    auto* d = Open();
    ASSERT_TRUE(UserInput::Click(d->chkSyncToWc));
    failing = {CFG_GETCONFIG};
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    EXPECT_FALSE(d->btnApply->Enabled());
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_EQ(DriverField(0, Clock1SyncToWordclock), -1);
    EXPECT_EQ(block[0].Get(Clock1SyncToWordclock), -1);
}

TEST_F(SettingsDialogTest, TheChainOpensTheNextCardModallyOnTheSameBlock) {
    auto* first = Open(0);
    first->SetBounds(100, 80, first->Width(), first->Height());
    ASSERT_TRUE(UserInput::Click(first->chkSyncToWc)); // not applied: card 1's apply keeps it out
    TdlgCfg* second = nullptr;
    bool wasModal = false;
    int left = 0, top = 0;
    first->SetMessageHandler(WM_USER + 7, [&](TMessage&) {
        second = dynamic_cast<TdlgCfg*>(Screen->ActiveForm());
        ASSERT_NE(second, nullptr);
        wasModal = second->Modal();
        left = second->Left();
        top = second->Top();
        EXPECT_EQ(second->Caption(), "Zq40Pro Einstellungen Karte #2");
        EXPECT_FALSE(second->btnNext->Enabled()) << "two cards";
        UserInput::Click(second->chkMaster);
        UserInput::Click(second->btnOk);
    });
    PostMessageA(first->Handle(), WM_USER + 7, 0, 0);
    ASSERT_TRUE(UserInput::Click(first->btnNext));
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(left, 124);
    EXPECT_EQ(top, 104);
    EXPECT_EQ(DriverField(1, CardIsMaster), -1);
    EXPECT_EQ(DriverField(0, Clock1SyncToWordclock), 0);
    EXPECT_EQ(block[1].Get(CardIsMaster), -1) << "the block as read back";
    for (int i = 0; i < first->ComponentCount(); ++i)
        EXPECT_EQ(dynamic_cast<TdlgCfg*>(first->Components(i)), nullptr) << "freed again";
    EXPECT_TRUE(first->Visible());
}

// The hub's one settings dialog tells it that it closed; the hub then unticks its box, which
// closes the dialog a second time and frees it.
class SettingsDialogHubTest : public SettingsDialogTest {
protected:
    SettingsDialogHubTest() {
        ClearWindowRegistry();
        RegisterSettingsDialog(SettingsDialogClassOf(dlgCfg));
    }
    ~SettingsDialogHubTest() override {
        app.DestroyComponents();
        ClearWindowRegistry();
    }
};

TEST_F(SettingsDialogHubTest, ClosingTheDialogUnticksTheHubsBox) {
    TForm* mainForm = nullptr;
    app.CreateForm(mainForm);
    app.CreateForm(MixControlWnd);
    ReadBlock();
    MixControlWnd->Config = block;
    dlgCfg = new TdlgCfg(MixControlWnd, MixControlWnd->Config, 0, CardCount);
    MixControlWnd->chkSettings->SetChecked(true); // the dialog exists: nothing more happens
    dlgCfg->Show();
    EXPECT_TRUE(commands.empty());

    ASSERT_TRUE(UserInput::Click(dlgCfg->btnOk));
    EXPECT_NE(dlgCfg, nullptr) << "the notice is posted";
    app.ProcessMessages();
    EXPECT_FALSE(MixControlWnd->chkSettings->Checked());
    EXPECT_EQ(dlgCfg, nullptr);
    EXPECT_EQ(commands, (std::vector<std::string>{"reconfigurable", "setconfig", "getconfig"}))
        << "the second close, without OK, applies nothing";
}

} // namespace
