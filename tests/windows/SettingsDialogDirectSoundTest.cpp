// The settings dialog's tabs "Direct Sound" and "Sonstiges/Info": the latency, the format
// restriction, the offered playback device with its restart notice, the conflict reports and the
// about box.

#include "SettingsDialogFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"

#include <climits>

namespace {

using enum ConfigField;

TEST_F(SettingsDialogTest, TheDevicesListNamesTheCardsPlaybackDevices) {
    UseCards(2);
    ReadBlock();
    auto* first = new TdlgCfg(&app, block, 0, 2);
    const std::vector<std::string> card0 = {
        "Kein Gerät verfügbar", "Analog Playback ",  "Digital Playback ", "ADAT Playback 1-2",
        "ADAT Playback 3-4",    "ADAT Playback 5-6", "ADAT Playback 7-8"};
    ASSERT_EQ(first->boxDevices->Items().Count(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(first->boxDevices->Items()[i], card0[static_cast<std::size_t>(i)]);
    auto* second = new TdlgCfg(first, block, 1, 2);
    EXPECT_EQ(second->boxDevices->Items()[1], "Analog Playback II");
    EXPECT_EQ(second->boxDevices->Items()[2], "Digital Playback II");
    EXPECT_EQ(second->boxDevices->Items()[3], "ADAT Playback 9-10");
    EXPECT_EQ(second->boxDevices->Items()[6], "ADAT Playback 15-16");

    // As designed, before any fill.
    EXPECT_FALSE(first->btnAutoLatency->Checked());
    EXPECT_FALSE(first->btnManLatency->Checked());
    EXPECT_EQ(first->barLatency->Min(), 1);
    EXPECT_EQ(first->barLatency->Max(), 100);
    EXPECT_EQ(first->barLatency->PageSize(), 10);
    EXPECT_EQ(first->barLatency->Position(), 60);
    EXPECT_EQ(first->barLatency->Ticks().size(), 100u);
    EXPECT_EQ(first->lbScale[0]->Name(), "lb1ms");
    EXPECT_EQ(first->lbScale[10]->Name(), "lb100ms");
    EXPECT_EQ(first->lbScale[10]->Caption(), "100");
    EXPECT_EQ(first->chkRestrictedDev->CaptionEnglish(), " Available Playback Devices limited to:");
}

TEST_F(SettingsDialogTest, AutomaticLatencyGreysTheBarWhichKeepsItsPosition) {
    auto* d = Open(); // the driver's latency is 0: automatic
    EXPECT_TRUE(d->btnAutoLatency->Checked());
    EXPECT_FALSE(d->barLatency->Enabled());
    EXPECT_FALSE(d->lbMs->Enabled());
    EXPECT_FALSE(d->lbScale[5]->Enabled());
    EXPECT_EQ(d->lbMs->Caption(), "60");
    EXPECT_TRUE(d->btnApply->Enabled()) << "checking the latency button is a reaction";
    EXPECT_TRUE(d->chkWriteIsPlayCursor->Checked());

    ASSERT_TRUE(UserInput::Click(d->btnManLatency));
    EXPECT_TRUE(d->barLatency->Enabled());
    EXPECT_EQ(d->WorkingRecord().Get(LatencyMs), 60);
    ASSERT_TRUE(UserInput::MoveTrackBar(d->barLatency, 25));
    EXPECT_EQ(d->WorkingRecord().Get(LatencyMs), 25);
    EXPECT_EQ(d->lbMs->Caption(), "25");
    ASSERT_TRUE(UserInput::Click(d->btnAutoLatency));
    EXPECT_EQ(d->WorkingRecord().Get(LatencyMs), 0);
    EXPECT_EQ(d->lbMs->Caption(), "25");
    ASSERT_TRUE(UserInput::Click(d->chkWriteIsPlayCursor));
    EXPECT_EQ(d->WorkingRecord().Get(WriteIsPlayCursor), 0);
}

TEST_F(SettingsDialogTest, ALatencyBeyondTheBarIsClampedIntoTheWorkingRecord) {
    SetDriverField(0, LatencyMs, 150);
    auto* d = Open();
    EXPECT_TRUE(d->btnManLatency->Checked());
    EXPECT_EQ(d->barLatency->Position(), 100);
    EXPECT_EQ(d->WorkingRecord().Get(LatencyMs), 100);
    EXPECT_EQ(d->lbMs->Caption(), "100");
    EXPECT_TRUE(d->barLatency->Enabled());
}

TEST_F(SettingsDialogTest, TheFormatRestrictionFollowsItsBoxAndItsLists) {
    SetDriverField(0, RestrictedResolution, 1); // but no rate: shown as the defaults
    auto* d = Open();
    EXPECT_FALSE(d->chkRestricted->Checked());
    EXPECT_FALSE(d->boxRestrictedRate->Enabled());
    EXPECT_FALSE(d->lbstereo->Enabled());
    EXPECT_EQ(d->boxRestrictedRate->ItemIndex(), 0);
    EXPECT_EQ(d->boxRestrictedRes->ItemIndex(), 1);
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedResolution), 1) << "sent back unchanged";

    ASSERT_TRUE(UserInput::Click(d->chkRestricted));
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedRate), 44100);
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedResolution), 2);
    ASSERT_TRUE(UserInput::SelectItem(d->boxRestrictedRate, 1));
    ASSERT_TRUE(UserInput::SelectItem(d->boxRestrictedRes, 0));
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedRate), 48000);
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedResolution), 1);
    ASSERT_TRUE(UserInput::Click(d->chkRestricted));
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedRate), 0);
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedResolution), 0);
    EXPECT_FALSE(UserInput::SelectItem(d->boxRestrictedRate, 0)) << "disabled";
}

