#pragma once
// The push button: Default (Enter presses it), Cancel (Esc presses it) and ModalResult, which a
// click hands to its form before OnClick runs.

#include "toolkit/TWinControl.h"

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    void Click() override;
    bool AcceptsFocus() const override { return true; }

private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};
