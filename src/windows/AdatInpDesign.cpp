// The designed layout of the ADAT input window: its controls and their properties, nothing
// computed.

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "windows/AdatInp.h"
#include "windows/MeterDesign.h"

void TfrmAdatInp::Design() {
    SetName("frmAdatInp");
    SetCaption("ADAT Inputs");
    SetBounds(128, 84, 330, 297);
    Font().SetName("Arial");
    Font().SetHeight(-11);
    Font().SetColor(clBlack);
    HorzScrollBar().SetVisible(false);
    VertScrollBar().SetVisible(false);

    grpInput = new TPanel(this);
    grpInput->SetName("grpInput");
    grpInput->SetParent(this);
    grpInput->SetAlign(alTop);
    grpInput->SetHeight(237);
    grpInput->SetBevelOuter(bvNone);

    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(grpInput);
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetBorderStyle(bsNone);
    ScrollBox1->VertScrollBar().SetVisible(false);
    ScrollBox1->HorzScrollBar().SetIncrement(78);
    ScrollBox1->HorzScrollBar().SetMargin(2);

    pnMeters = new TPanel(this);
    pnMeters->SetName("pnMeters");
    pnMeters->SetParent(ScrollBox1);
    pnMeters->SetBounds(2, 6, 314, 185);
    pnMeters->SetBevelOuter(bvNone);
    pnMeter12 = DesignMeterPanel(this, pnMeters, "pnMeter12", 4, 0, "Meter1", "Meter2");
    DesignScale(this, pnMeters, "lbScale12_", 59, 172);
    pnMeter34 = DesignMeterPanel(this, pnMeters, "pnMeter34", 82, 0, "Meter3", "Meter4");
    DesignScale(this, pnMeters, "lbScale34_", 137, 172);
    pnMeter56 = DesignMeterPanel(this, pnMeters, "pnMeter56", 160, 0, "Meter5", "Meter6");
    DesignScale(this, pnMeters, "lbScale56_", 215, 172);
    pnMeter78 = DesignMeterPanel(this, pnMeters, "pnMeter78", 238, 0, "Meter7", "Meter8");
    DesignScale(this, pnMeters, "lbScale78_", 293, 172);

    pnNumbers = new TPanel(this);
    pnNumbers->SetName("pnNumbers");
    pnNumbers->SetParent(ScrollBox1);
    pnNumbers->SetBounds(6, 192, 285, 19);
    pnNumbers->SetBevelOuter(bvNone);
    DesignNumbers(this, pnNumbers, "lbChannel", {10, 32, 88, 110, 166, 190, 244, 264});

    pnChecks = new TPanel(this);
    pnChecks->SetName("pnChecks");
    pnChecks->SetParent(this);
    pnChecks->SetAlign(alClient);
    pnChecks->SetTag(-1);
    pnChecks->SetHeight(33);

    chkPeakMeter = new TExtCheckBox(this);
    chkPeakMeter->SetName("chkPeakMeter");
    chkPeakMeter->SetParent(pnChecks);
    chkPeakMeter->SetBounds(8, 9, 97, 17);
    chkPeakMeter->SetTag(-1);
    chkPeakMeter->SetCaption(" &Peak Meter");
    chkPeakMeter->SetCaptionEnglish(" &Peak Meter");
    chkPeakMeter->SetCaptionGerman(" &Peak Meter");
    chkPeakMeter->SetChecked(true);
}
