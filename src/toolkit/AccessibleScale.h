#pragma once
// A control of a library above the toolkit that shows a position on a scale of its own: a fader
// the user drags, or a meter that only shows a level. Assistive technology reads such a control,
// and moves a fader, through this interface alone, so the desktop backend knows the toolkit and
// nothing above it.

#include <string>

class TControl;

class AccessibleScale {
public:
    enum class Kind {
        // Moved by the user through its handle, which is part of it and no control of its own.
        Fader,
        // Shows a level; its children (lamps) are part of its value and look, not controls.
        Meter,
    };

    virtual Kind ScaleKind() const = 0;
    virtual int ScaleMinimum() const = 0;
    virtual int ScaleMaximum() const = 0;
    virtual int ScaleValue() const = 0;
    // The value as it is read out.
    virtual std::string ScaleText() const = 0;
    // The part a user grabs to move the value (a fader's knob); null when there is none.
    virtual const TControl* ScaleHandle() const = 0;
    // Sets the value to exactly `value`, as the user's arrow keys step it; false when the control
    // refuses (a value off the scale, a meter always). UserInput::MoveScale is the user's way in.
    virtual bool SetScaleValue(int value) = 0;

protected:
    ~AccessibleScale() = default;
};
