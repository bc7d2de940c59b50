#pragma once
// The logo of the about box: 119 × 33 pixels, drawn here rather than loaded from a file.

#include "toolkit/TImage.h"

constexpr int kAboutLogoWidth = 119;
constexpr int kAboutLogoHeight = 33;

// A dark plate with a row of lamp columns rising and falling like a sound wave, lit green, then
// orange, then red towards the top, over a silver base line.
TPicture AboutLogoPicture();
