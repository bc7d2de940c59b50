#include "controls/TSlider.h"

#include "toolkit/Convert.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TBevel.h"
#include "toolkit/UserInput.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const char* const kRangeMessage = "Wert für Position liegt außerhalb von Min und Max";

// In doubles, so that bounds far apart cannot overflow.
double FractionOf(int position, int min, int max) {
    if (max == min)
        return 0.0;
    return (static_cast<double>(position) - min) / (static_cast<double>(max) - min);
}

} // namespace

// The knob hands the user's mouse to its slider, which does the dragging.
class TSliderKnob : public TPanel {
public:
    explicit TSliderKnob(TSlider* slider) : TPanel(slider), slider_(slider) {}

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        TPanel::MouseDown(button, shift, x, y);
        slider_->KnobMouseDown(y);
    }
    void MouseMove(TShiftState shift, int x, int y) override {
        TPanel::MouseMove(shift, x, y);
        slider_->KnobMouseMove(y);
    }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
        TPanel::MouseUp(button, shift, x, y);
        slider_->KnobMouseUp();
    }

private:
    TSlider* slider_;
};

// The knob's centre line is part of the knob for the mouse: a press on its rows grabs the knob as
// a press anywhere else on it does. This departs from the classic rule on purpose: there the line,
// a control of its own, took the press, and nothing moved where a user naturally grabs a fader.
class TSliderKnobLine : public TBevel {
public:
    TSliderKnobLine(TPanel* knob, TSlider* slider) : TBevel(knob), slider_(slider) {}

protected:
    // The knob's coordinates are the line's shifted by the line's top.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        TBevel::MouseDown(button, shift, x, y);
        slider_->KnobMouseDown(y + Top());
    }
    void MouseMove(TShiftState shift, int x, int y) override {
        TBevel::MouseMove(shift, x, y);
        slider_->KnobMouseMove(y + Top());
    }
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
        TBevel::MouseUp(button, shift, x, y);
        slider_->KnobMouseUp();
    }

private:
    TSlider* slider_;
};

TSlider::TSlider(TComponent* owner) : TCustomPanel(owner) {
    SetBevelOuter(bvNone);
    SetBevelInner(bvLowered);
    SetCaption("");
    SetColor(clBlack);
    SetBounds(Left(), Top(), 4, 149);

    knob_ = new TSliderKnob(this);
    knob_->SetCaption("");
    knob_->SetBounds(0, 0, 24, 14);
    knob_->SetColor(clSilver);
    knob_->SetBorderStyle(bsSingle);
    knob_->SetBorderWidth(1);
    knob_->SetParentCtl3D(false);
    knob_->SetCtl3D(false);

    knobLine_ = new TSliderKnobLine(knob_, this);
    knobLine_->SetParent(knob_);
    knobLine_->SetShape(bsTopLine);
    knobLine_->SetStyle(bsLowered);
    knobLine_->SetLeft(1);
    knobLine_->SetHeight(2);

    // Travel is first taken without a margin and the margin set last, so the knob starts at 0.
    ComputeTravel();
    offset_ = 0;
    SetBtnHeight(14);
    SetBtnWidth(24);
    SetMin(0);
    SetMax(100);
    SetPosition(0);
    SetMoveRestriction(4);
    SetTabStop(true);
}

TSlider::~TSlider() {
    // The knob sits on another parent; it goes while the slider is still whole.
    FreeAndNil(knob_);
}

TPanel* TSlider::Knob() const {
    return knob_;
}

void TSlider::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    // The knob's parent may free it first (it frees all its children); then the slider has none.
    if (operation == opRemove && component == knob_) {
        knob_ = nullptr;
        knobLine_ = nullptr;
    }
}

void TSlider::SetMin(int value) {
    SetFraction(fraction_);
    min_ = value;
}

void TSlider::SetMax(int value) {
    SetFraction(fraction_);
    max_ = value;
}

void TSlider::SetPosition(int value) {
    if (value < min_ || value > max_)
        throw ERangeError(kRangeMessage);
    position_ = value;
    SetFraction(FractionOf(value, min_, max_));
}

void TSlider::SetBtnHeight(int value) {
    btnHeight_ = value;
    if (!knob_)
        return;
    knob_->SetHeight(value);
    ComputeTravel();
    ApplyFractionToOffset();
    PlaceKnobTop();
    if (knobLine_)
        knobLine_->SetTop((knob_->Height() - 4) / 2);
}

void TSlider::SetBtnWidth(int value) {
    btnWidth_ = value;
    if (!knob_)
        return;
    knob_->SetWidth(value);
    knob_->SetLeft(KnobLeft());
    if (knobLine_)
        knobLine_->SetWidth(knob_->Width() - 5);
}

void TSlider::SetMoveRestriction(int value) {
    moveRestriction_ = value;
    ComputeTravel();
    ApplyFractionToOffset();
    PlaceKnobTop();
}

void TSlider::SetFraction(double fraction) {
    if (Loading())
        return;
    if (!(fraction >= 0.0 && fraction <= 1.0))
        throw ERangeError(kRangeMessage);
    fraction_ = fraction;
    position_ = PositionAtFraction(fraction);
    ApplyFractionToOffset();
    PlaceKnobTop();
    if (OnChange)
        OnChange(this);
}

