#include "toolkit/TEdit.h"

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TEdit::SetText(const std::string& text) {
    std::string limited = maxLength_ > 0 ? Utf8Truncate(text, maxLength_) : text;
    if (limited == Text())
        return;
    TWinControl::SetText(limited);
    Changed(TControlProperty::State);
    if (Reacting())
        Change();
}

void TEdit::SetBorderStyle(TFormBorderStyle value) {
    if (value != borderStyle_) {
        borderStyle_ = value;
        Changed(TControlProperty::Style);
    }
}

void TEdit::Change() {
    if (OnChange)
        OnChange(this);
}

void TEdit::KeyPress(char& key) {
    TWinControl::KeyPress(key);
    if (key == 0 || readOnly_)
        return;
    if (key == '\b') {
        std::string text = selectAll_ ? std::string() : Text();
        selectAll_ = false;
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
            text.pop_back();
        if (!text.empty())
            text.pop_back();
        SetText(text);
    } else if (static_cast<unsigned char>(key) >= 0x20 && key != 0x7F) {
        TypeCharacter(std::string(1, key));
    }
}

void TEdit::TypeCharacter(const std::string& character) {
    if (readOnly_ || character.empty())
        return;
    if (selectAll_) {
        selectAll_ = false;
        SetText(character);
        return;
    }
    if (maxLength_ > 0 && Utf8Length(Text()) >= maxLength_)
        return;
    SetText(Text() + character);
}
