#include "toolkit/TComboBox.h"

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
    items_.OnChange = [this] {
        if (itemIndex_ >= items_.Count())
            SetItemIndex(-1);
        else if (itemIndex_ >= 0)
            TWinControl::SetText(items_[itemIndex_]);
        Changed(TControlProperty::Items);
    };
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= items_.Count())
        index = -1;
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    TWinControl::SetText(index >= 0 ? items_[index] : std::string());
    Changed(TControlProperty::State);
}

void TComboBox::SelectByUser(int index) {
    SetItemIndex(index);
    Click();
    if (OnChange)
        OnChange(this);
}
