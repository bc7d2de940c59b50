// The designed layout of the digital output window: its controls and their properties, nothing
// computed.

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "windows/DigOut.h"
#include "windows/OutputDesign.h"

#include <string>

namespace {

TExtRadioButton* DesignRadio(TfrmDigOut* w, TWinControl* parent, const std::string& name, int top,
                             const std::string& german, const std::string& english) {
    auto* button = new TExtRadioButton(w);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(6, top, 126, 17);
    button->SetCaption(german);
    button->SetCaptionEnglish(english);
    button->SetCaptionGerman(german);
    return button;
}

} // namespace

void TfrmDigOut::Design() {
    SetName("frmDigOut");
    SetCaption("Digital Output");
    SetBounds(216, 186, 161, 475);
    Font().SetName("Arial");
    Font().SetHeight(-11);
    Font().SetColor(clBlack);
    HorzScrollBar().SetVisible(false);
    VertScrollBar().SetVisible(false);

    DesignOutputFrame(this,
                      OutputDesignSizes{.stripWidth = kStripWidth,
                                        .groundHeight = 397,
                                        .checksHeight = 51,
                                        .playbackHeight = 149,
                                        .levelTop = 172,
                                        .routeParentWidth = 139,
                                        .meterLeft = 28},
                      " Peak &Meter");

    btnProgram = DesignRadio(this, pnRouteParent, "btnProgram", 18, " Anwender&programm",
                             " Application Program");
    btnAnaOut =
        DesignRadio(this, pnRouteParent, "btnAnaOut", 35, " Analog &Output", " Analog &Output");
    btnAnaInp =
        DesignRadio(this, pnRouteParent, "btnAnaInp", 52, " &Analog Input", " &Analog Input");
    btnDigInp =
        DesignRadio(this, pnRouteParent, "btnDigInp", 69, " Digital &Input", " Digital &Input");

    pnFormat = new TPanel(this);
    pnFormat->SetName("pnFormat");
    pnFormat->SetParent(pnRouteParent);
    pnFormat->SetBounds(2, 90, 135, 52);
    pnFormat->SetBevelOuter(bvLowered);
    auto* lbFormat = new TExtLabel(this);
    lbFormat->SetName("lbFormat");
    lbFormat->SetParent(pnFormat);
    lbFormat->SetLeft(4);
    lbFormat->SetTop(2);
    lbFormat->SetCaption(" Format:");
    lbFormat->SetCaptionEnglish(" Format:");
    lbFormat->SetCaptionGerman(" Format:");
    btnCons = DesignRadio(this, pnFormat, "btnCons", 16, kConsumerCaption, kConsumerCaption);
    btnProf =
        DesignRadio(this, pnFormat, "btnProf", 33, kProfessionalCaption, kProfessionalCaption);
    btnCons->SetTag(0);
    btnProf->SetTag(1);
}
