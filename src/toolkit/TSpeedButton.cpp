#include "toolkit/TSpeedButton.h"

#include "toolkit/TWinControl.h"

#include <algorithm>

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 23, 22);
    controlStyle_ = csDoubleClicks; // the button runs its own click on release
    SetParentColor(true);
}

void TSpeedButton::Look() {
    Changed(TControlProperty::Style);
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int value) {
    if (value != groupIndex_) {
        groupIndex_ = value;
        UpdateExclusive();
    }
}

void TSpeedButton::SetAllowAllUp(bool value) {
    if (value != allowAllUp_) {
        allowAllUp_ = value;
        UpdateExclusive();
    }
}

void TSpeedButton::SetDownByRule(bool value) {
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    Changed(TControlProperty::State);
    Invalidate();
    if (value)
        UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    TWinControl* parent = Parent();
    if (groupIndex_ == 0 || !parent)
        return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(parent->Controls(i));
        if (!other || other == this || other->groupIndex_ != groupIndex_)
            continue;
        if (down_ && other->down_) {
            other->down_ = false;
            other->Changed(TControlProperty::State);
            other->Invalidate();
        }
        // classic behaviour: the group shares the AllowAllUp of the button that changed last.
        other->allowAllUp_ = allowAllUp_;
    }
}

void TSpeedButton::SetFlat(bool value) {
    if (value != flat_) {
        flat_ = value;
        Look();
    }
}

void TSpeedButton::SetLayout(TButtonLayout value) {
    if (value != layout_) {
        layout_ = value;
        Look();
    }
}

void TSpeedButton::SetMargin(int value) {
    value = std::max(-1, value);
    if (value != margin_) {
        margin_ = value;
        Look();
    }
}

void TSpeedButton::SetSpacing(int value) {
    if (value != spacing_) {
        spacing_ = value;
        Look();
    }
}

void TSpeedButton::SetNumGlyphs(int value) {
    value = std::clamp(value, 1, 4);
    if (value != numGlyphs_) {
        numGlyphs_ = value;
        Look();
    }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled()) {
        if (!down_) {
            pressed_ = true;
            Invalidate();
        }
        dragging_ = true;
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!dragging_)
        return;
    dragging_ = false;
    pressed_ = false;
    const bool doClick = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
    if (groupIndex_ != 0 && doClick)
        SetDownByRule(!down_);
    Invalidate();
    if (doClick)
        Click();
}
