#pragma once
// A control without a window of its own: its parent paints it (labels, bevels, shapes, speed
// buttons). Paint() is the hook a backend calls when it draws the control.

#include "toolkit/TControl.h"

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
    const char* ClassName() const override { return "TGraphicControl"; }
    virtual void Paint() {}
};
