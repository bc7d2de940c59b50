#include "toolkit/TLabel.h"

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    Font().OnChange = [this, inner = Font().OnChange] {
        inner();
        AdjustBounds();
    };
}

void TLabel::SetAlignment(TAlignment value) {
    if (value != alignment_) {
        alignment_ = value;
        Changed(TControlProperty::Style);
        Invalidate();
    }
}

void TLabel::SetAutoSize(bool value) {
    if (value != autoSize_) {
        autoSize_ = value;
        AdjustBounds();
    }
}

void TLabel::SetTransparent(bool value) {
    if (value != transparent_) {
        transparent_ = value;
        Changed(TControlProperty::Style);
        Invalidate();
    }
}

void TLabel::SetWordWrap(bool value) {
    if (value != wordWrap_) {
        wordWrap_ = value;
        AdjustBounds();
    }
}

void TLabel::SetText(const std::string& text) {
    TGraphicControl::SetText(text);
    AdjustBounds();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    // While loading the designed size is stored as it comes; the text size applies afterwards.
    if (!autoSize_ || wordWrap_ || Loading())
        return;
    const auto& metrics = TextMetrics();
    std::string shown;
    for (std::size_t i = 0; i < Caption().size(); ++i) // '&' marks the accelerator, "&&" is '&'
        if (Caption()[i] != '&' || (i + 1 < Caption().size() && Caption()[++i] == '&'))
            shown += Caption()[i];
    int width = metrics.TextWidth(Font(), shown);
    int height = metrics.TextHeight(Font());
    int left = Left();
    // classic behaviour: a right-aligned auto-sized label keeps its right edge.
    if (alignment_ == taRightJustify)
        left = Left() + Width() - width;
    SetBounds(left, Top(), width, height);
}
