#include "forms/AboutLogo.h"

#include <cmath>
#include <numbers>

namespace {

constexpr std::uint32_t kPlate = 0xFF101830;
constexpr std::uint32_t kFrame = 0xFF6070A0;
constexpr std::uint32_t kBase = 0xFFC0C0C0;
constexpr std::uint32_t kDark = 0xFF283048;
constexpr std::uint32_t kGreen = 0xFF20D040;
constexpr std::uint32_t kOrange = 0xFFFF9020;
constexpr std::uint32_t kRed = 0xFFF02020;

// Lamp columns: 3 pixels wide with a 1-pixel gap, lamps 2 pixels high with a 1-pixel gap.
constexpr int kColumnLeft = 4;
constexpr int kColumnPitch = 4;
constexpr int kColumns = 28;
constexpr int kLampPitch = 3;
constexpr int kLamps = 8;
constexpr int kBaseRow = kAboutLogoHeight - 5;

// How many lamps column c lights: two beating waves, so the row looks like a live signal.
int LitLamps(int column) {
    double t = static_cast<double>(column) / (kColumns - 1);
    double wave = 0.55 * std::sin(t * 3.0 * std::numbers::pi) + 0.45 * std::sin(t * 7.0 + 0.6);
    double envelope = std::sin(t * std::numbers::pi);
    double level = 0.15 + 0.85 * envelope * (0.5 + 0.5 * wave);
    return static_cast<int>(std::lround(level * kLamps));
}

std::uint32_t LampColour(int lamp) {
    if (lamp >= kLamps - 1)
        return kRed;
    if (lamp >= kLamps - 3)
        return kOrange;
    return kGreen;
}

} // namespace

TPicture AboutLogoPicture() {
    TPicture picture{kAboutLogoWidth, kAboutLogoHeight, {}};
    picture.pixels.assign(static_cast<std::size_t>(kAboutLogoWidth * kAboutLogoHeight), kPlate);
    auto put = [&](int x, int y, std::uint32_t colour) {
        picture.pixels[static_cast<std::size_t>(y * kAboutLogoWidth + x)] = colour;
    };

    // Frame with cut corners.
    for (int x = 1; x < kAboutLogoWidth - 1; ++x) {
        put(x, 0, kFrame);
        put(x, kAboutLogoHeight - 1, kFrame);
    }
    for (int y = 1; y < kAboutLogoHeight - 1; ++y) {
        put(0, y, kFrame);
        put(kAboutLogoWidth - 1, y, kFrame);
    }
    put(0, 0, 0);
    put(kAboutLogoWidth - 1, 0, 0);
    put(0, kAboutLogoHeight - 1, 0);
    put(kAboutLogoWidth - 1, kAboutLogoHeight - 1, 0);

    for (int x = 3; x < kAboutLogoWidth - 3; ++x)
        put(x, kBaseRow, kBase);

    for (int c = 0; c < kColumns; ++c) {
        int lit = LitLamps(c);
        for (int lamp = 0; lamp < kLamps; ++lamp) {
            std::uint32_t colour = lamp < lit ? LampColour(lamp) : kDark;
            int bottom = kBaseRow - 2 - lamp * kLampPitch;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    put(kColumnLeft + c * kColumnPitch + dx, bottom - dy, colour);
        }
    }
    return picture;
}
