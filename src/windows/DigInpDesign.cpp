// The designed layout of the digital input window: its controls and their properties, nothing
// computed.

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/TTimer.h"
#include "windows/DigInp.h"
#include "windows/InputDesign.h"
#include "windows/MeterDesign.h"

#include <tuple>

void TfrmDigInp::Design() {
    SetName("frmDigInp");
    SetCaption("Digital Input");
    SetBounds(128, 44, 155, 537);
    Font().SetName("Arial");
    Font().SetHeight(-11);
    Font().SetColor(clBlack);
    HorzScrollBar().SetVisible(false);
    VertScrollBar().SetVisible(false);

    pnChecks = DesignPanel(this, this, "pnChecks", 0, 457, 155, 53);
    pnChecks->SetAlign(alClient);
    pnChecks->SetBevelOuter(bvRaised);
    pnChecks->SetTag(-1);
    chkPeakMeter =
        DesignDisplayCheck(this, pnChecks, "chkPeakMeter", 8, 28, " &Peak Meter", " &Peak Meter");
    chkInpSelRate = DesignDisplayCheck(this, pnChecks, "chkInpSelRate", 8, 8,
                                       " Monitoring / &Routing", " Monitoring / &Routing");

    pnGround = DesignPanel(this, this, "pnGround", 0, 0, 155, 457);
    pnGround->SetAlign(alTop);

    DesignStripScrollBox(this, pnGround, 134, 4);
    DesignHeader(this);

    pnInpStat = DesignPanel(this, ScrollBox, "pnInpStat", 0, 19, 141, 204);
    pnInpStat->SetAlign(alTop);
    pnInpSelParent = DesignPanel(this, pnInpStat, "pnInpSelParent", 4, 0, 135, 66);
    DesignExtLabel(this, pnInpSelParent, "lbSelect", 4, 2, " Eingangsauswahl:", " Input Select:");
    btnOptical = DesignRadio(this, pnInpSelParent, "btnOptical", 8, 16, " &Optisch", " &Optical");
    btnElectrical =
        DesignRadio(this, pnInpSelParent, "btnElectrical", 8, 32, " &Elektrisch", " &Electrical");
    btnCd = DesignRadio(this, pnInpSelParent, "btnCd", 8, 48, " &CD", " &CD");
    lbR = DesignExtLabel(this, pnInpStat, "lbR", 6, 66, " Sample Rate:", " Sample Rate:");
    lbRate = DesignExtLabel(this, pnInpStat, "lbRate", 82, 66, "44100 Hz", "44100 Hz");
    lbRate->SetTag(1);
    DesignRouteGroup(this, pnInpStat, 4, 82, 133, 53, 8);
    DesignWhenGroup(this, pnInpStat, 0, 132, 141, 67);
    DesignBottomLine(this, pnInpStat, 5);

    pnLevel = DesignPanel(this, ScrollBox, "pnLevel", 4, 228, 134, 217);
    Panel10 = DesignMeterPanel(this, pnLevel, "Panel10", 4, 4, "PlayLvMeter1", "PlayLvMeter2");
    static const char* const marks[] = {"0", "-5", "-10", "-20", "-30", "-40", "-60", "dB"};
    int mark = 0;
    for (int top : {8, 28, 52, 100, 132, 147, 159, 175}) {
        DesignLabel(this, pnLevel, "lbScale" + std::to_string(mark), 59, top, marks[mark]);
        ++mark;
    }
    DesignLabel(this, pnLevel, "lbLeft", 16, 192, "L");
    DesignLabel(this, pnLevel, "lbRight", 40, 192, "R");

    RateTimer = new TTimer(this);
    RateTimer->SetName("RateTimer");
    RateTimer->SetEnabled(false);
    RateTimer->SetInterval(kRateIntervalMs);
}
