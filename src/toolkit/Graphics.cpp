#include "toolkit/Graphics.h"

#include <cmath>
#include <cstdlib>

namespace {

// The classic desktop scheme (grey 3-D look) for the system colour indexes.
std::uint32_t SystemColor(unsigned index) {
    switch (index) {
    case 0:
        return 0xC0C0C0;
    case 1:
        return 0x808000;
    case 2:
        return 0x800000;
    case 3:
        return 0x808080;
    case 4:
    case 15:
    case 22:
        return 0xC0C0C0;
    case 5:
    case 14:
    case 20:
        return 0xFFFFFF;
    case 13:
        return 0x800000;
    case 16:
    case 17:
        return 0x808080;
    case 24:
        return 0xE1FFFF;
    default:
        return 0x000000;
    }
}

int MulDivRound(int a, int b, int c) {
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

class EstimatedMetrics : public ITextMetrics {
public:
    int TextWidth(const TFont& font, const std::string& text) const override {
        int chars = 0;
        for (unsigned char c : text)
            if ((c & 0xC0) != 0x80) // count characters, not UTF-8 continuation bytes
                ++chars;
        int em = std::abs(font.Height());
        int width = (em + 1) / 2;
        if (font.Style() & fsBold)
            ++width;
        return chars * width;
    }
    int TextHeight(const TFont& font) const override {
        int h = font.Height();
        // A negative height is the character height; the cell adds about a sixth for leading.
        return h < 0 ? -h + (-h + 3) / 6 : h;
    }
};

ITextMetrics* g_metrics = nullptr;

} // namespace

std::uint32_t ColorToRGB(TColor color) {
    if (color < 0)
        return SystemColor(static_cast<std::uint32_t>(color) & 0xFF);
    return static_cast<std::uint32_t>(color) & 0xFFFFFF;
}

void TFont::SetName(const std::string& name) {
    if (name != name_) {
        name_ = name;
        Changed();
    }
}

void TFont::SetHeight(int height) {
    if (height != height_) {
        height_ = height;
        Changed();
    }
}

int TFont::Size() const {
    return -MulDivRound(height_, 72, ScreenPixelsPerInch);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDivRound(points, ScreenPixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles style) {
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TFont::SetColor(TColor color) {
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TFont::Assign(const TFont& other) {
    if (*this == other)
        return;
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    Changed();
}

bool TFont::operator==(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && style_ == other.style_ &&
           color_ == other.color_;
}

void TFont::Changed() {
    if (OnChange)
        OnChange();
}

void SetTextMetrics(ITextMetrics* metrics) {
    g_metrics = metrics;
}

const ITextMetrics& TextMetrics() {
    static EstimatedMetrics estimate;
    return g_metrics ? *g_metrics : estimate;
}
