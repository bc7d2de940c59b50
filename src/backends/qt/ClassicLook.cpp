#include "backends/qt/ClassicLook.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleFactory>

QColor ToQColor(TColor color) {
    const std::uint32_t rgb = ColorToRGB(color);
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

namespace {

QString FamilyOf(const std::string& name) {
    if (name == "Arial" || name == "MS Sans Serif" || name.empty())
        return QStringLiteral("Liberation Sans");
    if (name == "Courier New" || name == "Courier")
        return QStringLiteral("Liberation Mono");
    if (name == "Times New Roman")
        return QStringLiteral("Liberation Serif");
    return QString::fromStdString(name);
}

// Ascent plus descent of the sans font, in em: a positive classic height is the whole cell.
constexpr double kCellPerEm = 1.149;

} // namespace

QFont ToQFont(const TFont& font) {
    QFont f(FamilyOf(font.Name()));
    f.setStyleHint(QFont::SansSerif);
    int h = font.Height();
    int pixels = h < 0 ? -h : static_cast<int>(h / kCellPerEm + 0.5);
    f.setPixelSize(pixels > 0 ? pixels : 11);
    const TFontStyles style = font.Style();
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QString CaptionText(const std::string& caption, const TFont& font) {
    QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    if (font.Name() == "Symbol") {
        text.replace(QChar(0x00EB), QChar(0x23A3));
        text.replace(QChar(0x00FB), QChar(0x23A6));
    }
    return text;
}

QStyle* ClassicStyle() {
    static QStyle* style = QStyleFactory::create(QStringLiteral("Windows"));
    return style;
}

int QtTextMetrics::TextWidth(const TFont& font, const std::string& text) const {
    // The toolkit measures the text as shown: its mnemonic markers are already gone.
    return QFontMetrics(ToQFont(font)).horizontalAdvance(CaptionText(text, font));
}

int QtTextMetrics::TextHeight(const TFont& font) const {
    return QFontMetrics(ToQFont(font)).height();
}
