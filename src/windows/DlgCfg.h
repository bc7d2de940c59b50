#pragma once
// The settings dialog ("Zq40Pro Einstellungen Karte #n"): the editor of one card's record of the
// driver's configuration. It works on a private copy of the card's record, taken from the block the
// mixer control window filled with getconfig, and writes it back with reconfigurable, setconfig
// and getconfig when the user applies or confirms. ">>" opens the same dialog, modally, for the
// next card on the same block.
//
// Files: DlgCfg.cpp the frame (creation, fill, apply, closing, the chain), DlgCfgClock.cpp the
// tabs "Clock" and "Geräte", DlgCfgDirectSound.cpp the tabs "Direct Sound" and "Sonstiges/Info";
// the designed layout in DlgCfgDesign.cpp and DlgCfgDesignDirectSound.cpp.

#include "driver/ConfigRecord.h"
#include "platform/WinTypes.h"
#include "toolkit/TForm.h"

#include <cstdint>
#include <functional>
#include <string>

class TComboBox;
class TEdit;
class TExtButton;
class TExtCheckBox;
class TExtLabel;
class TExtRadioButton;
class TPageControl;
class TPanel;
class TTabSheet;
class TTrackBar;

class TdlgCfg : public TForm {
public:
    static constexpr UINT kCloseNotice = WM_USER + 100;
    static constexpr int kMinRate = 29000;
    static constexpr int kMaxRate = 105000;
    static constexpr TColor kPanelColor = 0xE1E1E1;
    static constexpr TColor kInvalidColor = 0x0000FF;

    // One configuration command on a record, as the configuration channel runs it.
    using ConfigRunner = std::function<bool(UINT code, void* record, DWORD size)>;
    // Replaces the way every dialog reaches the driver; null goes back to the configuration
    // channel (RunDriverConfig with ConfigChannelEnabled).
    static void SetConfigRunner(ConfigRunner runner);

    // Works on `block` (owned by the caller, never freed here) and shows record `card` of it;
    // `cardCount` cards were found. A card outside the block raises EInvalidOperation.
    TdlgCfg(TComponent* owner, ConfigBlock& block, int card, int cardCount);
    const char* ClassName() const override { return "TdlgCfg"; }

    int Card() const { return card_; }
    int CardCount() const { return cardCount_; }
    const ConfigRecord& WorkingRecord() const { return working_; }
    bool RateInvalid() const { return rateInvalid_; }

    // The frame.
    TPageControl* PageControl1 = nullptr;
    TTabSheet* tabClock = nullptr;
    TTabSheet* tabDevices = nullptr;
    TTabSheet* tabDirectSound = nullptr;
    TTabSheet* tabMisc = nullptr;
    TExtButton* btnNext = nullptr;
    TExtButton* btnCancel = nullptr;
    TExtButton* btnApply = nullptr;
    TExtButton* btnOk = nullptr;

    // Tab "Clock".
    TPanel* pnSyncBus = nullptr;
    TExtLabel* lbSyncBus = nullptr;
    TExtCheckBox* chkMaster = nullptr;
    TExtRadioButton* chkSyncBusClock_Clock1 = nullptr;
    TExtRadioButton* chkSyncBusClock_Clock2 = nullptr;
    TExtRadioButton* chkSyncBusClock_DINP = nullptr;
    TPanel* pnClock1 = nullptr;
    TExtLabel* lbClock1 = nullptr;
    TExtLabel* lbRange1 = nullptr;
    TExtLabel* lbPitch1 = nullptr;
    TExtCheckBox* chkSyncToWc = nullptr;
    TExtLabel* lbDefault1 = nullptr;
    TEdit* edDefaultRate1 = nullptr;
    TExtLabel* lbHz1 = nullptr;
    TPanel* pnClock2 = nullptr;
    TExtLabel* lbClock2 = nullptr;
    TExtLabel* lbRange2 = nullptr;
    TExtLabel* lbPitch2 = nullptr;
    TExtCheckBox* chkSyncToAdat = nullptr;
    TExtLabel* lbDefault2 = nullptr;
    TEdit* edDefaultRate2 = nullptr;
    TExtLabel* lbHz2 = nullptr;
    TPanel* pnNote = nullptr;
    TExtLabel* lbPreNote = nullptr;
    TExtLabel* lbNote = nullptr;

