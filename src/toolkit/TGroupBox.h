#pragma once
// A captioned frame around a group of controls (radio buttons that belong together).

#include "toolkit/TWinControl.h"

class TCustomGroupBox : public TWinControl {
public:
    explicit TCustomGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomGroupBox"; }
    // Aligned children sit below the caption and inside the frame.
    void AdjustClientRect(TRect& rect) const override;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
    const char* ClassName() const override { return "TGroupBox"; }
};