TEST_F(SettingsDialogTest, ARestrictedRateShowsItsChoicesAndAnUnknownOneLeavesTheList) {
    SetDriverField(0, RestrictedRate, 48000);
    SetDriverField(0, RestrictedResolution, 1);
    auto* d = Open();
    EXPECT_TRUE(d->chkRestricted->Checked());
    EXPECT_TRUE(d->boxRestrictedRes->Enabled());
    EXPECT_EQ(d->boxRestrictedRate->ItemIndex(), 1);
    EXPECT_EQ(d->boxRestrictedRes->ItemIndex(), 0);
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedRate), 48000);

    SetDriverField(0, RestrictedRate, 32000);
    d->Free();
    d = Open();
    EXPECT_EQ(d->boxRestrictedRate->ItemIndex(), -1);
    EXPECT_EQ(d->WorkingRecord().Get(RestrictedRate), 32000) << "no selection changes nothing";
}

TEST_F(SettingsDialogTest, OfferingNoDeviceNeedsARestartWhichIsSaidBeforeTheDriverIsAsked) {
    auto* d = Open();
    EXPECT_FALSE(d->boxDevices->Enabled());
    EXPECT_EQ(d->boxDevices->ItemIndex(), 1) << "the driver offers the analog playback";
    ASSERT_TRUE(UserInput::Click(d->chkRestrictedDev));
    ASSERT_TRUE(UserInput::SelectItem(d->boxDevices, 0));
    EXPECT_EQ(d->WorkingRecord().Get(RestrictDevices), -1);
    EXPECT_EQ(d->WorkingRecord().Get(OfferedDevice), -1);

    Busy(true);
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    ASSERT_EQ(boxes->History().size(), 2u);
    const auto& notice = boxes->History()[0].request;
    EXPECT_EQ(notice.caption, "Varnel PRO Info");
    EXPECT_EQ(notice.text, "Sie müssen Windows neu starten, damit die Änderungen zu den "
                           "verfügbaren DirectSound-Geräten übernommen werden.");
    EXPECT_EQ(notice.style, 0x40u);
    EXPECT_EQ(notice.owner, d->Handle());
    EXPECT_EQ(boxes->History()[1].request.caption, "Fehler");

    Busy(false);
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    EXPECT_EQ(boxes->History().size(), 3u);
    EXPECT_EQ(DriverField(0, RestrictDevices), -1);
    EXPECT_EQ(DriverField(0, OfferedDevice), -1);

    // Clearing the box keeps the device; once applied, nothing differs any more.
    ASSERT_TRUE(UserInput::Click(d->chkRestrictedDev));
    EXPECT_EQ(d->WorkingRecord().Get(OfferedDevice), -1);
    EXPECT_FALSE(d->boxDevices->Enabled());
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    EXPECT_EQ(boxes->History().size(), 4u) << "RestrictDevices differs";
    ASSERT_TRUE(UserInput::Click(d->btnOk));
    EXPECT_EQ(boxes->History().size(), 4u);
    EXPECT_FALSE(d->Visible());
}

TEST_F(SettingsDialogTest, ARestrictionSwitchedOnAndOffAgainNeedsNoRestart) {
    SetDriverField(0, RestrictDevices, 1); // on, as any non-zero value
    auto* d = Open();
    EXPECT_TRUE(d->chkRestrictedDev->Checked());
    EXPECT_TRUE(d->boxDevices->Enabled());
    ASSERT_TRUE(UserInput::Click(d->chkRestrictedDev));
    ASSERT_TRUE(UserInput::Click(d->chkRestrictedDev));
    ASSERT_TRUE(UserInput::Click(d->btnOk));
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_EQ(DriverField(0, RestrictDevices), -1);
}

TEST_F(SettingsDialogTest, AnOfferedDeviceBeyondTheListSelectsNothing) {
    SetDriverField(0, OfferedDevice, INT_MAX);
    auto* d = Open();
    EXPECT_EQ(d->boxDevices->ItemIndex(), -1);
    SetDriverField(0, OfferedDevice, -7);
    d->Free();
    d = Open();
    EXPECT_EQ(d->boxDevices->ItemIndex(), -1);
    EXPECT_EQ(d->WorkingRecord().Get(OfferedDevice), -7);
}

TEST_F(SettingsDialogTest, TheConflictBoxesDisableTheDriversReports) {
    SetDriverField(0, ReportDeviceConflicts, 0);
    auto* d = Open();
    EXPECT_FALSE(d->chkNoMsgRate->Checked());
    EXPECT_TRUE(d->chkNoMsgDevConflict->Checked());
    ASSERT_TRUE(UserInput::Click(d->chkNoMsgRate));
    ASSERT_TRUE(UserInput::Click(d->chkNoMsgDevConflict));
    EXPECT_EQ(d->WorkingRecord().Get(ReportRateConflicts), 0);
    EXPECT_EQ(d->WorkingRecord().Get(ReportDeviceConflicts), -1);
}

TEST_F(SettingsDialogTest, InfoShowsTheAboutBoxWithoutEnablingApply) {
    auto* d = Open();
    ASSERT_TRUE(UserInput::Click(d->btnApply));
    ASSERT_FALSE(d->btnApply->Enabled());
    bool wasModal = false;
    d->SetMessageHandler(WM_USER + 9, [&](TMessage&) {
        wasModal = AboutBox->Modal();
        AboutBox->SetModalResult(mrOk);
    });
    PostMessageA(d->Handle(), WM_USER + 9, 0, 0);
    ASSERT_TRUE(UserInput::Click(d->btnInfo));
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(d->btnApply->Enabled());
}

} // namespace
