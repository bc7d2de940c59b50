#include "toolkit/TCheckBox.h"

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
}

void TCheckBox::SetChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    Changed(TControlProperty::State);
    if (Reacting())
        Click();
}

void TCheckBox::SetAlignment(TAlignment value) {
    if (value != alignment_) {
        alignment_ = value;
        Changed(TControlProperty::Style);
    }
}
