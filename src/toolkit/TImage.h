#pragma once
// A picture on a window: a graphic control showing a bitmap of its own at its top left corner
// (or centred), painted by its parent like every graphic control.

#include "toolkit/TGraphicControl.h"

#include <cstdint>
#include <vector>

// A bitmap, row by row from the top, each pixel 0xAARRGGBB.
struct TPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    // The pixel at x, y; fully transparent outside the bitmap.
    std::uint32_t Pixel(int x, int y) const;
};

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    const char* ClassName() const override { return "TImage"; }

    const TPicture& Picture() const { return picture_; }
    // Raises EInvalidOperation for a bitmap whose pixel count does not match its size.
    void SetPicture(TPicture picture);
    bool Center() const { return center_; }
    void SetCenter(bool value);

private:
    TPicture picture_;
    bool center_ = false;
};
