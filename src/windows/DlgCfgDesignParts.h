#pragma once
// Building blocks of the settings dialog's designed layout: the light grey panels with a blue
// title, grouping panels for radio groups, and bilingual controls placed, named and captioned in
// one call. A control with one caption carries it in both languages.

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"

#include <string>

namespace dlgcfg_design {

inline void Place(TControl* control, TWinControl* parent, const std::string& name, TRect bounds) {
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
}

template <class T>
T* Captioned(TComponent* owner, TWinControl* parent, const std::string& name, TRect bounds,
             const std::string& german, const std::string& english) {
    auto* control = new T(owner);
    Place(control, parent, name, bounds);
    control->SetCaption(german);
    control->SetCaptionEnglish(english);
    control->SetCaptionGerman(german);
    return control;
}

template <class T>
T* Captioned(TComponent* owner, TWinControl* parent, const std::string& name, TRect bounds,
             const std::string& caption) {
    return Captioned<T>(owner, parent, name, bounds, caption, caption);
}

// A light grey panel with a lowered bevel.
inline TPanel* GreyPanel(TComponent* owner, TWinControl* parent, const std::string& name,
                         TRect bounds) {
    auto* panel = new TPanel(owner);
    Place(panel, parent, name, bounds);
    panel->SetBevelOuter(bvLowered);
    panel->SetColor(0xE1E1E1);
    return panel;
}

// A borderless panel that holds one radio group.
inline TPanel* GroupPanel(TComponent* owner, TWinControl* parent, const std::string& name,
                          TRect bounds) {
    auto* panel = new TPanel(owner);
    Place(panel, parent, name, bounds);
    panel->SetBevelOuter(bvNone);
    panel->SetParentColor(true);
    return panel;
}

// A panel's title in blue.
inline TExtLabel* Title(TComponent* owner, TWinControl* parent, const std::string& name,
                        TRect bounds, const std::string& german, const std::string& english) {
    auto* label = Captioned<TExtLabel>(owner, parent, name, bounds, german, english);
    label->Font().SetColor(clBlue);
    return label;
}

} // namespace dlgcfg_design
