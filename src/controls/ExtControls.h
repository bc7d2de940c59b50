#pragma once
// The bilingual controls: the toolkit's captioned controls with a German and an English text.
// The German text is the caption the user sees; the English one travels with the control as data
// and is never shown. Window descriptions assign the caption, then CaptionEnglish, then
// CaptionGerman, so a designed control always shows its German text.

#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TLabel.h"
#include "toolkit/TRadioButton.h"

#include <string>

template <class Base> class TBilingual : public Base {
public:
    explicit TBilingual(TComponent* owner) : Base(owner) {}

    const std::string& CaptionEnglish() const { return captionEnglish_; }
    void SetCaptionEnglish(const std::string& text) { captionEnglish_ = text; }
    const std::string& CaptionGerman() const { return captionGerman_; }
    void SetCaptionGerman(const std::string& text) {
        captionGerman_ = text;
        this->SetCaption(text);
    }

private:
    std::string captionEnglish_;
    std::string captionGerman_;
};

class TExtLabel : public TBilingual<TLabel> {
public:
    using TBilingual::TBilingual;
    const char* ClassName() const override { return "TExtLabel"; }
};

class TExtButton : public TBilingual<TButton> {
public:
    using TBilingual::TBilingual;
    const char* ClassName() const override { return "TExtButton"; }
};

class TExtCheckBox : public TBilingual<TCheckBox> {
public:
    using TBilingual::TBilingual;
    const char* ClassName() const override { return "TExtCheckBox"; }
};

class TExtRadioButton : public TBilingual<TRadioButton> {
public:
    using TBilingual::TBilingual;
    const char* ClassName() const override { return "TExtRadioButton"; }
};

class TExtGroupBox : public TBilingual<TGroupBox> {
public:
    using TBilingual::TBilingual;
    const char* ClassName() const override { return "TExtGroupBox"; }
};
