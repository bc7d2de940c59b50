#include "backends/qt/QtIcons.h"

#include "platform/Icons.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap PixmapOf(const IconImage& image) {
    const QImage bitmap(reinterpret_cast<const uchar*>(image.pixels.data()), image.size, image.size,
                        image.size * 4, QImage::Format_ARGB32);
    return QPixmap::fromImage(bitmap.copy());
}

bool IsProgramIcon(const IconImage& image) {
    const HICON own = LoadIconA(0, "MIXERICON");
    const IconImage* ownImage = IconImageOf(own);
    const bool same = ownImage && ownImage->size == image.size && ownImage->pixels == image.pixels;
    DestroyIcon(own);
    return same;
}

// The program's icon at any size: its registered image where that is the size asked for, else the
// drawing the desktop's icon theme installs (three faders on a dark panel and a level column, on
// a 32-unit grid), painted here rather than read from an SVG file, which would load Qt's SVG
// renderer and its plugin into the program.
class ProgramIconEngine : public QIconEngine {
public:
    explicit ProgramIconEngine(QPixmap image) : image_(std::move(image)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        if (!image_.isNull() && rect.size() == image_.size()) {
            painter->drawPixmap(rect, image_);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 32.0, rect.height() / 32.0);
        painter->setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        painter->setBrush(QColor(0x20, 0x28, 0x30));
        painter->drawRoundedRect(QRectF(1.5, 1.5, 29, 28), 1.5, 1.5);
        painter->setPen(Qt::NoPen);
        for (const double x : {5.0, 12.0, 19.0})
            painter->fillRect(QRectF(x, 4, 1, 23), Qt::black);
        painter->setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 0.5));
        painter->setBrush(QColor(0xe0, 0xe0, 0xe0));
        for (const QPointF knob :
             {QPointF(3.25, 17.25), QPointF(10.25, 8.25), QPointF(17.25, 13.25)})
            painter->drawRoundedRect(QRectF(knob, QSizeF(4.5, 2.5)), 0.5, 0.5);
        painter->fillRect(QRectF(25, 9, 2, 18), QColor(0x00, 0xc0, 0x00));
        painter->fillRect(QRectF(25, 6, 2, 3), QColor(0xff, 0x80, 0x00));
        painter->fillRect(QRectF(25, 4, 2, 2), QColor(0xff, 0x00, 0x00));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    // The sizes desktops ask a tray icon or a window icon for.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : {16, 22, 24, 32, 48, 64, 128})
            sizes.append(QSize(side, side));
        return sizes;
    }

    QIconEngine* clone() const override { return new ProgramIconEngine(image_); }

private:
    QPixmap image_;
};

} // namespace

QIcon IconFromHandle(HICON icon) {
    const IconImage* image = IconImageOf(icon);
    if (!image || image->size <= 0)
        return QIcon();
    if (IsProgramIcon(*image))
        return QIcon(new ProgramIconEngine(PixmapOf(*image)));
    QIcon result;
    result.addPixmap(PixmapOf(*image));
    return result;
}

QIcon ProgramIcon() {
    const HICON own = LoadIconA(0, "MIXERICON");
    const IconImage* image = IconImageOf(own);
    QIcon result(new ProgramIconEngine(image ? PixmapOf(*image) : QPixmap()));
    DestroyIcon(own);
    return result;
}
