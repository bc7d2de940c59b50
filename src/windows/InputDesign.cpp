#include "windows/InputDesign.h"

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"

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

TPanel* DesignHeader(TComponent* owner, TWinControl* parent, TExtLabel*& lbLabel) {
    TPanel* header = DesignPanel(owner, parent, "pnHeader", 0, 0, 141, 19);
    header->SetAlign(alTop);
    lbLabel = DesignExtLabel(owner, header, "lbLabel", 6, 4, "Karte #1", "Card #1");
    return header;
}

RouteGroup DesignRouteGroup(TComponent* owner, TWinControl* parent, int left, int top, int width,
                            int height, int buttonLeft) {
    RouteGroup group{};
    group.panel = DesignPanel(owner, parent, "pnRouteParent", left, top, width, height);
    DesignExtLabel(owner, group.panel, "lbPunch", 4, 2, " Monitor:", " Monitor:");
    group.btnAnaMon = DesignRadio(owner, group.panel, "btnAnaMon", buttonLeft, 18,
                                  " &Analog Ausgang", " &Analog Output");
    group.btnDigMon = DesignRadio(owner, group.panel, "btnDigMon", buttonLeft, 34,
                                  " &Digital Ausgang", " &Digital Output");
    return group;
}

WhenGroup DesignWhenGroup(TComponent* owner, TWinControl* parent, int left, int top, int width,
                          int height) {
    WhenGroup group{};
    group.panel = DesignPanel(owner, parent, "pnWhenToMonParent", left, top, width, height);
    DesignExtLabel(owner, group.panel, "lbWhereToMon", 4, 2, " Aktiv:", " Active:");
    group.btnNever = DesignRadio(owner, group.panel, "btnNever", 12, 18, "&Niemals", "&Never");
    group.btnOnRec =
        DesignRadio(owner, group.panel, "btnOnRec", 12, 32, "bei Au&fnahmen", "while &Record");
    group.btnOnPunch = DesignRadio(owner, group.panel, "btnOnPunch", 12, 50, "bei &Punch Aufnahmen",
                                   "while &Punch Record");
    return group;
}
