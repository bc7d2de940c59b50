#pragma once
// A static text: Alignment, AutoSize (the label takes the size of its text) and Transparent.

#include "toolkit/TGraphicControl.h"

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    void SetText(const std::string& text) override;
    // The control the label's accelerator (its "&letter") focuses. The label does not own it:
    // the keyboard checks it still lies in the label's window before using it.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control) { focusControl_ = control; }

protected:
    void Loaded() override;

private:
    void AdjustBounds();

    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
    TWinControl* focusControl_ = nullptr;
};
