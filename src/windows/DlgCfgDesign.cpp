// The designed layout of the settings dialog: the frame with its page control and buttons, and
// the tabs "Clock" and "Geräte". Nothing computed; the two other tabs are in
// DlgCfgDesignDirectSound.cpp.

#include "toolkit/TEdit.h"
#include "toolkit/TPageControl.h"
#include "windows/DlgCfg.h"
#include "windows/DlgCfgDesignParts.h"

using namespace dlgcfg_design;

namespace {

TTabSheet* Sheet(TComponent* owner, TPageControl* pages, const std::string& name,
                 const std::string& caption) {
    auto* sheet = new TTabSheet(owner);
    sheet->SetName(name);
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
    return sheet;
}

TEdit* RateEdit(TComponent* owner, TWinControl* parent, const std::string& name, TRect bounds,
                const std::string& text) {
    auto* edit = new TEdit(owner);
    Place(edit, parent, name, bounds);
    edit->SetText(text);
    return edit;
}

} // namespace

void TdlgCfg::Design() {
    SetName("dlgCfg");
    SetCaption("Zq40Pro Einstellungen");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(442);
    SetClientHeight(397);
    Font().SetName("Arial");
    Font().SetHeight(-11);

    PageControl1 = new TPageControl(this);
    Place(PageControl1, this, "PageControl1", Bounds(6, 6, 430, 350));
    tabClock = Sheet(this, PageControl1, "tabClock", "Clock");
    tabDevices = Sheet(this, PageControl1, "tabDevices", "Geräte");
    tabDirectSound = Sheet(this, PageControl1, "tabDirectSound", "Direct Sound");
    tabMisc = Sheet(this, PageControl1, "tabMisc", "Sonstiges/Info");
    DesignClockTab();
    DesignDevicesTab();
    DesignDirectSoundTab();
    DesignMiscTab();
    PageControl1->SetActivePage(tabClock);

    btnNext = Captioned<TExtButton>(this, this, "btnNext", Bounds(6, 364, 75, 25), ">>");
    btnNext->SetAccessibleName("Einstellungen der nächsten Karte");
    btnCancel = Captioned<TExtButton>(this, this, "btnCancel", Bounds(199, 364, 75, 25), "&Abbruch",
                                      "&Cancel");
    btnCancel->SetCancel(true);
    btnApply = Captioned<TExtButton>(this, this, "btnApply", Bounds(280, 364, 75, 25),
                                     "Ü&bernehmen", "&Apply");
    btnApply->SetEnabled(false);
    btnOk = Captioned<TExtButton>(this, this, "btnOk", Bounds(361, 364, 75, 25), "&Ok");
    btnOk->SetDefault(true);
}

