#pragma once
// Speed buttons: flat tool buttons that can stay down. A button with a GroupIndex belongs to the
// group of that index under its parent: one of them is down at a time, and with AllowAllUp all may
// be up. Setting Down from code runs no reaction. Releasing the mouse over the button toggles it by
// the rule and then runs OnClick. Subclasses may override Down/SetDown and the release handling.

#include "toolkit/TGraphicControl.h"

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using enum TButtonLayout;

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    const char* ClassName() const override { return "TSpeedButton"; }

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    virtual bool Down() const { return down_; }
    virtual void SetDown(bool value) { SetDownByRule(value); }
    // The plain rule, whatever a subclass does in SetDown: a button without group is never down;
    // a down button goes up only with AllowAllUp; going down releases the rest of the group.
    void SetDownByRule(bool value);

    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return margin_; }
    void SetMargin(int value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    // Held down by the mouse right now (drawn pressed).
    bool Pressed() const { return pressed_; }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void UpdateExclusive();
    void Look();

    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool down_ = false;
    bool flat_ = false;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    int numGlyphs_ = 1;
    bool pressed_ = false;
    bool dragging_ = false;
};
