#pragma once
// A windowed control whose contents can be larger than its client area: forms and scroll boxes.
// A visible bar appears when the contents (the children and the margin) exceed the area; it then
// takes its classic 16 pixels off the client area. Aligned children are laid out over the whole
// scrolled area and scroll with the others.

#include "toolkit/TWinControl.h"

class TScrollingWinControl;

enum class TScrollBarKind { sbHorizontal, sbVertical };
using enum TScrollBarKind;

// What the user did on a bar: an arrow (a line), the track (a page), the thumb moved (scTrack)
// or let go (scPosition), or a jump to either end.
enum class TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scTrack,
    scPosition,
    scTop,
    scBottom
};
using enum TScrollCode;

class TControlScrollBar {
public:
    TControlScrollBar(TScrollingWinControl& control, TScrollBarKind kind)
        : control_(control), kind_(kind) {}

    TScrollBarKind Kind() const { return kind_; }
    TScrollingWinControl& Control() const { return control_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value; }
    int Margin() const { return margin_; }
    void SetMargin(int value);
    // The contents' extent: the farthest edge of a visible child that is not aligned, or aligned
    // to the near side (left, top), plus the children aligned to the far side, plus the margin.
    int Range() const;
    int Position() const { return position_; }
    // Scrolls the contents; clamped to 0 .. Range − the client extent.
    void SetPosition(int value);
    int MaxPosition() const;
    // A bar shows when it is visible and the contents do not fit.
    bool IsScrollBarShowing() const;
    // With tracking the contents follow the thumb while it is dragged; without, they move when
    // it is let go.
    bool Tracking() const { return tracking_; }
    void SetTracking(bool value) { tracking_ = value; }
    // The user's action on the bar: a line is the increment, a page the client extent; `pos` is
    // the thumb's position for scTrack and scPosition.
    void Scroll(TScrollCode code, int pos = 0);

    static constexpr int kBarSize = 16;

private:
    friend class TScrollingWinControl;
    TScrollingWinControl& control_;
    TScrollBarKind kind_;
    bool visible_ = true;
    int increment_ = 8;
    int margin_ = 0;
    int position_ = 0;
    bool tracking_ = false;
};

class TScrollingWinControl : public TWinControl {
public:
    explicit TScrollingWinControl(TComponent* owner);
    const char* ClassName() const override { return "TScrollingWinControl"; }

    TControlScrollBar& HorzScrollBar() { return horz_; }
    TControlScrollBar& VertScrollBar() { return vert_; }
    const TControlScrollBar& HorzScrollBar() const { return horz_; }
    const TControlScrollBar& VertScrollBar() const { return vert_; }

    // Moves every child by dx, dy (the contents scroll the other way round from the bar); the
    // aligned ones are then placed again from the bars' positions.
    void ScrollBy(int dx, int dy);
    // Scrolls so that a control inside (at any depth) lies inside the client area.
    void ScrollInView(TControl* control);

    int ClientWidth() const override;
    int ClientHeight() const override;
    void AdjustClientRect(TRect& rect) const override;

protected:
    void AlignControls(TControl* control, TRect& rect) override;
    // The client area before any scroll bar takes its room.
    virtual int FrameClientWidth() const { return Width(); }
    virtual int FrameClientHeight() const { return Height(); }

private:
    friend class TControlScrollBar;
    TControlScrollBar horz_{*this, sbHorizontal};
    TControlScrollBar vert_{*this, sbVertical};
};
