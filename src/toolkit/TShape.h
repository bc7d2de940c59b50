#pragma once
// Simple figures filled with a brush colour and outlined with a pen colour.

#include "toolkit/TGraphicControl.h"

enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
using enum TShapeType;

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner);
    const char* ClassName() const override { return "TShape"; }

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType value);
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor value);
    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor value);
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int value);

private:
    void Look();

    TShapeType shape_ = stRectangle;
    TColor brushColor_ = clWhite;
    TColor penColor_ = clBlack;
    int penWidth_ = 1;
};
