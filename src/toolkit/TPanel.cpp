#include "toolkit/TPanel.h"

#include <algorithm>

TCustomPanel::TCustomPanel(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
    SetParentColor(false);
}

void TCustomPanel::StyleChanged() {
    Changed(TControlProperty::Style);
    Invalidate();
    Realign();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
    if (value != bevelInner_) {
        bevelInner_ = value;
        StyleChanged();
    }
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
    if (value != bevelOuter_) {
        bevelOuter_ = value;
        StyleChanged();
    }
}

void TCustomPanel::SetBevelWidth(int value) {
    value = std::max(1, value);
    if (value != bevelWidth_) {
        bevelWidth_ = value;
        StyleChanged();
    }
}

void TCustomPanel::SetBorderWidth(int value) {
    value = std::max(0, value);
    if (value != borderWidth_) {
        borderWidth_ = value;
        StyleChanged();
    }
}

void TCustomPanel::SetBorderStyle(TFormBorderStyle value) {
    if (value != borderStyle_) {
        borderStyle_ = value;
        StyleChanged();
    }
}

void TCustomPanel::SetAlignment(TAlignment value) {
    if (value != alignment_) {
        alignment_ = value;
        Changed(TControlProperty::Style);
        Invalidate();
    }
}

void TCustomPanel::AdjustClientRect(TRect& rect) const {
    int inset = borderWidth_;
    if (bevelOuter_ != bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != bvNone)
        inset += bevelWidth_;
    // A single border line takes one pixel, two with the 3-D look.
    if (borderStyle_ == bsSingle)
        inset += Ctl3D() ? 2 : 1;
    rect.Left += inset;
    rect.Top += inset;
    rect.Right -= inset;
    rect.Bottom -= inset;
}