void TdlgCfg::DesignClockTab() {
    pnSyncBus = GreyPanel(this, tabClock, "pnSyncBus", Bounds(6, 6, 410, 96));
    lbSyncBus = Title(this, pnSyncBus, "lbSyncBus", Bounds(8, 6, 60, 14), "SyncBus:", "SyncBus:");
    chkMaster = Captioned<TExtCheckBox>(this, pnSyncBus, "chkMaster", Bounds(16, 22, 200, 17),
                                        "Karte ist Master", "Card is Master");
    chkSyncBusClock_Clock1 = Captioned<TExtRadioButton>(
        this, pnSyncBus, "chkSyncBusClock_Clock1", Bounds(32, 40, 300, 17),
        "Clock 1 auf SyncBus geben", "Clock 1 To SyncBus");
    chkSyncBusClock_Clock2 = Captioned<TExtRadioButton>(
        this, pnSyncBus, "chkSyncBusClock_Clock2", Bounds(32, 57, 300, 17),
        "Clock 2 auf SyncBus geben", "Clock 2 To SyncBus");
    chkSyncBusClock_DINP = Captioned<TExtRadioButton>(
        this, pnSyncBus, "chkSyncBusClock_DINP", Bounds(32, 74, 300, 17),
        "Digital Input Clock auf SyncBus geben", "Digital Input Clock To SyncBus");
    chkSyncBusClock_Clock1->SetEnabled(false);
    chkSyncBusClock_Clock2->SetEnabled(false);
    chkSyncBusClock_DINP->SetEnabled(false);

    pnClock1 = GreyPanel(this, tabClock, "pnClock1", Bounds(6, 108, 202, 130));
    lbClock1 = Title(this, pnClock1, "lbClock1", Bounds(8, 6, 60, 14), "Clock 1:", "Clock 1:");
    lbRange1 = Captioned<TExtLabel>(this, pnClock1, "lbRange1", Bounds(16, 24, 120, 14),
                                    "29 kHz bis 105 kHz ", "29 kHz to 105 kHz ");
    lbPitch1 = Captioned<TExtLabel>(this, pnClock1, "lbPitch1", Bounds(16, 40, 120, 14),
                                    "Pitchbar: Ja", "Pitchable: Yes");
    chkSyncToWc = Captioned<TExtCheckBox>(this, pnClock1, "chkSyncToWc", Bounds(16, 60, 170, 17),
                                          "Sync auf Wordclock", "Sync to Wordclock");
    lbDefault1 =
        Captioned<TExtLabel>(this, pnClock1, "lbDefault1", Bounds(16, 96, 40, 14), "Default:");
    edDefaultRate1 = RateEdit(this, pnClock1, "edDefaultRate1", Bounds(60, 92, 70, 21), "44100");
    edDefaultRate1->SetAccessibleName("Clock 1 Default-Samplerate in Hz");
    lbHz1 = Captioned<TExtLabel>(this, pnClock1, "lbHz1", Bounds(136, 96, 20, 14), "Hz");

    pnClock2 = GreyPanel(this, tabClock, "pnClock2", Bounds(214, 108, 202, 130));
    lbClock2 = Title(this, pnClock2, "lbClock2", Bounds(8, 6, 60, 14), "Clock 2:", "Clock 2:");
    lbRange2 = Captioned<TExtLabel>(this, pnClock2, "lbRange2", Bounds(16, 24, 120, 14),
                                    "29 kHz bis 105 kHz ", "29 kHz to 105 kHz ");
    lbPitch2 = Captioned<TExtLabel>(this, pnClock2, "lbPitch2", Bounds(16, 40, 120, 14),
                                    "Pitchbar: Ja", "Pitchable: Yes");
    chkSyncToAdat = Captioned<TExtCheckBox>(
        this, pnClock2, "chkSyncToAdat", Bounds(16, 60, 170, 17), "Sync auf ADAT", "Sync to ADAT");
    lbDefault2 =
        Captioned<TExtLabel>(this, pnClock2, "lbDefault2", Bounds(16, 96, 40, 14), "Default:");
    edDefaultRate2 = RateEdit(this, pnClock2, "edDefaultRate2", Bounds(60, 92, 70, 21), "48000");
    edDefaultRate2->SetAccessibleName("Clock 2 Default-Samplerate in Hz");
    lbHz2 = Captioned<TExtLabel>(this, pnClock2, "lbHz2", Bounds(136, 96, 20, 14), "Hz");

    pnNote = GreyPanel(this, tabClock, "pnNote", Bounds(6, 244, 410, 72));
    lbPreNote =
        Captioned<TExtLabel>(this, pnNote, "lbPreNote", Bounds(8, 8, 50, 14), "Hinweis:", "Note:");
    lbNote = Captioned<TExtLabel>(
        this, pnNote, "lbNote", Bounds(60, 8, 340, 56),
        "Während einer Adat-Aufnahme ist Clock 2 automatisch auf Adat Input synchronisiert !",
        "During Adat recording Clock 2 is synchronized to the Adat input automatically !");
    lbNote->SetWordWrap(true);
}

