#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/skin/SkinColor.h"

using zorbel::skin::ParseColour;
using zorbel::skin::Rgb;
using zorbel::skin::ShiftHsb;

namespace {

bool Near(Rgb a, Rgb b, int tolerance = 1) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

}  // namespace

TEST(SkinColor, NoShiftKeepsEveryColour) {
    for (Rgb c : {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{41, 182, 246}, Rgb{1, 2, 3}})
        EXPECT_EQ(ShiftHsb(c, 0, 0, 0), c);
}

TEST(SkinColor, HueTurnsTheWheel) {
    EXPECT_TRUE(Near(ShiftHsb({255, 0, 0}, 120, 0, 0), {0, 255, 0}));
    EXPECT_TRUE(Near(ShiftHsb({255, 0, 0}, -120, 0, 0), {0, 0, 255}));
    EXPECT_TRUE(Near(ShiftHsb({255, 0, 0}, 180, 0, 0), {0, 255, 255}));
    EXPECT_TRUE(Near(ShiftHsb({255, 0, 0}, -180, 0, 0), {0, 255, 255}));
    // Turning there and back returns the colour.
    const Rgb sky{41, 182, 246};
    EXPECT_TRUE(Near(ShiftHsb(ShiftHsb(sky, 100, 0, 0), -100, 0, 0), sky, 2));
}

TEST(SkinColor, GreysAndWhiteIgnoreHueAndSaturation) {
    EXPECT_EQ(ShiftHsb({255, 255, 255}, 77, 50, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(ShiftHsb({128, 128, 128}, -140, 100, 0), (Rgb{128, 128, 128}));
}

TEST(SkinColor, SaturationMovesTowardsGreyOrFullColour) {
    const Rgb grey = ShiftHsb({41, 182, 246}, 0, -100, 0);
    EXPECT_EQ(grey.r, grey.g);
    EXPECT_EQ(grey.g, grey.b);
    const Rgb muted{150, 110, 110};
    const Rgb vivid = ShiftHsb(muted, 0, 100, 0);
    EXPECT_GT(vivid.r - vivid.g, muted.r - muted.g);
    const Rgb less = ShiftHsb(muted, 0, -50, 0);
    EXPECT_LT(less.r - less.g, muted.r - muted.g);
    EXPECT_GT(less.r - less.g, 0);
}

TEST(SkinColor, BrightnessEndsAtWhiteAndBlack) {
    EXPECT_EQ(ShiftHsb({41, 182, 246}, 0, 0, 100), (Rgb{255, 255, 255}));
    EXPECT_EQ(ShiftHsb({41, 182, 246}, 0, 0, -100), (Rgb{0, 0, 0}));
    const Rgb lighter = ShiftHsb({100, 50, 50}, 0, 0, 30);
    EXPECT_GT(lighter.r, 100);
    EXPECT_GT(lighter.g, 50);
}

TEST(SkinColor, OutOfRangeArgumentsAreClamped) {
    EXPECT_EQ(ShiftHsb({200, 30, 90}, 720, 0, 0), ShiftHsb({200, 30, 90}, 180, 0, 0));
    EXPECT_EQ(ShiftHsb({200, 30, 90}, 0, 0, 1000), (Rgb{255, 255, 255}));
    EXPECT_EQ(ShiftHsb({200, 30, 90}, 0, -500, 0), ShiftHsb({200, 30, 90}, 0, -100, 0));
}

TEST(SkinColor, ParsesHexColours) {
    EXPECT_EQ(ParseColour("#ff8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(ParseColour("#FF8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(ParseColour("#f80"), (Rgb{255, 136, 0}));
    for (const char* bad : {"", "#", "ff8000", "#gg0000", "#12345", "#1234567", "red", "#12 456"})
        EXPECT_FALSE(ParseColour(bad).has_value()) << bad;
}
