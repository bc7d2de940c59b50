// The designed layout of the analog output window: its controls and their properties, nothing
// computed.

#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "windows/AnalogOut.h"
#include "windows/OutputDesign.h"

#include <string>

namespace {

TExtRadioButton* DesignRoute(TfrmAnalogOut* w, TWinControl* parent, const std::string& name,
                             int left, int top, int width, const std::string& german,
                             const std::string& english) {
    auto* button = new TExtRadioButton(w);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(left, top, width, 17);
    button->SetCaption(german);
    button->SetCaptionEnglish(english);
    button->SetCaptionGerman(german);
    return button;
}

void DesignRowLabel(TfrmAnalogOut* w, const std::string& name, int top, const std::string& text) {
    auto* label = new TLabel(w);
    label->SetName(name);
    label->SetParent(w->grpAdat);
    label->SetLeft(6);
    label->SetTop(top);
    label->SetCaption(text);
}

} // namespace

void TfrmAnalogOut::Design() {
    SetName("frmAnalogOut");
    SetCaption("Analog Output");
    SetBounds(8, 186, 205, 486);
    Font().SetName("Arial");
    Font().SetHeight(-11);
    Font().SetColor(clBlack);
    HorzScrollBar().SetVisible(false);
    VertScrollBar().SetVisible(false);

    DesignOutputFrame(this,
                      OutputDesignSizes{.stripWidth = kStripWidth,
                                        .groundHeight = 409,
                                        .checksHeight = 50,
                                        .playbackHeight = 156,
                                        .levelTop = 180,
                                        .routeParentWidth = 183,
                                        .meterLeft = 50},
                      " &Peak &Meter");

    btnProgram = DesignRoute(this, pnRouteParent, "btnProgram", 6, 18, 170, " Anwender&programm",
                             " Application &Program");
    btnDigOut = DesignRoute(this, pnRouteParent, "btnDigOut", 6, 35, 170, " Di&gital Output",
                            " Di&gital Output");
    btnAnaInp = DesignRoute(this, pnRouteParent, "btnAnaInp", 6, 52, 170, " &Analog Input",
                            " &Analog Input");
    btnDigInp = DesignRoute(this, pnRouteParent, "btnDigInp", 6, 69, 170, " Digital &Input",
                            " Digital &Input");

    // The group box's title place is taken by btnAdatInp, which lies over it in pnRouteParent,
    // so that it belongs to the card's route buttons.
    grpAdat = new TExtGroupBox(this);
    grpAdat->SetName("grpAdat");
    grpAdat->SetParent(pnRouteParent);
    grpAdat->SetBounds(4, 90, 175, 60);
    grpAdat->SetCaption("");
    DesignRowLabel(this, "lbAdatLeft", 18, "L:");
    DesignRowLabel(this, "lbAdatRight", 38, "R:");
    for (int i = 0; i < 16; ++i) {
        const bool right = i >= 8;
        const int channel = i % 8;
        auto* button = new TExtSpeedButton(this);
        button->SetName("SpeedButton" + std::to_string(i + 1));
        button->SetParent(grpAdat);
        button->SetBounds(22 + 18 * channel, right ? 36 : 16, 18, 18);
        button->SetCaption(std::to_string(channel + 1));
        button->SetTag(right ? 0x10000 + channel : channel);
        button->SetGroupIndex(right ? 2 : 1);
        button->SetDown(channel == (right ? 1 : 0));
        SpeedButton[i] = button;
    }
    btnAdatInp =
        DesignRoute(this, pnRouteParent, "btnAdatInp", 10, 88, 90, " A&dat Input", " A&dat Input");
}
