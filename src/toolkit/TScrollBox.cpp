#include "toolkit/TScrollBox.h"

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
    SetBounds(0, 0, 185, 41);
    SetParentColor(true);
}

void TScrollBox::SetBorderStyle(TFormBorderStyle value) {
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    Changed(TControlProperty::Style);
    Realign();
}
