#pragma once
// The bilingual speed button. Besides the two captions it carries a German and an English hint
// (the German one is the tool tip) and raises OnDown each time the button goes from up to down
// through its own Down setter or a mouse click. The plain rule (SetDownByRule), which the restore
// of saved window state uses, raises nothing.

#include "toolkit/TSpeedButton.h"

#include <string>

class TExtSpeedButton : public TSpeedButton {
public:
    explicit TExtSpeedButton(TComponent* owner) : TSpeedButton(owner) {}
    const char* ClassName() const override { return "TExtSpeedButton"; }

    // Raised with the button as sender; never when the button goes up, never while loading.
    TNotifyEvent OnDown;

    const std::string& HintGerman() const { return hintGerman_; }
    virtual void SetHintGerman(const std::string& text);
    const std::string& HintEnglish() const { return hintEnglish_; }
    virtual void SetHintEnglish(const std::string& text);
    const std::string& CaptionGerman() const { return captionGerman_; }
    virtual void SetCaptionGerman(const std::string& text);
    const std::string& CaptionEnglish() const { return captionEnglish_; }
    virtual void SetCaptionEnglish(const std::string& text);

    void SetDown(bool value) override;
    bool Down() const override { return TSpeedButton::Down(); }

protected:
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void DownReached(bool wasDown);

    std::string hintEnglish_;
    std::string hintGerman_;
    std::string captionEnglish_;
    std::string captionGerman_;
};
