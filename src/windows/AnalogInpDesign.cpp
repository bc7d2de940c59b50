// The designed layout of the analog input window: its controls and their properties, nothing
// computed.

#include "controls/ExtControls.h"
#include "controls/TSlider.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "windows/AnalogInp.h"
#include "windows/InputDesign.h"
#include "windows/MeterDesign.h"

namespace {

// The tops of the fader scale marks "35" .. "-40".
constexpr int kFaderScaleTops[] = {10, 32, 44, 58, 71, 84, 98, 110};

TSlider* DesignFader(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                     int number) {
    auto* slider = new TSlider(owner);
    slider->SetName(name);
    slider->SetParent(parent);
    slider->SetBounds(left, 12, 4, 112);
    slider->SetMin(108);
    slider->SetMax(255);
    slider->SetPosition(108);
    slider->SetBtnHeight(26);
    slider->SetBtnWidth(18);
    slider->SetMoveRestriction(6);
    slider->SetNumber(number);
    return slider;
}

} // namespace

void TfrmAnalogInp::Design() {
    SetName("frmAnalogInp");
    SetCaption("Analog Input");
    SetBounds(181, 0, 155, 572);
    Font().SetName("Arial");
    Font().SetHeight(-11);
    Font().SetColor(clBlack);
    HorzScrollBar().SetVisible(false);
    VertScrollBar().SetVisible(false);

    pnChecks = DesignPanel(this, this, "pnChecks", 0, 531, 155, 66);
    pnChecks->SetAlign(alClient);
    pnChecks->SetBevelOuter(bvRaised);
    pnChecks->SetTag(-1);
    chkPeakMeter =
        DesignDisplayCheck(this, pnChecks, "chkPeakMeter", 8, 26, " P&eak Meter", " &Peak Meter");
    chkGainSlider =
        DesignDisplayCheck(this, pnChecks, "chkGainSlider", 8, 44, " Fa&der", " &Fader");
    chkRouting =
        DesignDisplayCheck(this, pnChecks, "chkRouting", 8, 10, " &Monitoring", " &Monitoring");

    grpInput = DesignPanel(this, this, "grpInput", 0, 0, 155, 531);
    grpInput->SetAlign(alTop);

    DesignStripScrollBox(this, grpInput, 140, 2);
    DesignHeader(this);

    pnInpMon = DesignPanel(this, ScrollBox, "pnInpMon", 0, 19, 141, 122);
    pnInpMon->SetAlign(alTop);
    DesignRouteGroup(this, pnInpMon, 0, 0, 141, 53, 12);
    DesignWhenGroup(this, pnInpMon, 0, 50, 141, 67);
    DesignBottomLine(this, pnInpMon, 9);

    pnMeters = DesignPanel(this, ScrollBox, "pnMeters", 8, 146, 133, 185);
    pnMeter12 = DesignMeterPanel(this, pnMeters, "pnMeter12", 0, 0, "Meter1", "Meter2");
    DesignScale(this, pnMeters, "lbMeterScale", 55, 171);

    pnSliders = DesignPanel(this, ScrollBox, "pnSliders", 8, 331, 133, 164);
    pnSlider12 = DesignPanel(this, pnSliders, "pnSlider12", 0, 0, 53, 160);
    pnSlider12->SetBevelOuter(bvLowered);
    pnSlider12->SetColor(clSilver);
    static const char* const marks[] = {"35", "20", "10", "0", "-10", "-20", "-30", "-40"};
    int mark = 0;
    for (int top : kFaderScaleTops) {
        DesignGridLine(this, pnSlider12, "lbFaderGrid" + std::to_string(mark), top);
        DesignLabel(this, pnSliders, "lbFaderScale" + std::to_string(mark), 55, top, marks[mark]);
        ++mark;
    }
    DesignLabel(this, pnSliders, "lbFaderScale8", 55, 147, "dB");
    Slider0 = DesignFader(this, pnSlider12, "Slider0", 12, 0);
    Slider1 = DesignFader(this, pnSlider12, "Slider1", 36, 1);
    // The bracket joining the two faders, drawn with the Symbol font's bracket pieces.
    for (auto [name, left, glyph] :
         {std::tuple{"lbBracketLeft", 13, "\u00EB"}, std::tuple{"lbBracketRight", 35, "\u00FB"}}) {
        TLabel* bracket = DesignLabel(this, pnSlider12, name, left, 133, glyph);
        bracket->Font().SetName("Symbol");
        bracket->SetTransparent(true);
    }
    chkLink12 = new TCheckBox(this);
    chkLink12->SetName("chkLink12");
    chkLink12->SetParent(pnSlider12);
    chkLink12->SetBounds(21, 139, 13, 13);
    chkLink12->SetTag(-1);
    chkLink12->SetCaption("");
    chkLink12->SetAccessibleName("Fader koppeln");
    chkLink12->SetChecked(true);
    Slider0->SetLinkCheck(chkLink12);
    Slider1->SetLinkCheck(chkLink12);

    pnNumbers = DesignPanel(this, ScrollBox, "pnNumbers", 10, 493, 71, 20);
    for (auto [name, left, caption] : {std::tuple{"lbL", 10, "L"}, std::tuple{"lbR", 32, "R"}}) {
        TLabel* label = DesignLabel(this, pnNumbers, name, left, 2, caption);
        label->SetAutoSize(false);
        label->SetBounds(left, 2, 13, 13);
        label->SetAlignment(taCenter);
    }
}
