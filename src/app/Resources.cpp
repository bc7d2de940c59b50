#include "app/Resources.h"

#include <array>
#include <string_view>

namespace {

// The mixer icon, 32 x 32: three faders on a dark panel, the middle one raised, with a green
// level column beside them. One character per pixel.
constexpr std::array<std::string_view, 32> kMixerIcon = {
    "................................", "..############################..",
    ".#dddddddddddddddddddddddddddd#.", ".#dddddddddddddddddddddddddddd#.",
    ".#ddd|dddddd|dddddd|ddddddrrdd#.", ".#ddd|dddddd|dddddd|ddddddrrdd#.",
    ".#ddd|dddddd|dddddd|ddddddoodd#.", ".#ddd|dddddd|dddddd|ddddddoodd#.",
    ".#ddd|ddddd===ddddd|ddddddoodd#.", ".#ddd|ddddd===ddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#ddd|dddddd|dddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#ddd|dddddd|ddddd===dddddggdd#.",
    ".#ddd|dddddd|ddddd===dddddggdd#.", ".#ddd|dddddd|dddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#dd===ddddd|dddddd|ddddddggdd#.",
    ".#dd===ddddd|dddddd|ddddddggdd#.", ".#ddd|dddddd|dddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#ddd|dddddd|dddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#ddd|dddddd|dddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#ddd|dddddd|dddddd|ddddddggdd#.",
    ".#ddd|dddddd|dddddd|ddddddggdd#.", ".#dddddddddddddddddddddddddddd#.",
    ".#dddddddddddddddddddddddddddd#.", "..############################..",
    "................................", "................................",
};

std::uint32_t PixelOf(char c) {
    switch (c) {
    case '#':
        return 0xFF808080; // frame
    case 'd':
        return 0xFF202830; // panel
    case '|':
        return 0xFF000000; // fader slot
    case '=':
        return 0xFFE0E0E0; // fader knob
    case 'r':
        return 0xFFFF0000;
    case 'o':
        return 0xFFFF8000;
    case 'g':
        return 0xFF00C000;
    default:
        return 0x00000000; // transparent
    }
}

} // namespace

IconImage MixerIconImage() {
    IconImage image{static_cast<int>(kMixerIcon.size()), {}};
    for (auto row : kMixerIcon)
        for (char c : row)
            image.pixels.push_back(PixelOf(c));
    return image;
}

void RegisterProgramResources() {
    RegisterIconResource("MIXERICON", MixerIconImage());
}
