#include "toolkit/TImage.h"

#include "toolkit/Exceptions.h"

#include <utility>

std::uint32_t TPicture::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(Left(), Top(), 105, 105);
}

void TImage::SetPicture(TPicture picture) {
    if (picture.width < 0 || picture.height < 0 ||
        picture.pixels.size() !=
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        throw EInvalidOperation("Ungültiges Bild");
    picture_ = std::move(picture);
    Invalidate();
}

void TImage::SetCenter(bool value) {
    if (center_ == value)
        return;
    center_ = value;
    Invalidate();
}