namespace {

// The "Clock von:" caption of a device panel, and its "Start/Stop:" caption.
void ClockCaption(TComponent* owner, TWinControl* panel, const std::string& prefix) {
    Captioned<TExtLabel>(owner, panel, prefix + "ClockLabel", Bounds(8, 24, 60, 14),
                         "Clock von:", "Clock from:");
}

void StartStopCaption(TComponent* owner, TWinControl* panel, const std::string& prefix) {
    Captioned<TExtLabel>(owner, panel, prefix + "StartLabel", Bounds(8, 104, 60, 14),
                         "Start/Stop:");
}

} // namespace

// Three columns, analog, digital and ADAT, with playback on top and record below.
void TdlgCfg::DesignDevicesTab() {
    constexpr int kWidth = 134, kHeight = 158;
    const auto clockGroup = Bounds(12, 40, 118, 62);
    const auto startGroup = Bounds(12, 120, 118, 36);

    pnAnaPlay = GreyPanel(this, tabDevices, "pnAnaPlay", Bounds(4, 4, kWidth, kHeight));
    Title(this, pnAnaPlay, "lbAnaPlay", Bounds(8, 6, 120, 14),
          "Analog Wiedergabe:", "Analog Playback:");
    ClockCaption(this, pnAnaPlay, "lbAnaPlay");
    grpAnaPlayClock = GroupPanel(this, pnAnaPlay, "grpAnaPlayClock", clockGroup);
    btnAnaOutClock1 = Captioned<TExtRadioButton>(this, grpAnaPlayClock, "btnAnaOutClock1",
                                                 Bounds(0, 0, 110, 15), "Clock 1");
    btnAnaOutClock2 = Captioned<TExtRadioButton>(this, grpAnaPlayClock, "btnAnaOutClock2",
                                                 Bounds(0, 15, 110, 15), "Clock 2");
    btnAnaOutDREC = Captioned<TExtRadioButton>(this, grpAnaPlayClock, "btnAnaOutDREC",
                                               Bounds(0, 30, 110, 15), "Digital Input");
    btnAnaOutSyncBus = Captioned<TExtRadioButton>(this, grpAnaPlayClock, "btnAnaOutSyncBus",
                                                  Bounds(0, 45, 110, 15), "SyncBus", "SyncBus");
    StartStopCaption(this, pnAnaPlay, "lbAnaPlay");
    grpAnaPlayStart = GroupPanel(this, pnAnaPlay, "grpAnaPlayStart", startGroup);
    chkAnaOut_Autonom = Captioned<TExtRadioButton>(this, grpAnaPlayStart, "chkAnaOut_Autonom",
                                                   Bounds(0, 0, 110, 15), "Autonom", "Autonomous");
    chkAnaOut_Autonom->SetChecked(true);
    chkAnaOut_SyncBus = Captioned<TExtRadioButton>(this, grpAnaPlayStart, "chkAnaOut_SyncBus",
                                                   Bounds(0, 15, 110, 15), "SyncBus", "SyncBus");

    pnAnaRec = GreyPanel(this, tabDevices, "pnAnaRec", Bounds(4, 164, kWidth, kHeight));
    Title(this, pnAnaRec, "lbAnaRec", Bounds(8, 6, 120, 14), "Analog Aufnahme:", "Analog Record:");
    ClockCaption(this, pnAnaRec, "lbAnaRec");
    grpAnaRecClock = GroupPanel(this, pnAnaRec, "grpAnaRecClock", clockGroup);
    btnAnaInpClock1 = Captioned<TExtRadioButton>(this, grpAnaRecClock, "btnAnaInpClock1",
                                                 Bounds(0, 0, 110, 15), "Clock 1");
    btnAnaInpClock2 = Captioned<TExtRadioButton>(this, grpAnaRecClock, "btnAnaInpClock2",
                                                 Bounds(0, 15, 110, 15), "Clock 2");
    btnAnaInpDREC = Captioned<TExtRadioButton>(this, grpAnaRecClock, "btnAnaInpDREC",
                                               Bounds(0, 30, 110, 15), "Digital Input");
    btnAnaInpSyncBus = Captioned<TExtRadioButton>(this, grpAnaRecClock, "btnAnaInpSyncBus",
                                                  Bounds(0, 45, 110, 15), "SyncBus", "SyncBus");
    StartStopCaption(this, pnAnaRec, "lbAnaRec");
    grpAnaRecStart = GroupPanel(this, pnAnaRec, "grpAnaRecStart", startGroup);
    chkAnaInp_Autonom = Captioned<TExtRadioButton>(this, grpAnaRecStart, "chkAnaInp_Autonom",
                                                   Bounds(0, 0, 110, 15), "Autonom", "Autonomous");
    chkAnaInp_Autonom->SetChecked(true);
    chkAnaInp_SyncBus = Captioned<TExtRadioButton>(this, grpAnaRecStart, "chkAnaInp_SyncBus",
                                                   Bounds(0, 15, 110, 15), "SyncBus", "SyncBus");

    pnDigPlay = GreyPanel(this, tabDevices, "pnDigPlay", Bounds(142, 4, kWidth, kHeight));
    Title(this, pnDigPlay, "lbDigPlay", Bounds(8, 6, 120, 14),
          "Digital Wiedergabe:", "Digital Playback:");
    ClockCaption(this, pnDigPlay, "lbDigPlay");
    grpDigPlayClock = GroupPanel(this, pnDigPlay, "grpDigPlayClock", clockGroup);
    btnDigOutClock1 = Captioned<TExtRadioButton>(this, grpDigPlayClock, "btnDigOutClock1",
                                                 Bounds(0, 0, 110, 15), "Clock 1");
    btnDigOutClock2 = Captioned<TExtRadioButton>(this, grpDigPlayClock, "btnDigOutClock2",
                                                 Bounds(0, 15, 110, 15), "Clock 2");
    btnDigOutDRec = Captioned<TExtRadioButton>(this, grpDigPlayClock, "btnDigOutDRec",
                                               Bounds(0, 30, 110, 15), "Digital Input");
    btnDigOutSyncBus = Captioned<TExtRadioButton>(this, grpDigPlayClock, "btnDigOutSyncBus",
                                                  Bounds(0, 45, 110, 15), "SyncBus", "SyncBus");
    StartStopCaption(this, pnDigPlay, "lbDigPlay");
    grpDigPlayStart = GroupPanel(this, pnDigPlay, "grpDigPlayStart", startGroup);
    chkDigOut_Autonom = Captioned<TExtRadioButton>(this, grpDigPlayStart, "chkDigOut_Autonom",
                                                   Bounds(0, 0, 110, 15), "Autonom", "Autonomous");
    chkDigOut_Autonom->SetChecked(true);
    chkDigOut_SyncBus = Captioned<TExtRadioButton>(this, grpDigPlayStart, "chkDigOut_SyncBus",
                                                   Bounds(0, 15, 110, 15), "SyncBus", "SyncBus");

    pnDigRec = GreyPanel(this, tabDevices, "pnDigRec", Bounds(142, 164, kWidth, kHeight));
    Title(this, pnDigRec, "lbDigRec", Bounds(8, 6, 120, 14),
          "Digital Aufnahme:", "Digital Record:");
    Captioned<TExtLabel>(this, pnDigRec, "lbDigRecClock", Bounds(8, 24, 120, 14),
                         "Clock von Digital Input", "Clock from Digital Input");
    StartStopCaption(this, pnDigRec, "lbDigRec");
    grpDigRecStart = GroupPanel(this, pnDigRec, "grpDigRecStart", startGroup);
    chkDigInp_Autonom = Captioned<TExtRadioButton>(this, grpDigRecStart, "chkDigInp_Autonom",
                                                   Bounds(0, 0, 110, 15), "Autonom", "Autonomous");
    chkDigInp_Autonom->SetChecked(true);
    chkDigInp_SyncBus = Captioned<TExtRadioButton>(this, grpDigRecStart, "chkDigInp_SyncBus",
                                                   Bounds(0, 15, 110, 15), "SyncBus", "SyncBus");

    const auto adatStartGroup = Bounds(8, 120, 124, 36);
    pnAdatPlay = GreyPanel(this, tabDevices, "pnAdatPlay", Bounds(280, 4, kWidth, kHeight));
    Title(this, pnAdatPlay, "lbAdatPlay", Bounds(8, 6, 120, 14),
          "Adat Wiedergabe:", "Adat Playback:");
    ClockCaption(this, pnAdatPlay, "lbAdatPlay");
    grpAdatPlayClock = GroupPanel(this, pnAdatPlay, "grpAdatPlayClock", clockGroup);
    btnAdatOutClock1 = Captioned<TExtRadioButton>(this, grpAdatPlayClock, "btnAdatOutClock1",
                                                  Bounds(0, 0, 110, 15), "Clock 1");
    btnAdatOutClock2 = Captioned<TExtRadioButton>(this, grpAdatPlayClock, "btnAdatOutClock2",
                                                  Bounds(0, 15, 110, 15), "Clock 2");
    btnAdatOutSyncBus = Captioned<TExtRadioButton>(this, grpAdatPlayClock, "btnAdatOutSyncBus",
                                                   Bounds(0, 30, 110, 15), "SyncBus", "SyncBus");
    Captioned<TExtLabel>(this, pnAdatPlay, "lbAdatPlayStartLabel", Bounds(8, 104, 60, 14),
                         "Start/Stop:");
    grpAdatPlayStart = GroupPanel(this, pnAdatPlay, "grpAdatPlayStart", adatStartGroup);
    chkAdatOut_AllAutonom = Captioned<TExtRadioButton>(
        this, grpAdatPlayStart, "chkAdatOut_AllAutonom", Bounds(0, 0, 124, 12),
        "Alle Geräte autonom", "All devices autonomous");
    chkAdatOut_AllSynchron =
        Captioned<TExtRadioButton>(this, grpAdatPlayStart, "chkAdatOut_AllSynchron",
                                   Bounds(0, 12, 124, 12), "Alle Geräte synchron", "");
    chkAdatOut_AllSynchron->SetChecked(true);
    chkAdatOut_SyncBus = Captioned<TExtRadioButton>(this, grpAdatPlayStart, "chkAdatOut_SyncBus",
                                                    Bounds(0, 24, 124, 12), "SyncBus", "SyncBus");

    pnAdatRec = GreyPanel(this, tabDevices, "pnAdatRec", Bounds(280, 164, kWidth, kHeight));
    Title(this, pnAdatRec, "lbAdatRec", Bounds(8, 6, 120, 14), "Adat Aufnahme:", "Adat Record:");
    Captioned<TExtLabel>(this, pnAdatRec, "lbAdatRecClock", Bounds(8, 24, 120, 14),
                         "Clock von Clock 2", "Clock from Clock 2");
    Captioned<TExtLabel>(this, pnAdatRec, "lbAdatRecStartLabel", Bounds(8, 104, 60, 14),
                         "Start/Stop:");
    grpAdatRecStart = GroupPanel(this, pnAdatRec, "grpAdatRecStart", adatStartGroup);
    chkAdatInp_AllAutonom = Captioned<TExtRadioButton>(
        this, grpAdatRecStart, "chkAdatInp_AllAutonom", Bounds(0, 0, 124, 12),
        "Alle Geräte autonom", "All devices autonomous");
    chkAdatInp_AllSynchron =
        Captioned<TExtRadioButton>(this, grpAdatRecStart, "chkAdatInp_AllSynchron",
                                   Bounds(0, 12, 124, 12), "Alle Geräte synchron", "");
    chkAdatInp_AllSynchron->SetChecked(true);
    chkAdatInp_SyncBus = Captioned<TExtRadioButton>(this, grpAdatRecStart, "chkAdatInp_SyncBus",
                                                    Bounds(0, 24, 124, 12), "SyncBus", "SyncBus");
}
