#include "toolkit/TShape.h"

TShape::TShape(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 65);
}

void TShape::Look() {
    Changed(TControlProperty::Style);
    Invalidate();
}

void TShape::SetShape(TShapeType value) {
    if (value != shape_) {
        shape_ = value;
        Look();
    }
}

void TShape::SetBrushColor(TColor value) {
    if (value != brushColor_) {
        brushColor_ = value;
        Look();
    }
}

void TShape::SetPenColor(TColor value) {
    if (value != penColor_) {
        penColor_ = value;
        Look();
    }
}

void TShape::SetPenWidth(int value) {
    if (value != penWidth_) {
        penWidth_ = value;
        Look();
    }
}
