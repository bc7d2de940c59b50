#include "toolkit/TScrollingWinControl.h"

#include <algorithm>

void TControlScrollBar::SetVisible(bool value) {
    if (value == visible_)
        return;
    visible_ = value;
    if (!value)
        SetPosition(0);
    control_.Realign();
}

void TControlScrollBar::SetMargin(int value) {
    margin_ = std::max(0, value);
    SetPosition(position_);
}

int TControlScrollBar::Range() const {
    int extent = 0;
    for (int i = 0; i < control_.ControlCount(); ++i) {
        TControl* c = control_.Controls(i);
        if (!c->Visible() || c->Align() != alNone)
            continue;
        // Children sit shifted by the current position; the range is in unscrolled coordinates.
        int edge = kind_ == sbHorizontal ? c->Left() + c->Width() + position_
                                         : c->Top() + c->Height() + position_;
        extent = std::max(extent, edge);
    }
    return extent > 0 ? extent + margin_ : 0;
}

int TControlScrollBar::MaxPosition() const {
    int client = kind_ == sbHorizontal ? control_.FrameClientWidth() : control_.FrameClientHeight();
    return std::max(0, Range() - client);
}

bool TControlScrollBar::IsScrollBarShowing() const {
    return visible_ && MaxPosition() > 0;
}

void TControlScrollBar::SetPosition(int value) {
    value = std::clamp(value, 0, visible_ ? MaxPosition() : 0);
    int delta = value - position_;
    if (delta == 0)
        return;
    position_ = value;
    if (kind_ == sbHorizontal)
        control_.ScrollBy(-delta, 0);
    else
        control_.ScrollBy(0, -delta);
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() == alNone)
            c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    EnableAlign();
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
    if (!control || control->Parent() != this)
        return;
    if (control->Left() < 0)
        horz_.SetPosition(horz_.position_ + control->Left());
    else if (control->Left() + control->Width() > ClientWidth())
        horz_.SetPosition(horz_.position_ + control->Left() + control->Width() - ClientWidth());
    if (control->Top() < 0)
        vert_.SetPosition(vert_.position_ + control->Top());
    else if (control->Top() + control->Height() > ClientHeight())
        vert_.SetPosition(vert_.position_ + control->Top() + control->Height() - ClientHeight());
}

int TScrollingWinControl::ClientWidth() const {
    return FrameClientWidth() - (vert_.IsScrollBarShowing() ? TControlScrollBar::kBarSize : 0);
}

int TScrollingWinControl::ClientHeight() const {
    return FrameClientHeight() - (horz_.IsScrollBarShowing() ? TControlScrollBar::kBarSize : 0);
}
