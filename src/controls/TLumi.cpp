#include "controls/TLumi.h"

TLumi::TLumi(TComponent* owner) : TShape(owner) {
    SetBounds(0, 0, 16, 6);
    SetBrushColor(colorOff_);
    SetPenColor(clBlack);
}

void TLumi::SetOn(bool value) {
    if (value == on_)
        return;
    SetBrushColor(value ? colorOn_ : colorOff_);
    on_ = value;
}
