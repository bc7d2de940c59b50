#pragma once
// The vertical fader: a thin dark groove (the slider itself) and a knob panel that the user drags
// along it. The knob lives on the slider's parent, over the groove, and carries a line marking its
// centre. The knob's pixel offset above its lowest place maps to an integer Position between Min
// (knob at the bottom) and Max (knob at the top); every repositioning raises OnChange.
//
// While the slider is being read from a window description nothing is positioned, so properties
// may arrive in any order; the layout after loading (or, for a slider made in code, when its
// window is shown) places the knob and raises OnChange once.

#include "toolkit/AccessibleScale.h"
#include "toolkit/TPanel.h"

#include <string>

class TBevel;
class TCheckBox;
class TSliderKnob;
class TSliderKnobLine;

class TSlider : public TCustomPanel, public AccessibleScale {
public:
    explicit TSlider(TComponent* owner);
    ~TSlider() override;
    const char* ClassName() const override { return "TSlider"; }

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    // Raises ERangeError outside Min .. Max and then changes nothing.
    void SetPosition(int value);
    int BtnHeight() const { return btnHeight_; }
    void SetBtnHeight(int value);
    int BtnWidth() const { return btnWidth_; }
    void SetBtnWidth(int value);
    int MoveRestriction() const { return moveRestriction_; }
    void SetMoveRestriction(int value);

    // Kept for the owner (its channel index and its coupling box); the slider never reads them.
    int Number() const { return number_; }
    void SetNumber(int value) { number_ = value; }
    TCheckBox* LinkCheck() const { return linkCheck_; }
    void SetLinkCheck(TCheckBox* box) { linkCheck_ = box; }

    TNotifyEvent OnChange;

    // The relative position, 0.0 (Min) to 1.0 (Max); raises ERangeError outside that range.
    // Raises OnChange on every call, also when Position stays the same.
    void SetFraction(double fraction);
    double Fraction() const { return fraction_; }

    // The knob panel and its centre line (owned by the slider).
    TPanel* Knob() const;
    TBevel* KnobLine() const { return knobLine_; }
    // The distance in pixels the knob may move, and its current distance from its lowest place.
    int Travel() const { return travel_; }
    int Offset() const { return offset_; }
    // The position a drag to `offset` gives, and the lowest offset whose position comes nearest
    // `position`: on a short groove not every position can be reached.
    int PositionAtOffset(int offset) const;
    int OffsetNearest(int position) const;
    bool LaidOut() const { return laidOut_; }
    bool Dragging() const { return dragging_; }

    // The width is always 4: a resize to any other width comes back to it.
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    // The groove and the knob over it.
    TRect ShownRect() const override;

    // A Tab stop for the keyboard. Up and Down step the position by one (the knob to the pixel
    // nearest it), so no key is lost where a pixel spans two positions or two pixels one. Prior and
    // Next move the knob by ten pixels, Home to the top, End to the bottom, each exactly as a drag
    // to the same place does.
    bool AcceptsFocus() const override { return true; }
    void KeyDown(WORD& key, TShiftState shift) override;

    // Read out as a fader; assistive technology sets the position exactly, as the arrow keys do.
    Kind ScaleKind() const override { return Kind::Fader; }
    int ScaleMinimum() const override { return min_; }
    int ScaleMaximum() const override { return max_; }
    int ScaleValue() const override { return position_; }
    std::string ScaleText() const override { return std::to_string(position_); }
    const TControl* ScaleHandle() const override;
    bool SetScaleValue(int value) override;

protected:
    void Loaded() override;
    void LayOutForShow() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TSliderKnob;
    friend class TSliderKnobLine;
    void LayOut();
    void ComputeTravel();
    void ApplyFractionToOffset();
    int KnobLeft() const;
    int KnobTop() const;
    void PlaceKnobTop();
    void KnobMouseDown(int y);
    void KnobMouseMove(int y);
    void KnobMouseUp();
    void MoveKnobTo(int offset);
    double FractionAtOffset(int offset) const;
    int PositionAtFraction(double fraction) const;

    TSliderKnob* knob_ = nullptr;
    TBevel* knobLine_ = nullptr;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int btnHeight_ = 14;
    int btnWidth_ = 24;
    int moveRestriction_ = 0;
    int number_ = 0;
    TCheckBox* linkCheck_ = nullptr;
    int travel_ = 0;
    int offset_ = 0;
    double fraction_ = 0.0;
    bool dragging_ = false;
    int dragAnchor_ = 0;
    bool laidOut_ = false;
};
