#include "toolkit/TGroupBox.h"

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) const {
    rect.Top += TextMetrics().TextHeight(Font());
    const int frame = Ctl3D() ? 2 : 1;
    rect.Left += frame;
    rect.Top += frame;
    rect.Right -= frame;
    rect.Bottom -= frame;
}