void TSlider::ComputeTravel() {
    // A groove shorter than its two margins leaves the knob no room rather than a negative one.
    travel_ = std::max(0, Height() - 2 * moveRestriction_);
}

void TSlider::ApplyFractionToOffset() {
    offset_ = RoundHalfEven(travel_ * fraction_);
}

int TSlider::KnobLeft() const {
    return Left() + Width() / 2 - btnWidth_ / 2;
}

int TSlider::KnobTop() const {
    return Top() + Height() - btnHeight_ / 2 - offset_ - moveRestriction_;
}

void TSlider::PlaceKnobTop() {
    if (knob_)
        knob_->SetTop(KnobTop());
}

void TSlider::LayOut() {
    if (!knob_)
        return;
    knob_->SetLeft(KnobLeft());
    knob_->SetParent(Parent());
    ComputeTravel();
    SetFraction(FractionOf(position_, min_, max_));
    if (knobLine_) {
        knobLine_->SetTop((knob_->Height() - 4) / 2);
        knobLine_->SetWidth(knob_->Width() - 5);
    }
    laidOut_ = true;
}

void TSlider::Loaded() {
    TCustomPanel::Loaded();
    LayOut();
}

void TSlider::LayOutForShow() {
    if (!laidOut_)
        LayOut();
}

void TSlider::SetBounds(int left, int top, int width, int height) {
    const bool resized = width != Width() || height != Height();
    TCustomPanel::SetBounds(left, top, 4, height);
    if (resized) {
        ComputeTravel();
        ApplyFractionToOffset();
    }
    // The knob follows the groove wherever it goes.
    if (knob_) {
        knob_->SetLeft(KnobLeft());
        knob_->SetTop(KnobTop());
    }
}

void TSlider::SetParent(TWinControl* parent) {
    TCustomPanel::SetParent(parent);
    // Once placed, the knob stays the slider's sibling wherever the slider goes.
    if (laidOut_ && knob_) {
        knob_->SetParent(parent);
        knob_->SetLeft(KnobLeft());
        knob_->SetTop(KnobTop());
    }
}

TRect TSlider::ShownRect() const {
    TRect shown = BoundsRect();
    if (knob_ && knob_->Parent() == Parent()) {
        const TRect knob = knob_->BoundsRect();
        shown = Rect(std::min(shown.Left, knob.Left), std::min(shown.Top, knob.Top),
                     std::max(shown.Right, knob.Right), std::max(shown.Bottom, knob.Bottom));
    }
    return shown;
}

void TSlider::KnobMouseDown(int y) {
    // The knob sits beside the slider, so the slider's own Enabled does not reach it by parentage.
    if (!Enabled())
        return;
    dragging_ = true;
    dragAnchor_ = y;
}

void TSlider::KnobMouseMove(int y) {
    if (!dragging_)
        return;
    MoveKnobTo(offset_ - (y - dragAnchor_));
}

void TSlider::MoveKnobTo(int offset) {
    SetFraction(FractionAtOffset(offset));
}

double TSlider::FractionAtOffset(int offset) const {
    return travel_ == 0 ? 0.0 : static_cast<double>(std::clamp(offset, 0, travel_)) / travel_;
}

int TSlider::PositionAtFraction(double fraction) const {
    return RoundHalfEven((static_cast<double>(max_) - min_) * fraction + min_);
}

int TSlider::PositionAtOffset(int offset) const {
    return PositionAtFraction(FractionAtOffset(offset));
}

int TSlider::OffsetNearest(int position) const {
    // In doubles, so that bounds far apart cannot overflow.
    auto miss = [&](int offset) {
        return std::abs(static_cast<double>(PositionAtOffset(offset)) - position);
    };
    int best = 0;
    for (int offset = 1; offset <= travel_; ++offset)
        if (miss(offset) < miss(best))
            best = offset;
    return best;
}

void TSlider::KeyDown(WORD& key, TShiftState shift) {
    TCustomPanel::KeyDown(key, shift);
    if (!laidOut_)
        return;
    switch (key) {
    case VK_UP:
        SetScaleValue(std::min(position_ + 1, max_));
        break;
    case VK_DOWN:
        SetScaleValue(std::max(position_ - 1, min_));
        break;
    case VK_PRIOR:
        MoveKnobTo(offset_ + 10);
        break;
    case VK_NEXT:
        MoveKnobTo(offset_ - 10);
        break;
    case VK_HOME:
        MoveKnobTo(travel_);
        break;
    case VK_END:
        MoveKnobTo(0);
        break;
    default:
        return;
    }
    key = 0;
}

void TSlider::KnobMouseUp() {
    dragging_ = false;
}

const TControl* TSlider::ScaleHandle() const {
    return Knob();
}

bool TSlider::SetScaleValue(int value) {
    if (!laidOut_ || !Enabled() || value < min_ || value > max_)
        return false;
    // An unchanged position sends nothing, as a drag that ends where it began.
    if (value != position_)
        SetPosition(value);
    return true;
}
