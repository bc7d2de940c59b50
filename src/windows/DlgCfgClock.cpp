// The tabs "Clock" and "Geräte" of the settings dialog: their reactions, the two rules that keep
// the digital input and the ADAT input from both being clock references, and their part of the
// fill.

#include "controls/ExtControls.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPanel.h"
#include "windows/DlgCfg.h"

#include <string>

namespace {

// Every control inside `panel`, to any depth.
void SetEnabledInside(TWinControl* panel, bool enabled) {
    for (int i = 0; i < panel->ControlCount(); ++i) {
        TControl* control = panel->Controls(i);
        control->SetEnabled(enabled);
        if (auto* inner = dynamic_cast<TWinControl*>(control))
            SetEnabledInside(inner, enabled);
    }
}

// The button that stands for a clock source code, or null when the code has none.
TExtRadioButton* ButtonFor(std::int32_t code, std::initializer_list<TExtRadioButton*> buttons) {
    const std::int32_t index = code == ClockSyncBus ? 3 : code;
    if (index < 0 || index >= static_cast<std::int32_t>(buttons.size()))
        return nullptr;
    return buttons.begin()[index];
}

void CheckButton(TExtRadioButton* button) {
    if (button)
        button->SetChecked(true);
}

} // namespace

void TdlgCfg::WireClockReactions() {
    using enum ConfigField;
    auto onClick = [](TControl* control, std::function<void()> reaction) {
        control->OnClick = [reaction = std::move(reaction)](TObject*) { reaction(); };
    };

    onClick(chkMaster, [this] { MasterClick(); });
    onClick(chkSyncBusClock_Clock1, [this] { ClockChosen(SyncBusClock, ClockOne); });
    onClick(chkSyncBusClock_Clock2, [this] { ClockChosen(SyncBusClock, ClockTwo); });
    onClick(chkSyncBusClock_DINP, [this] { ClockChosen(SyncBusClock, ClockDigitalIn); });
    onClick(chkSyncToWc, [this] {
        Edited();
        working_.SetFlag(Clock1SyncToWordclock, chkSyncToWc->Checked());
    });
    onClick(chkSyncToAdat, [this] { SyncToAdatClick(); });

    struct ClockButtons {
        ConfigField field;
        TExtRadioButton* clock1;
        TExtRadioButton* clock2;
        TExtRadioButton* digitalIn;
        TExtRadioButton* syncBus;
    };
    for (const ClockButtons& device :
         {ClockButtons{AnalogOutClock, btnAnaOutClock1, btnAnaOutClock2, btnAnaOutDREC,
                       btnAnaOutSyncBus},
          ClockButtons{AnalogInClock, btnAnaInpClock1, btnAnaInpClock2, btnAnaInpDREC,
                       btnAnaInpSyncBus},
          ClockButtons{DigitalOutClock, btnDigOutClock1, btnDigOutClock2, btnDigOutDRec,
                       btnDigOutSyncBus},
          ClockButtons{AdatOutClock, btnAdatOutClock1, btnAdatOutClock2, nullptr,
                       btnAdatOutSyncBus}}) {
        const ConfigField field = device.field;
        onClick(device.clock1, [this, field] { ClockChosen(field, ClockOne); });
        onClick(device.clock2, [this, field] { ClockChosen(field, ClockTwo); });
        if (device.digitalIn)
            onClick(device.digitalIn, [this, field] { ClockChosen(field, ClockDigitalIn); });
        onClick(device.syncBus, [this, field] { ClockChosen(field, ClockSyncBus); });
    }

    onClick(chkAnaOut_Autonom, [this] {
        StartStopClick(AnalogOutStartSyncBus, AnalogPairOnSyncBus, AnalogInStartSyncBus, false,
                       btnAnaOutSyncBus, btnAnaOutClock1, btnAnaOutClock2);
    });
    onClick(chkAnaOut_SyncBus, [this] {
        StartStopClick(AnalogOutStartSyncBus, AnalogPairOnSyncBus, AnalogInStartSyncBus, true,
                       btnAnaOutSyncBus, btnAnaOutClock1, btnAnaOutClock2);
    });
    onClick(chkAnaInp_Autonom, [this] {
        StartStopClick(AnalogInStartSyncBus, AnalogPairOnSyncBus, AnalogOutStartSyncBus, false,
                       btnAnaInpSyncBus, btnAnaInpClock1, btnAnaInpClock2);
    });
    onClick(chkAnaInp_SyncBus, [this] {
        StartStopClick(AnalogInStartSyncBus, AnalogPairOnSyncBus, AnalogOutStartSyncBus, true,
                       btnAnaInpSyncBus, btnAnaInpClock1, btnAnaInpClock2);
    });
    onClick(chkDigOut_Autonom, [this] {
        StartStopClick(DigitalOutStartSyncBus, DigitalPairOnSyncBus, DigitalInStartSyncBus, false,
                       btnDigOutSyncBus, btnDigOutClock1, btnDigOutClock2);
    });
    onClick(chkDigOut_SyncBus, [this] {
        StartStopClick(DigitalOutStartSyncBus, DigitalPairOnSyncBus, DigitalInStartSyncBus, true,
                       btnDigOutSyncBus, btnDigOutClock1, btnDigOutClock2);
    });
    // Digital record has no clock choice: only its flags change.
    onClick(chkDigInp_Autonom, [this] {
        StartStopClick(DigitalInStartSyncBus, DigitalPairOnSyncBus, DigitalOutStartSyncBus, false,
                       nullptr, nullptr, nullptr);
    });
    onClick(chkDigInp_SyncBus, [this] {
        StartStopClick(DigitalInStartSyncBus, DigitalPairOnSyncBus, DigitalOutStartSyncBus, true,
                       nullptr, nullptr, nullptr);
    });
    onClick(chkAdatOut_AllAutonom, [this] { AdatStartStopClick(true, false, false); });
    onClick(chkAdatOut_AllSynchron, [this] { AdatStartStopClick(true, false, true); });
    onClick(chkAdatOut_SyncBus, [this] { AdatStartStopClick(true, true, true); });
    onClick(chkAdatInp_AllAutonom, [this] { AdatStartStopClick(false, false, false); });
    onClick(chkAdatInp_AllSynchron, [this] { AdatStartStopClick(false, false, true); });
    onClick(chkAdatInp_SyncBus, [this] { AdatStartStopClick(false, true, true); });

    for (auto [edit, field] : {std::pair{edDefaultRate1, Clock1DefaultRate},
                               std::pair{edDefaultRate2, Clock2DefaultRate}}) {
        edit->OnChange = [this, edit](TObject*) {
            edit->SetColor(clWindow);
            RateChanged();
        };
        edit->OnExit = [this, edit, field](TObject*) { ValidateRate(edit, field); };
    }
}

