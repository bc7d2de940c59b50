#include "app/Resources.h"

#include <gtest/gtest.h>

namespace {

TEST(ResourcesTest, TheMixerIconIsASquareImageLoadableByName) {
    auto image = MixerIconImage();
    EXPECT_EQ(image.size, 32);
    ASSERT_EQ(image.pixels.size(), 32u * 32u);
    EXPECT_EQ(image.pixels[0] >> 24, 0u) << "transparent corner";
    EXPECT_EQ(image.pixels[16 * 32 + 16] >> 24, 0xFFu) << "opaque middle";

    RegisterProgramResources();
    HICON icon = LoadIconA(0, "MIXERICON");
    ASSERT_NE(icon, 0u);
    EXPECT_EQ(IconImageOf(icon)->pixels, image.pixels);
    DestroyIcon(icon);
}

} // namespace
