// The tabs "Direct Sound" and "Sonstiges/Info" of the settings dialog: latency, cursor handling,
// the playback format restriction, the one playback device offered, the conflict reports, and
// their part of the fill.

#include "controls/ExtControls.h"
#include "forms/AboutBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TTrackBar.h"
#include "windows/DlgCfg.h"

#include <string>

namespace {

// The card numerals of the device names; card 0's names carry none.
constexpr const char* kNumerals[] = {"I", "II", "III", "IV"};

} // namespace

// The texts follow the names card discovery reads: the numeral as the last word of the analog and
// digital names, the ADAT channel pairs numbered through over all cards.
void TdlgCfg::SetDeviceItems() {
    const std::string suffix = card_ == 0 ? "" : kNumerals[card_];
    TStrings& items = boxDevices->Items();
    items.Clear();
    items.Add("Kein Gerät verfügbar");
    items.Add("Analog Playback " + suffix);
    items.Add("Digital Playback " + suffix);
    for (int k = 0; k < 4; ++k)
        items.Add("ADAT Playback " + std::to_string(8 * card_ + 2 * k + 1) + "-" +
                  std::to_string(8 * card_ + 2 * k + 2));
}

void TdlgCfg::WireDirectSoundReactions() {
    using enum ConfigField;
    btnAutoLatency->OnClick = [this](TObject*) { LatencyModeClick(false); };
    btnManLatency->OnClick = [this](TObject*) { LatencyModeClick(true); };
    barLatency->OnChange = [this](TObject*) {
        Edited();
        working_.Set(LatencyMs, barLatency->Position());
        lbMs->SetCaption(std::to_string(barLatency->Position()));
    };
    chkWriteIsPlayCursor->OnClick = [this](TObject*) {
        Edited();
        working_.SetFlag(WriteIsPlayCursor, chkWriteIsPlayCursor->Checked());
    };
    chkRestricted->OnClick = [this](TObject*) {
        Edited();
        const bool restricted = chkRestricted->Checked();
        boxRestrictedRate->SetEnabled(restricted);
        boxRestrictedRes->SetEnabled(restricted);
        lbstereo->SetEnabled(restricted);
        RestrictedRule();
    };
    boxRestrictedRate->OnChange = [this](TObject*) {
        Edited();
        RestrictedRule();
    };
    boxRestrictedRes->OnChange = [this](TObject*) {
        Edited();
        RestrictedRule();
    };
    chkRestrictedDev->OnClick = [this](TObject*) {
        Edited();
        boxDevices->SetEnabled(chkRestrictedDev->Checked());
        working_.SetFlag(RestrictDevices, chkRestrictedDev->Checked());
    };
    boxDevices->OnChange = [this](TObject*) {
        Edited();
        working_.Set(OfferedDevice, boxDevices->ItemIndex() - 1);
    };
    chkNoMsgRate->OnClick = [this](TObject*) {
        Edited();
        working_.SetFlag(ReportRateConflicts, !chkNoMsgRate->Checked());
    };
    chkNoMsgDevConflict->OnClick = [this](TObject*) {
        Edited();
        working_.SetFlag(ReportDeviceConflicts, !chkNoMsgDevConflict->Checked());
    };
    // Not an edit: Apply stays as it is.
    btnInfo->OnClick = [](TObject*) {
        if (AboutBox)
            AboutBox->ShowModal();
    };
}

void TdlgCfg::LatencyModeClick(bool manual) {
    Edited();
    if (!(manual ? btnManLatency : btnAutoLatency)->Checked())
        return;
    lbMs->SetEnabled(manual);
    lbMsLabel->SetEnabled(manual);
    for (TExtLabel* label : lbScale)
        label->SetEnabled(manual);
    barLatency->SetEnabled(manual);
    working_.Set(ConfigField::LatencyMs, manual ? barLatency->Position() : 0);
}

// The rate and the resolution rule: the lists' choices while the restriction is on (no choice
// leaves the field as it is), 0 for both while it is off.
void TdlgCfg::RestrictedRule() {
    using enum ConfigField;
    if (!chkRestricted->Checked()) {
        working_.Set(RestrictedRate, 0);
        working_.Set(RestrictedResolution, 0);
        return;
    }
    if (boxRestrictedRate->ItemIndex() == 0)
        working_.Set(RestrictedRate, 44100);
    else if (boxRestrictedRate->ItemIndex() == 1)
        working_.Set(RestrictedRate, 48000);
    if (boxRestrictedRes->ItemIndex() == 0)
        working_.Set(RestrictedResolution, 1);
    else if (boxRestrictedRes->ItemIndex() == 1)
        working_.Set(RestrictedResolution, 2);
}

void TdlgCfg::FillMessageBoxes() {
    chkNoMsgRate->SetChecked(!working_.Flag(ConfigField::ReportRateConflicts));
    chkNoMsgDevConflict->SetChecked(!working_.Flag(ConfigField::ReportDeviceConflicts));
}

void TdlgCfg::FillDirectSoundTab() {
    using enum ConfigField;
    chkWriteIsPlayCursor->SetChecked(working_.Flag(WriteIsPlayCursor));
    if (const std::int32_t latency = working_.Get(LatencyMs); latency != 0) {
        // The bar keeps the latency within its range; its reaction stores what it shows.
        barLatency->SetPosition(latency);
        btnManLatency->SetChecked(true);
    } else {
        btnAutoLatency->SetChecked(true);
    }
    lbMs->SetCaption(std::to_string(barLatency->Position()));

    // The restriction's lists are shown only while a rate is restricted; their selections run
    // no reaction, so the record keeps its values.
    const std::int32_t rate = working_.Get(RestrictedRate);
    if (rate != 0) {
        chkRestricted->SetChecked(true);
        boxRestrictedRate->SetEnabled(true);
        boxRestrictedRes->SetEnabled(true);
        lbstereo->SetEnabled(true);
        if (rate == 44100)
            boxRestrictedRate->SetItemIndex(0);
        else if (rate == 48000)
            boxRestrictedRate->SetItemIndex(1);
        const std::int32_t resolution = working_.Get(RestrictedResolution);
        if (resolution == 1)
            boxRestrictedRes->SetItemIndex(0);
        else if (resolution == 2)
            boxRestrictedRes->SetItemIndex(1);
    } else {
        chkRestricted->SetChecked(false);
        boxRestrictedRate->SetEnabled(false);
        boxRestrictedRes->SetEnabled(false);
        lbstereo->SetEnabled(false);
        boxRestrictedRate->SetItemIndex(0);
        boxRestrictedRes->SetItemIndex(1);
    }

    // A value beyond the list selects nothing.
    const std::int64_t item = std::int64_t{working_.Get(OfferedDevice)} + 1;
    boxDevices->SetItemIndex(
        item >= 0 && item < boxDevices->Items().Count() ? static_cast<int>(item) : -1);
    if (working_.Flag(RestrictDevices)) {
        chkRestrictedDev->SetChecked(true);
        boxDevices->SetEnabled(true);
    } else {
        boxDevices->SetEnabled(false);
    }
}
