#pragma once
// A one-line edit field. OnChange runs on every change of the text, typed or set from code
// (not while loading).

#include "toolkit/TWinControl.h"
#include "toolkit/Utf8.h"

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    const char* ClassName() const override { return "TEdit"; }

    void SetText(const std::string& text) override;
    // Characters, not bytes; 0 means no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value) { maxLength_ = value < 0 ? 0 : value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);

    TNotifyEvent OnChange;
    virtual void Change();

    bool AcceptsFocus() const override { return true; }
    // A typed character: printable ones are appended, backspace (8) removes the last character.
    void KeyPress(char& key) override;
    // Appends one whole (possibly multi-byte) character as typed.
    void TypeCharacter(const std::string& character);
    // The next typed character replaces the whole text (as after selecting all of it).
    void SelectAll() { selectAll_ = true; }

private:
    int maxLength_ = 0;
    bool readOnly_ = false;
    bool selectAll_ = false;
    TFormBorderStyle borderStyle_ = bsSingle;
};
