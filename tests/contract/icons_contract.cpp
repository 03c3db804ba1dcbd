// Program icons, against the fake natively and shell32/user32 under Wine: what comes out of a
// file, how it is drawn onto a picture, and that every handle goes back exactly once.
#include <gtest/gtest.h>

#include "tests/contract/contract_env.h"

namespace {

using kvr::platform::Bitmap;

Bitmap transparent(int width, int height) {
    return {width, height,
            std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), 0u)};
}

int opaqueIn(const Bitmap& b, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (b.pixels[static_cast<std::size_t>(y * b.width + x)] >> 24) ++n;
    return n;
}

class IconsContract : public ::testing::Test {
protected:
    kvr::contract::IconsEnv env = kvr::contract::makeIcons();
};

TEST_F(IconsContract, AnExecutablesFirstIconIsDrawnAtTheIconSizeWhereAsked) {
    const int size = env.icons->iconSize();
    ASSERT_GE(size, 16);
    const auto icon = env.icons->extractIcon(env.withIcons, 0);
    ASSERT_NE(icon, 0u) << env.withIcons;
    Bitmap b = transparent(size + 16, size + 16);
    ASSERT_TRUE(env.icons->drawIcon(b, 8, 8, icon));
    EXPECT_GT(opaqueIn(b, 8, 8, 8 + size, 8 + size), size * size / 8) << "hardly anything drawn";
    EXPECT_EQ(opaqueIn(b, 0, 0, b.width, 8), 0) << "drawn above its place";
    EXPECT_EQ(opaqueIn(b, 0, 0, 8, b.height), 0) << "drawn left of its place";
    EXPECT_EQ(opaqueIn(b, 8 + size, 0, b.width, b.height), 0) << "drawn wider than the icon";

    // Partly outside the picture: what falls outside is cut off.
    Bitmap small = transparent(size / 2, size / 2);
    EXPECT_TRUE(env.icons->drawIcon(small, -size / 2, -size / 2, icon));

    EXPECT_TRUE(env.icons->destroyIcon(icon));
    EXPECT_FALSE(env.icons->destroyIcon(icon)) << "a handle goes back once";
}

TEST_F(IconsContract, OpaquePixelsOfTheIconCoverWhatThePictureHeld) {
    const int size = env.icons->iconSize();
    const auto icon = env.icons->extractIcon(env.withIcons, 0);
    ASSERT_NE(icon, 0u);
    Bitmap clean = transparent(size, size);
    Bitmap grey{size, size,
                std::vector<std::uint32_t>(static_cast<std::size_t>(size * size), 0xFFC0C0C0u)};
    ASSERT_TRUE(env.icons->drawIcon(clean, 0, 0, icon));
    ASSERT_TRUE(env.icons->drawIcon(grey, 0, 0, icon));
    int covered = 0;
    for (std::size_t i = 0; i < clean.pixels.size(); ++i) {
        if (clean.pixels[i] >> 24 != 0xFF) continue;
        ++covered;
        EXPECT_EQ(grey.pixels[i], clean.pixels[i]) << "pixel " << i;
        if (grey.pixels[i] != clean.pixels[i]) break;
    }
    EXPECT_GT(covered, 0);
    EXPECT_TRUE(env.icons->destroyIcon(icon));
}

TEST_F(IconsContract, NoIconFromAFileWithoutIconsAMissingFileOrPastTheLastIcon) {
    EXPECT_EQ(env.icons->extractIcon(env.withoutIcons, 0), 0u) << env.withoutIcons;
    EXPECT_EQ(env.icons->extractIcon(env.missing, 0), 0u) << env.missing;
    EXPECT_EQ(env.icons->extractIcon(env.withIcons, 5000), 0u);
    EXPECT_EQ(env.icons->extractIcon("", 0), 0u);
}

TEST_F(IconsContract, AHandleThatWasGivenBackDrawsNothing) {
    const auto icon = env.icons->extractIcon(env.withIcons, 0);
    ASSERT_NE(icon, 0u);
    ASSERT_TRUE(env.icons->destroyIcon(icon));
    Bitmap b = transparent(env.icons->iconSize(), env.icons->iconSize());
    EXPECT_FALSE(env.icons->drawIcon(b, 0, 0, icon));
    EXPECT_EQ(opaqueIn(b, 0, 0, b.width, b.height), 0);
}

}  // namespace
