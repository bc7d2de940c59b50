#include "backends/qt/QtIcons.h"

#include "platform/Icons.h"

#include <QImage>
#include <QPixmap>

// The backend is a static library: its resources are registered by hand.
static void RegisterResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(desktop);
        return true;
    }();
    (void)done;
}

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

} // namespace

QIcon IconFromHandle(HICON icon) {
    const IconImage* image = IconImageOf(icon);
    if (!image || image->size <= 0)
        return QIcon();
    QIcon result;
    RegisterResources();
    if (IsProgramIcon(*image))
        result.addFile(QStringLiteral(":/varnel/mixer-icon.svg"));
    result.addPixmap(PixmapOf(*image));
    return result;
}

QIcon ProgramIcon() {
    RegisterResources();
    QIcon result(QStringLiteral(":/varnel/mixer-icon.svg"));
    const HICON own = LoadIconA(0, "MIXERICON");
    if (const IconImage* image = IconImageOf(own))
        result.addPixmap(PixmapOf(*image));
    DestroyIcon(own);
    return result;
}
