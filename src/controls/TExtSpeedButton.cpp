#include "controls/TExtSpeedButton.h"

void TExtSpeedButton::SetHintGerman(const std::string& text) {
    hintGerman_ = text;
    SetHint(text);
}

void TExtSpeedButton::SetHintEnglish(const std::string& text) {
    hintEnglish_ = text;
}

void TExtSpeedButton::SetCaptionGerman(const std::string& text) {
    captionGerman_ = text;
    SetCaption(text);
}

void TExtSpeedButton::SetCaptionEnglish(const std::string& text) {
    captionEnglish_ = text;
}

void TExtSpeedButton::SetDown(bool value) {
    const bool wasDown = Down();
    SetDownByRule(value);
    DownReached(wasDown);
}

void TExtSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const bool wasDown = Down();
    TSpeedButton::MouseUp(button, shift, x, y);
    DownReached(wasDown);
}

void TExtSpeedButton::DownReached(bool wasDown) {
    if (Down() && !wasDown && OnDown && Reacting())
        OnDown(this);
}
