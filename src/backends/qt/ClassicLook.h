#pragma once
// The classic desktop look in Qt terms: TColor values, fonts with their classic pixel heights,
// captions with their `&` mnemonics and the real text metrics the toolkit lays labels out with.

#include "toolkit/Graphics.h"

#include <QColor>
#include <QFont>
#include <QString>

class QStyle;

// 0x00BBGGRR (or a system colour of the classic scheme) as a Qt colour.
QColor ToQColor(TColor color);

// "Arial" and "MS Sans Serif" resolve to a metric-compatible sans font; the pixel height follows
// the classic rule (negative: character height, positive: cell height).
QFont ToQFont(const TFont& font);

// A caption as Qt text: UTF-8 decoded, `&` kept as Qt's mnemonic marker. In the Symbol font the
// two bracket glyphs 0xEB and 0xFB become the Unicode bracket pieces ⎣ and ⎦.
QString CaptionText(const std::string& caption, const TFont& font);

// The "Windows" style every control is drawn with.
QStyle* ClassicStyle();

class QtTextMetrics : public ITextMetrics {
public:
    int TextWidth(const TFont& font, const std::string& text) const override;
    int TextHeight(const TFont& font) const override;
};