void TdlgCfg::MasterClick() {
    Edited();
    const bool master = chkMaster->Checked();
    working_.SetFlag(ConfigField::CardIsMaster, master);
    chkSyncBusClock_Clock1->SetEnabled(master);
    chkSyncBusClock_Clock2->SetEnabled(master);
    chkSyncBusClock_DINP->SetEnabled(master && !chkSyncToAdat->Checked());
}

void TdlgCfg::ClockChosen(ConfigField field, std::int32_t code) {
    Edited();
    working_.Set(field, code);
    DigitalInputRule();
}

void TdlgCfg::SyncToAdatClick() {
    Edited();
    working_.SetFlag(ConfigField::Clock2SyncToAdat, chkSyncToAdat->Checked());
    AdatSyncRule();
}

// While anything takes its clock from the digital input, Clock 2 cannot lock to ADAT and the ADAT
// devices cannot be edited. Disabling chkSyncToAdat keeps its state and the record's flag.
void TdlgCfg::DigitalInputRule() {
    const bool digitalInputUsed = btnAnaInpDREC->Checked() || btnAnaOutDREC->Checked() ||
                                  btnDigOutDRec->Checked() || chkSyncBusClock_DINP->Checked();
    chkSyncToAdat->SetEnabled(!digitalInputUsed);
    SetEnabledInside(pnAdatPlay, !digitalInputUsed);
    SetEnabledInside(pnAdatRec, !digitalInputUsed);
}

// While Clock 2 locks to ADAT, the digital devices and the digital-input clock choices cannot be
// edited.
void TdlgCfg::AdatSyncRule() {
    const bool adatSync = chkSyncToAdat->Checked();
    // classic behaviour: this enables every control of the digital panels, also the Clock 1 and
    // Clock 2 choices of a digital playback whose start/stop is on the sync bus.
    SetEnabledInside(pnDigPlay, !adatSync);
    SetEnabledInside(pnDigRec, !adatSync);
    chkSyncBusClock_DINP->SetEnabled(!adatSync && chkMaster->Checked());
    if (chkSyncBusClock_DINP->Checked() && adatSync)
        chkSyncBusClock_Clock1->SetChecked(true);
    btnAnaOutDREC->SetEnabled(!adatSync);
    btnAnaInpDREC->SetEnabled(!adatSync);
}

