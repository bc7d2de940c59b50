#include "windows/InputDesign.h"

#include "controls/ExtControls.h"
#include "toolkit/TBevel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "windows/InputWindow.h"

namespace {

template <class T>
void Bilingual(T* control, const std::string& german, const std::string& english) {
    control->SetCaption(german);
    control->SetCaptionEnglish(english);
    control->SetCaptionGerman(german);
}

} // namespace

TPanel* DesignPanel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                    int top, int width, int height) {
    auto* panel = new TPanel(owner);
    panel->SetName(name);
    panel->SetParent(parent);
    panel->SetBounds(left, top, width, height);
    panel->SetBevelOuter(bvNone);
    panel->SetCaption("");
    return panel;
}

TExtLabel* DesignExtLabel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                          int top, const std::string& german, const std::string& english) {
    auto* label = new TExtLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    Bilingual(label, german, english);
    return label;
}

TExtRadioButton* DesignRadio(TComponent* owner, TWinControl* parent, const std::string& name,
                             int left, int top, const std::string& german,
                             const std::string& english) {
    auto* button = new TExtRadioButton(owner);
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(left, top, 125, 15);
    Bilingual(button, german, english);
    return button;
}

TExtCheckBox* DesignDisplayCheck(TComponent* owner, TWinControl* parent, const std::string& name,
                                 int left, int top, const std::string& german,
                                 const std::string& english) {
    auto* box = new TExtCheckBox(owner);
    box->SetName(name);
    box->SetParent(parent);
    box->SetBounds(left, top, 110, 17);
    box->SetTag(-1);
    Bilingual(box, german, english);
    box->SetChecked(true);
    return box;
}

void DesignStripScrollBox(TInputWindow* w, TWinControl* ground, int increment, int margin) {
    w->ScrollBox = new TScrollBox(w);
    w->ScrollBox->SetName("ScrollBox");
    w->ScrollBox->SetParent(ground);
    w->ScrollBox->SetAlign(alClient);
    w->ScrollBox->SetBorderStyle(bsNone);
    w->ScrollBox->VertScrollBar().SetVisible(false);
    w->ScrollBox->HorzScrollBar().SetIncrement(increment);
    w->ScrollBox->HorzScrollBar().SetMargin(margin);
}

void DesignHeader(TInputWindow* w) {
    w->pnHeader = DesignPanel(w, w->ScrollBox, "pnHeader", 0, 0, 141, 19);
    w->pnHeader->SetAlign(alTop);
    w->lbLabel = DesignExtLabel(w, w->pnHeader, "lbLabel", 6, 4, "Karte #1", "Card #1");
}

void DesignRouteGroup(TInputWindow* w, TWinControl* parent, int left, int top, int width,
                      int height, int buttonLeft) {
    w->pnRouteParent = DesignPanel(w, parent, "pnRouteParent", left, top, width, height);
    DesignExtLabel(w, w->pnRouteParent, "lbPunch", 4, 2, " Monitor:", " Monitor:");
    w->btnAnaMon = DesignRadio(w, w->pnRouteParent, "btnAnaMon", buttonLeft, 18, " &Analog Ausgang",
                               " &Analog Output");
    w->btnDigMon = DesignRadio(w, w->pnRouteParent, "btnDigMon", buttonLeft, 34,
                               " &Digital Ausgang", " &Digital Output");
}

void DesignWhenGroup(TInputWindow* w, TWinControl* parent, int left, int top, int width,
                     int height) {
    TPanel* group = DesignPanel(w, parent, "pnWhenToMonParent", left, top, width, height);
    w->pnWhenToMonParent = group;
    DesignExtLabel(w, group, "lbWhereToMon", 4, 2, " Aktiv:", " Active:");
    w->btnNever = DesignRadio(w, group, "btnNever", 12, 18, "&Niemals", "&Never");
    w->btnOnRec = DesignRadio(w, group, "btnOnRec", 12, 32, "bei Au&fnahmen", "while &Record");
    w->btnOnPunch =
        DesignRadio(w, group, "btnOnPunch", 12, 50, "bei &Punch Aufnahmen", "while &Punch Record");
}

void DesignBottomLine(TInputWindow* w, TWinControl* parent, int height) {
    w->bvLine = new TBevel(w);
    w->bvLine->SetName("bvLine");
    w->bvLine->SetParent(parent);
    w->bvLine->SetAlign(alBottom);
    w->bvLine->SetHeight(height);
    w->bvLine->SetShape(bsBottomLine);
}
