#pragma once
// Radio buttons: checking one unchecks the other radio buttons under the same parent without
// running their reactions; OnClick runs only for the one that becomes checked.

#include "toolkit/TWinControl.h"

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);
    const char* ClassName() const override { return "TRadioButton"; }

    bool Checked() const { return checked_; }
    virtual void SetChecked(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    bool AcceptsFocus() const override { return true; }

protected:
    // classic behaviour: clicking a checked radio button changes nothing and runs no OnClick.
    void UserClicked() override { SetChecked(true); }

private:
    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
};
