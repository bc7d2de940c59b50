#pragma once
// Check boxes. Setting Checked from code runs OnClick whenever the state changes, as a click does
// (not while loading, and also when the box is disabled).

#include "toolkit/TWinControl.h"

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }

    bool Checked() const { return checked_; }
    virtual void SetChecked(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    bool AcceptsFocus() const override { return true; }

protected:
    void UserClicked() override { SetChecked(!checked_); }

private:
    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
};
