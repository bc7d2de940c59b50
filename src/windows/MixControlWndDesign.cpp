// The designed layout of the mixer control window: its panels and bilingual check boxes with
// their places, tags and captions, nothing computed.

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "windows/MixControlWnd.h"

namespace {

TPanel* RaisedPanel(TComponent* owner, TWinControl* parent, const char* name, TAlign align,
                    int height) {
    auto* panel = new TPanel(owner);
    panel->SetName(name);
    panel->SetParent(parent);
    panel->SetAlign(align);
    panel->SetHeight(height);
    panel->SetBevelInner(bvRaised);
    panel->SetBevelOuter(bvLowered);
    return panel;
}

TExtCheckBox* Box(TComponent* owner, TWinControl* parent, const char* name, TRect bounds,
                  std::int32_t tag, const char* german, const char* english) {
    auto* box = new TExtCheckBox(owner);
    box->SetName(name);
    box->SetParent(parent);
    box->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    box->SetTag(tag);
    box->SetCaption(german);
    box->SetCaptionEnglish(english);
    box->SetCaptionGerman(german);
    return box;
}

} // namespace

void TMixControlWnd::Design() {
    SetName("MixControlWnd");
    SetCaption("MixControlWnd");
    // Declared a multi-document frame, but it hosts no documents: the channel windows are
    // top-level windows of their own that it owns.
    SetFormStyle(fsMDIForm);
    SetBounds(0, 0, kFixedWidth, kFixedHeight);
    Font().SetName("Arial");
    Font().SetHeight(-11);

    // Component order matters: closing the hub unticks the boxes in this order, the six window
    // boxes first, then always-on-top, then the settings.
    Panel1 = RaisedPanel(this, this, "Panel1", alTop, 117);
    chkAnalogInputs = Box(this, Panel1, "chkAnalogInputs", Bounds(8, 4, 100, 17), -1,
                          " Analog Inputs", " Analog Inputs");
    chkDigitalInputs = Box(this, Panel1, "chkDigitalInputs", Bounds(8, 21, 100, 17), -1,
                           " Digital Inputs", " Digital Inputs");
    chkAdatInputs = Box(this, Panel1, "chkAdatInputs", Bounds(8, 38, 100, 17), -1, " ADAT Inputs",
                        " ADAT Inputs");
    chkAnalogOutputs = Box(this, Panel1, "chkAnalogOutputs", Bounds(8, 59, 100, 17), -1,
                           " Analog Outputs", " Analog Outputs");
    chkDigitalOutputs = Box(this, Panel1, "chkDigitalOutputs", Bounds(8, 76, 100, 17), -1,
                            " Digital Outputs", " Digital Outputs");
    chkAdatOutputs = Box(this, Panel1, "chkAdatOutputs", Bounds(8, 92, 100, 17), -1,
                         " ADAT Outputs", " ADAT Outputs");

    Panel2 = RaisedPanel(this, this, "Panel2", alBottom, 27);
    chkStayOnTop = Box(this, Panel2, "chkStayOnTop", Bounds(8, 6, 129, 17), -1,
                       " Immer im &Vordergrund", " Always On &Top");

    Panel3 = RaisedPanel(this, this, "Panel3", alClient, 29);
    chkSettings =
        Box(this, Panel3, "chkSettings", Bounds(8, 8, 97, 14), 0, " &Einstellungen", " &Settings");
}
