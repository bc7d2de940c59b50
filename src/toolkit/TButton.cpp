#include "toolkit/TButton.h"

#include "toolkit/TForm.h"

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetParentColor(false);
}

void TButton::SetDefault(bool value) {
    if (value == default_)
        return;
    default_ = value;
    Changed(TControlProperty::Style);
}

void TButton::Click() {
    if (auto* form = GetParentForm(this))
        form->SetModalResult(modalResult_);
    TWinControl::Click();
}
