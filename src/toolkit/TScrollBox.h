#pragma once
// A bordered area whose contents scroll; its bars can be hidden.

#include "toolkit/TScrollingWinControl.h"

class TScrollBox : public TScrollingWinControl {
public:
    explicit TScrollBox(TComponent* owner);
    const char* ClassName() const override { return "TScrollBox"; }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);

protected:
    int FrameClientWidth() const override { return Width() - 2 * BorderSize(); }
    int FrameClientHeight() const override { return Height() - 2 * BorderSize(); }

private:
    // A single border is two pixels with the 3-D look, one without.
    int BorderSize() const { return borderStyle_ == bsSingle ? (Ctl3D() ? 2 : 1) : 0; }

    TFormBorderStyle borderStyle_ = bsSingle;
};
