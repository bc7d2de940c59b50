#include "toolkit/TTrackBar.h"

#include "toolkit/Exceptions.h"

#include <algorithm>

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
}

void TTrackBar::SetMin(int value) {
    if (value == min_)
        return;
    if (!Loading() && value > max_)
        throw EInvalidOperation("TTrackBar: Min darf nicht größer als Max sein");
    min_ = value;
    Changed(TControlProperty::Style);
    Apply(position_);
}

void TTrackBar::SetMax(int value) {
    if (value == max_)
        return;
    if (!Loading() && value < min_)
        throw EInvalidOperation("TTrackBar: Max darf nicht kleiner als Min sein");
    max_ = value;
    Changed(TControlProperty::Style);
    Apply(position_);
}

void TTrackBar::SetPosition(int value) {
    Apply(value);
}

void TTrackBar::KeyDown(WORD& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        SetPosition(position_ - lineSize_);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetPosition(position_ + lineSize_);
        break;
    case VK_PRIOR:
        SetPosition(position_ - pageSize_);
        break;
    case VK_NEXT:
        SetPosition(position_ + pageSize_);
        break;
    case VK_HOME:
        SetPosition(min_);
        break;
    case VK_END:
        SetPosition(max_);
        break;
    default:
        return;
    }
    key = 0;
}

void TTrackBar::Apply(int position) {
    // While loading the bounds may arrive after the position; clamping waits for Loaded().
    if (!Loading())
        position = std::clamp(position, min_, std::max(min_, max_));
    if (position == position_)
        return;
    position_ = position;
    Changed(TControlProperty::State);
    if (Reacting())
        Change();
}

void TTrackBar::Loaded() {
    TWinControl::Loaded();
    if (max_ < min_)
        max_ = min_;
    Apply(position_);
}

void TTrackBar::SetFrequency(int value) {
    if (value != frequency_) {
        frequency_ = value;
        Changed(TControlProperty::Style);
    }
}

void TTrackBar::SetOrientation(TTrackBarOrientation value) {
    if (value != orientation_) {
        orientation_ = value;
        Changed(TControlProperty::Style);
    }
}

void TTrackBar::SetTickMarks(TTickMark value) {
    if (value != tickMarks_) {
        tickMarks_ = value;
        Changed(TControlProperty::Style);
    }
}

void TTrackBar::SetTickStyle(TTickStyle value) {
    if (value != tickStyle_) {
        tickStyle_ = value;
        Changed(TControlProperty::Style);
    }
}

void TTrackBar::SetTick(int value) {
    manualTicks_.push_back(value);
    Changed(TControlProperty::Style);
}

void TTrackBar::ClearTicks() {
    manualTicks_.clear();
    Changed(TControlProperty::Style);
}

std::vector<int> TTrackBar::Ticks() const {
    std::vector<int> ticks;
    if (tickStyle_ == tsNone)
        return ticks;
    if (tickStyle_ == tsAuto && frequency_ > 0) {
        for (int p = min_; p < max_; p += frequency_)
            ticks.push_back(p);
    } else {
        ticks.push_back(min_);
        for (int t : manualTicks_)
            if (t > min_ && t < max_)
                ticks.push_back(t);
    }
    ticks.push_back(max_);
    std::sort(ticks.begin(), ticks.end());
    ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
    return ticks;
}

void TTrackBar::Change() {
    if (OnChange)
        OnChange(this);
}