// A device's start/stop choice: its own flag, the pair flag as the AND of both directions, and for
// a device with a clock choice the move to the sync bus clock with Clock 1 and Clock 2 locked.
// Going back to autonomous unlocks them and leaves the clock as it is.
void TdlgCfg::StartStopClick(ConfigField own, ConfigField pair, ConfigField other, bool onSyncBus,
                             TExtRadioButton* syncBusClock, TExtRadioButton* clock1,
                             TExtRadioButton* clock2) {
    Edited();
    working_.SetFlag(own, onSyncBus);
    working_.SetFlag(pair, onSyncBus && working_.Flag(other));
    if (onSyncBus && syncBusClock)
        syncBusClock->SetChecked(true);
    if (clock1) {
        clock1->SetEnabled(!onSyncBus);
        clock2->SetEnabled(!onSyncBus);
    }
}

void TdlgCfg::AdatStartStopClick(bool playback, bool start, bool allSynchronous) {
    using enum ConfigField;
    Edited();
    const ConfigField own = playback ? AdatOutStartSyncBus : AdatInStartSyncBus;
    const ConfigField other = playback ? AdatInStartSyncBus : AdatOutStartSyncBus;
    working_.SetFlag(own, start);
    working_.SetFlag(playback ? AdatOutAllSynchronous : AdatInAllSynchronous, allSynchronous);
    working_.SetFlag(AdatPairOnSyncBus, start && working_.Flag(other));
    if (!playback)
        return;
    if (start)
        btnAdatOutSyncBus->SetChecked(true);
    btnAdatOutClock1->SetEnabled(!start);
    btnAdatOutClock2->SetEnabled(!start);
}

void TdlgCfg::FillClockTabs() {
    using enum ConfigField;
    const ConfigRecord& r = working_;
    chkSyncToWc->SetChecked(r.Flag(Clock1SyncToWordclock));
    chkSyncToAdat->SetChecked(r.Flag(Clock2SyncToAdat));
    edDefaultRate1->SetText(std::to_string(static_cast<std::uint32_t>(r.Get(Clock1DefaultRate))));
    edDefaultRate2->SetText(std::to_string(static_cast<std::uint32_t>(r.Get(Clock2DefaultRate))));
    chkMaster->SetChecked(r.Flag(CardIsMaster));

    CheckButton(ButtonFor(r.Get(SyncBusClock),
                          {chkSyncBusClock_Clock1, chkSyncBusClock_Clock2, chkSyncBusClock_DINP}));
    CheckButton(ButtonFor(r.Get(AnalogOutClock),
                          {btnAnaOutClock1, btnAnaOutClock2, btnAnaOutDREC, btnAnaOutSyncBus}));
    CheckButton(ButtonFor(r.Get(DigitalOutClock),
                          {btnDigOutClock1, btnDigOutClock2, btnDigOutDRec, btnDigOutSyncBus}));
    CheckButton(ButtonFor(r.Get(AdatOutClock),
                          {btnAdatOutClock1, btnAdatOutClock2, nullptr, btnAdatOutSyncBus}));
    CheckButton(ButtonFor(r.Get(AnalogInClock),
                          {btnAnaInpClock1, btnAnaInpClock2, btnAnaInpDREC, btnAnaInpSyncBus}));

    chkAnaOut_SyncBus->SetChecked(r.Flag(AnalogOutStartSyncBus));
    chkAnaInp_SyncBus->SetChecked(r.Flag(AnalogInStartSyncBus));
    chkDigOut_SyncBus->SetChecked(r.Flag(DigitalOutStartSyncBus));
    chkDigInp_SyncBus->SetChecked(r.Flag(DigitalInStartSyncBus));

    // The "Alle Geräte synchron" buttons are never set here: they keep their state unless a
    // sibling is checked.
    chkAdatOut_SyncBus->SetChecked(r.Flag(AdatOutStartSyncBus) && r.Flag(AdatOutAllSynchronous));
    chkAdatInp_SyncBus->SetChecked(r.Flag(AdatInStartSyncBus) && r.Flag(AdatInAllSynchronous));
    chkAdatOut_AllAutonom->SetChecked(!r.Flag(AdatOutStartSyncBus) &&
                                      !r.Flag(AdatOutAllSynchronous));
    chkAdatInp_AllAutonom->SetChecked(!r.Flag(AdatInStartSyncBus) && !r.Flag(AdatInAllSynchronous));
}
