// The designed layout of the ADAT output window: its controls and their properties, nothing
// computed.

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "windows/AdatOut.h"
#include "windows/MeterDesign.h"

void TfrmAdatOut::Design() {
    SetName("frmAdatOut");
    SetCaption("ADAT Outputs");
    SetBounds(0, 186, 330, 296);
    Font().SetName("Arial");
    Font().SetHeight(-11);
    Font().SetColor(clBlack);
    HorzScrollBar().SetVisible(false);
    VertScrollBar().SetVisible(false);

    grpGround = new TPanel(this);
    grpGround->SetName("grpGround");
    grpGround->SetParent(this);
    grpGround->SetAlign(alTop);
    grpGround->SetHeight(237);
    grpGround->SetBevelOuter(bvNone);

    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(grpGround);
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetBorderStyle(bsNone);
    ScrollBox1->VertScrollBar().SetVisible(false);
    ScrollBox1->HorzScrollBar().SetIncrement(78);
    ScrollBox1->HorzScrollBar().SetMargin(6);

    pnMeters = new TPanel(this);
    pnMeters->SetName("pnMeters");
    pnMeters->SetParent(ScrollBox1);
    pnMeters->SetBounds(2, 6, 310, 185);
    pnMeters->SetBevelOuter(bvNone);
    pnMeter12 = DesignMeterPanel(this, pnMeters, "pnMeter12", 4, 0, "PlayLvMeter1", "PlayLvMeter2");
    DesignScale(this, pnMeters, "lbScale12_", 59, 172);
    Panel2 = DesignMeterPanel(this, pnMeters, "Panel2", 82, 0, "LevelMeter1", "LevelMeter2");
    DesignScale(this, pnMeters, "lbScale34_", 137, 172);
    Panel3 = DesignMeterPanel(this, pnMeters, "Panel3", 160, 0, "LevelMeter3", "LevelMeter4");
    DesignScale(this, pnMeters, "lbScale56_", 215, 172);
    Panel4 = DesignMeterPanel(this, pnMeters, "Panel4", 238, 0, "LevelMeter5", "LevelMeter6");
    DesignScale(this, pnMeters, "lbScale78_", 293, 172);

    pnNumbers = new TPanel(this);
    pnNumbers->SetName("pnNumbers");
    pnNumbers->SetParent(ScrollBox1);
    pnNumbers->SetBounds(6, 192, 285, 19);
    pnNumbers->SetBevelOuter(bvNone);
    DesignNumbers(this, pnNumbers, "lbChannel", {10, 32, 88, 110, 166, 188, 244, 266});

    pnChecks = new TPanel(this);
    pnChecks->SetName("pnChecks");
    pnChecks->SetParent(this);
    pnChecks->SetAlign(alClient);
    pnChecks->SetTag(-1);
    pnChecks->SetHeight(32);

    chkPeakMeter = new TExtCheckBox(this);
    chkPeakMeter->SetName("chkPeakMeter");
    chkPeakMeter->SetParent(pnChecks);
    chkPeakMeter->SetBounds(8, 8, 97, 17);
    chkPeakMeter->SetTag(-1);
    chkPeakMeter->SetCaption(" &Peak Meter");
    chkPeakMeter->SetCaptionEnglish(" &Peak Meter");
    chkPeakMeter->SetCaptionGerman(" &Peak Meter");
    chkPeakMeter->SetChecked(true);
}