    // Tab "Geräte": one panel per device; the clock and the start/stop choices of a device are
    // two radio groups, each on a grouping panel of its own.
    TPanel* pnAnaPlay = nullptr;
    TPanel* grpAnaPlayClock = nullptr;
    TExtRadioButton* btnAnaOutClock1 = nullptr;
    TExtRadioButton* btnAnaOutClock2 = nullptr;
    TExtRadioButton* btnAnaOutDREC = nullptr;
    TExtRadioButton* btnAnaOutSyncBus = nullptr;
    TPanel* grpAnaPlayStart = nullptr;
    TExtRadioButton* chkAnaOut_Autonom = nullptr;
    TExtRadioButton* chkAnaOut_SyncBus = nullptr;
    TPanel* pnAnaRec = nullptr;
    TPanel* grpAnaRecClock = nullptr;
    TExtRadioButton* btnAnaInpClock1 = nullptr;
    TExtRadioButton* btnAnaInpClock2 = nullptr;
    TExtRadioButton* btnAnaInpDREC = nullptr;
    TExtRadioButton* btnAnaInpSyncBus = nullptr;
    TPanel* grpAnaRecStart = nullptr;
    TExtRadioButton* chkAnaInp_Autonom = nullptr;
    TExtRadioButton* chkAnaInp_SyncBus = nullptr;
    TPanel* pnDigPlay = nullptr;
    TPanel* grpDigPlayClock = nullptr;
    TExtRadioButton* btnDigOutClock1 = nullptr;
    TExtRadioButton* btnDigOutClock2 = nullptr;
    TExtRadioButton* btnDigOutDRec = nullptr;
    TExtRadioButton* btnDigOutSyncBus = nullptr;
    TPanel* grpDigPlayStart = nullptr;
    TExtRadioButton* chkDigOut_Autonom = nullptr;
    TExtRadioButton* chkDigOut_SyncBus = nullptr;
    TPanel* pnDigRec = nullptr;
    TPanel* grpDigRecStart = nullptr;
    TExtRadioButton* chkDigInp_Autonom = nullptr;
    TExtRadioButton* chkDigInp_SyncBus = nullptr;
    TPanel* pnAdatPlay = nullptr;
    TPanel* grpAdatPlayClock = nullptr;
    TExtRadioButton* btnAdatOutClock1 = nullptr;
    TExtRadioButton* btnAdatOutClock2 = nullptr;
    TExtRadioButton* btnAdatOutSyncBus = nullptr;
    TPanel* grpAdatPlayStart = nullptr;
    TExtRadioButton* chkAdatOut_AllAutonom = nullptr;
    TExtRadioButton* chkAdatOut_AllSynchron = nullptr;
    TExtRadioButton* chkAdatOut_SyncBus = nullptr;
    TPanel* pnAdatRec = nullptr;
    TPanel* grpAdatRecStart = nullptr;
    TExtRadioButton* chkAdatInp_AllAutonom = nullptr;
    TExtRadioButton* chkAdatInp_AllSynchron = nullptr;
    TExtRadioButton* chkAdatInp_SyncBus = nullptr;

    // Tab "Direct Sound".
    TPanel* pnDirectSound = nullptr;
    TExtRadioButton* btnAutoLatency = nullptr;
    TExtRadioButton* btnManLatency = nullptr;
    TExtLabel* lbMs = nullptr;
    TExtLabel* lbMsLabel = nullptr;
    TTrackBar* barLatency = nullptr;
    TExtLabel* lbScale[11] = {}; // lb1ms, lb10ms, lb20ms … lb100ms
    TExtCheckBox* chkWriteIsPlayCursor = nullptr;
    TExtCheckBox* chkRestricted = nullptr;
    TExtLabel* lbstereo = nullptr;
    TComboBox* boxRestrictedRes = nullptr;
    TComboBox* boxRestrictedRate = nullptr;
    TExtCheckBox* chkRestrictedDev = nullptr;
    TComboBox* boxDevices = nullptr;

    // Tab "Sonstiges/Info".
    TPanel* pnMessages = nullptr;
    TExtLabel* lbMessages = nullptr;
    TExtCheckBox* chkNoMsgRate = nullptr;
    TExtCheckBox* chkNoMsgDevConflict = nullptr;
    TExtButton* btnInfo = nullptr;

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void btnOkClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void btnApplyClick(TObject* Sender);
    void btnNextClick(TObject* Sender);

private:
    // The designed layout.
    void Design();
    void DesignClockTab();
    void DesignDevicesTab();
    void DesignDirectSoundTab();
    void DesignMiscTab();

    void WireClockReactions();
    void WireDirectSoundReactions();
    void SetDeviceItems();

    // Every editing reaction starts here.
    void Edited();
    // Sets the controls from the working record; the reactions of what changes run.
    void Fill();
    void FillClockTabs();
    void FillMessageBoxes();
    void FillDirectSoundTab();
    // The apply sequence; true when the driver took the configuration.
    bool ApplyConfig();
    // The default-rate check as on leaving the field: a valid rate is stored, an invalid one
    // turns the field red, sets the flag and takes the focus back.
    void ValidateRate(TEdit* edit, ConfigField field);
    void RateChanged();

    void MasterClick();
    void SyncToAdatClick();
    void ClockChosen(ConfigField field, std::int32_t code);
    void DigitalInputRule();
    void AdatSyncRule();
    void StartStopClick(ConfigField own, ConfigField pair, ConfigField other, bool onSyncBus,
                        TExtRadioButton* syncBusClock, TExtRadioButton* clock1,
                        TExtRadioButton* clock2);
    void AdatStartStopClick(bool playback, bool start, bool allSynchronous);

    void LatencyModeClick(bool manual);
    void RestrictedRule();

    ConfigBlock* block_;
    int card_;
    int cardCount_;
    ConfigRecord working_;
    bool okPressed_ = false;
    bool rateInvalid_ = false;
};

// The settings dialog the mixer control window opened, else null.
extern TdlgCfg* dlgCfg;
