#pragma once
// One lamp of a level meter: a filled rectangle with a black outline, lit or dark.

#include "toolkit/TShape.h"

class TLumi : public TShape {
public:
    explicit TLumi(TComponent* owner);
    const char* ClassName() const override { return "TLumi"; }

    TColor ColorOn() const { return colorOn_; }
    TColor ColorOff() const { return colorOff_; }
    // A new colour shows the next time the lamp is switched, not at once.
    void SetColorOn(TColor value) { colorOn_ = value; }
    void SetColorOff(TColor value) { colorOff_ = value; }

    // The lamp's `_On` property. Switching to the state it already has changes nothing, so a lamp
    // repaints only when it really goes on or off.
    bool On() const { return on_; }
    void SetOn(bool value);

private:
    TColor colorOn_ = clLime;
    TColor colorOff_ = clGray;
    bool on_ = false;
};
