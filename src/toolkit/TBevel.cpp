#include "toolkit/TBevel.h"

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 50, 50);
    controlStyle_ = 0;
}

void TBevel::SetShape(TBevelShape value) {
    if (value != shape_) {
        shape_ = value;
        Changed(TControlProperty::Style);
        Invalidate();
    }
}

void TBevel::SetStyle(TBevelStyle value) {
    if (value != style_) {
        style_ = value;
        Changed(TControlProperty::Style);
        Invalidate();
    }
}
