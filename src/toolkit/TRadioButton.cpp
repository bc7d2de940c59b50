#include "toolkit/TRadioButton.h"

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 113, 17);
    SetParentColor(true);
}

void TRadioButton::SetChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    SetTabStop(value);
    Changed(TControlProperty::State);
    if (!value)
        return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
                sibling && sibling != this && sibling->checked_) {
                sibling->checked_ = false;
                sibling->SetTabStop(false);
                sibling->Changed(TControlProperty::State);
            }
    if (Reacting())
        Click();
}

void TRadioButton::SetAlignment(TAlignment value) {
    if (value != alignment_) {
        alignment_ = value;
        Changed(TControlProperty::Style);
    }
}
