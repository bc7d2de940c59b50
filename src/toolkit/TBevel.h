#pragma once
// Bevels: boxes, frames and lines drawn lowered or raised, and spacers.

#include "toolkit/TGraphicControl.h"

enum class TBevelShape {
    bsBox,
    bsFrame,
    bsTopLine,
    bsBottomLine,
    bsLeftLine,
    bsRightLine,
    bsSpacer
};
using enum TBevelShape;
enum class TBevelStyle { bsLowered, bsRaised };
using enum TBevelStyle;

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    const char* ClassName() const override { return "TBevel"; }

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape value);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle value);

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};
