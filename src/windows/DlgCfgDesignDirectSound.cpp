// The designed layout of the settings dialog's tabs "Direct Sound" and "Sonstiges/Info". Nothing
// computed; the items of boxDevices depend on the card and are set at creation.

#include "toolkit/TComboBox.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TTrackBar.h"
#include "windows/DlgCfg.h"
#include "windows/DlgCfgDesignParts.h"

using namespace dlgcfg_design;

namespace {

TComboBox* List(TComponent* owner, TWinControl* parent, const std::string& name, TRect bounds,
                std::initializer_list<const char*> items) {
    auto* box = new TComboBox(owner);
    Place(box, parent, name, bounds);
    box->SetStyle(csDropDownList);
    for (const char* item : items)
        box->Items().Add(item);
    return box;
}

} // namespace

void TdlgCfg::DesignDirectSoundTab() {
    pnDirectSound = GreyPanel(this, tabDirectSound, "pnDirectSound", Bounds(6, 6, 410, 310));
    btnAutoLatency = Captioned<TExtRadioButton>(
        this, pnDirectSound, "btnAutoLatency", Bounds(12, 12, 250, 17),
        " Automatische &Latenz Erkennung", " Automatic &Latency Adjustment");
    btnManLatency =
        Captioned<TExtRadioButton>(this, pnDirectSound, "btnManLatency", Bounds(12, 36, 190, 17),
                                   " Latenz manuell &einstellen:", " Adj&ust Latency Manually:");
    lbMs = Captioned<TExtLabel>(this, pnDirectSound, "lbMs", Bounds(206, 38, 20, 14), "60");
    lbMs->SetAlignment(taRightJustify);
    lbMsLabel =
        Captioned<TExtLabel>(this, pnDirectSound, "lbMsLabel", Bounds(230, 38, 20, 14), "ms");

    barLatency = new TTrackBar(this);
    Place(barLatency, pnDirectSound, "barLatency", Bounds(20, 60, 370, 30));
    barLatency->SetMin(1);
    barLatency->SetMax(100);
    barLatency->SetPageSize(10);
    barLatency->SetFrequency(1);
    barLatency->SetTickMarks(tmBottomRight);
    barLatency->SetPosition(60);
    barLatency->SetAccessibleName("Latenz in ms");

    // The scale under the bar: each label centred under its position.
    const int scale[11] = {1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    for (int i = 0; i < 11; ++i) {
        const int x = 32 + (scale[i] - 1) * 346 / 99;
        const std::string text = std::to_string(scale[i]);
        lbScale[i] = Captioned<TExtLabel>(this, pnDirectSound, "lb" + text + "ms",
                                          Bounds(x - 10, 92, 20, 14), text);
        lbScale[i]->SetAlignment(taCenter);
    }

    chkWriteIsPlayCursor = Captioned<TExtCheckBox>(
        this, pnDirectSound, "chkWriteIsPlayCursor", Bounds(12, 130, 250, 17),
        " &Optimiertes Cursor Handling", " &Optimized Cursor Handling");
    chkRestricted = Captioned<TExtCheckBox>(
        this, pnDirectSound, "chkRestricted", Bounds(12, 164, 200, 17),
        " Wiedergabe Format begrenzen auf:", " Restrict Playback Format to:");
    lbstereo =
        Captioned<TExtLabel>(this, pnDirectSound, "lbstereo", Bounds(214, 166, 36, 14), "Stereo");
    boxRestrictedRes = List(this, pnDirectSound, "boxRestrictedRes", Bounds(252, 162, 64, 21),
                            {"8 bit", "16 bit"});
    boxRestrictedRate = List(this, pnDirectSound, "boxRestrictedRate", Bounds(320, 162, 80, 21),
                             {"44100 Hz", "48000 Hz"});
    boxRestrictedRes->SetAccessibleName("Wiedergabe Format Stereo: Auflösung");
    boxRestrictedRate->SetAccessibleName("Wiedergabe Format Stereo: Samplerate");
    chkRestrictedDev = Captioned<TExtCheckBox>(
        this, pnDirectSound, "chkRestrictedDev", Bounds(12, 198, 260, 17),
        " Verfügbare Wiedergabegeräte begrenzen auf:", " Available Playback Devices limited to:");
    boxDevices = List(this, pnDirectSound, "boxDevices", Bounds(30, 222, 200, 21), {});
    boxDevices->SetDropDownCount(7);
    boxDevices->SetAccessibleName("Verfügbares Wiedergabegerät");
}

void TdlgCfg::DesignMiscTab() {
    pnMessages = GreyPanel(this, tabMisc, "pnMessages", Bounds(6, 6, 410, 80));
    lbMessages = Title(this, pnMessages, "lbMessages", Bounds(8, 6, 120, 14),
                       "Fehlermeldungen:", "Error Messages:");
    chkNoMsgRate =
        Captioned<TExtCheckBox>(this, pnMessages, "chkNoMsgRate", Bounds(16, 26, 380, 17),
                                " Deaktiviere Meldungen zu Samplerate Konflikten",
                                " Disable Messages about Samplerate Conflicts");
    chkNoMsgDevConflict =
        Captioned<TExtCheckBox>(this, pnMessages, "chkNoMsgDevConflict", Bounds(16, 48, 380, 17),
                                " Deaktiviere Meldungen zu Gerätekonflikten (ADAT gegen Digital)",
                                " Disable Messages about Device Conflicts (ADAT against Digital)");
    btnInfo = Captioned<TExtButton>(this, tabMisc, "btnInfo", Bounds(6, 96, 90, 25), "Info ...",
                                    "About ...");
}
