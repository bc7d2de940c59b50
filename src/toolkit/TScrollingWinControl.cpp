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
    // Children aligned along the bar stretch over the whole range and so do not measure it;
    // those stacked at the far end (right or bottom) add their extent to it.
    const bool horizontal = kind_ == sbHorizontal;
    const TAlign nearSide = horizontal ? alLeft : alTop;
    const TAlign farSide = horizontal ? alRight : alBottom;
    int extent = 0;
    int alignMargin = 0;
    for (int i = 0; i < control_.ControlCount(); ++i) {
        TControl* c = control_.Controls(i);
        if (!c->Visible())
            continue;
        if (c->Align() == farSide) {
            alignMargin += horizontal ? c->Width() : c->Height();
        } else if (c->Align() == alNone || c->Align() == nearSide) {
            // Children sit shifted by the current position; the range is in unscrolled
            // coordinates.
            const int edge = horizontal ? c->Left() + c->Width() : c->Top() + c->Height();
            extent = std::max(extent, edge + position_);
        }
    }
    extent += alignMargin;
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

void TControlScrollBar::Scroll(TScrollCode code, int pos) {
    const int page = kind_ == sbHorizontal ? control_.ClientWidth() : control_.ClientHeight();
    switch (code) {
    case scLineUp:
        SetPosition(position_ - increment_);
        break;
    case scLineDown:
        SetPosition(position_ + increment_);
        break;
    case scPageUp:
        SetPosition(position_ - page);
        break;
    case scPageDown:
        SetPosition(position_ + page);
        break;
    case scTrack:
        if (tracking_)
            SetPosition(pos);
        break;
    case scPosition:
        SetPosition(pos);
        break;
    case scTop:
        SetPosition(0);
        break;
    case scBottom:
        SetPosition(MaxPosition());
        break;
    }
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
    TAlignHold hold(this);
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    // Aligned children are placed again from the bars' positions as the alignment resumes.
    hold.Release();
    Invalidate();
}

void TScrollingWinControl::AdjustClientRect(TRect& rect) const {
    // Aligned children share the whole scrolled area, so they scroll with the rest. A hidden
    // bar never scrolls: along it they keep to the client area.
    if (horz_.Visible()) {
        rect.Left = -horz_.position_;
        rect.Right = rect.Left + std::max(horz_.Range(), ClientWidth());
    }
    if (vert_.Visible()) {
        rect.Top = -vert_.position_;
        rect.Bottom = rect.Top + std::max(vert_.Range(), ClientHeight());
    }
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
    // Contents that shrank leave the position inside the new range.
    horz_.SetPosition(horz_.position_);
    vert_.SetPosition(vert_.position_);
    TWinControl::AlignControls(control, rect);
}

void TScrollingWinControl::ScrollInView(TControl* control) {
    if (!control || control == this || !ContainsControl(control))
        return;
    // The control's place in this control's client area, through the containers between.
    const TRect shown = control->ShownRect();
    int left = shown.Left, top = shown.Top;
    for (const TControl* c = control->Parent(); c != this; c = c->Parent()) {
        left += c->Left();
        top += c->Top();
    }
    if (left < 0)
        horz_.SetPosition(horz_.position_ + left);
    else if (left + shown.Width() > ClientWidth())
        horz_.SetPosition(horz_.position_ + left + shown.Width() - ClientWidth());
    if (top < 0)
        vert_.SetPosition(vert_.position_ + top);
    else if (top + shown.Height() > ClientHeight())
        vert_.SetPosition(vert_.position_ + top + shown.Height() - ClientHeight());
}

int TScrollingWinControl::ClientWidth() const {
    return FrameClientWidth() - (vert_.IsScrollBarShowing() ? TControlScrollBar::kBarSize : 0);
}

int TScrollingWinControl::ClientHeight() const {
    return FrameClientHeight() - (horz_.IsScrollBarShowing() ? TControlScrollBar::kBarSize : 0);
}
