#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/HslColor.h"

namespace {

CHslColor FromHsl(float h, float s, float l) {
    CHslColor colour;
    colour.SetHsl(h, s, l);
    return colour;
}

TEST(HslColorTest, RgbToHslFollowsTheFormulas) {
    CHslColor thumb(MakeRgb(198, 97, 239));
    EXPECT_NEAR(thumb.GetHue(), 282.676f, 0.001f);
    EXPECT_NEAR(thumb.GetSaturation(), 142.0f / 174.0f, 1e-6f);
    EXPECT_NEAR(thumb.GetLightness(), 336.0f / 510.0f, 1e-6f);

    // Lightness at most one half takes d / (max + min).
    CHslColor dark(MakeRgb(100, 50, 0));
    EXPECT_NEAR(dark.GetLightness(), 100.0f / 510.0f, 1e-6f);
    EXPECT_NEAR(dark.GetSaturation(), 1.0f, 1e-6f);
    EXPECT_NEAR(dark.GetHue(), 30.0f, 1e-4f);
}

TEST(HslColorTest, GreysBlackAndWhiteHaveNoHueOrSaturation) {
    for (int v : {0, 1, 91, 128, 254, 255}) {
        CHslColor grey(MakeRgb(v, v, v));
        EXPECT_EQ(grey.GetHue(), 0.0f) << v;
        EXPECT_EQ(grey.GetSaturation(), 0.0f) << v;
        EXPECT_NEAR(grey.GetLightness(), v / 255.0f, 1e-6f) << v;
    }
    EXPECT_EQ(FromHsl(200.0f, 0.0f, 0.0f).GetRgb(), MakeRgb(0, 0, 0));
    EXPECT_EQ(FromHsl(200.0f, 0.0f, 1.0f).GetRgb(), MakeRgb(255, 255, 255));
    EXPECT_EQ(FromHsl(0.0f, 1.0f, 1.0f).GetRgb(), MakeRgb(255, 255, 255));
    EXPECT_EQ(FromHsl(0.0f, 1.0f, 0.0f).GetRgb(), MakeRgb(0, 0, 0));
    // Saturation 0 gives lightness x 255 truncated on every channel.
    EXPECT_EQ(FromHsl(0.0f, 0.0f, 0.5f).GetRgb(), MakeRgb(127, 127, 127));
}

TEST(HslColorTest, HueWrapsAndTiesGoToTheLaterChannel) {
    // Red highest with green above blue passes 360 and comes back.
    EXPECT_NEAR(CHslColor(MakeRgb(255, 128, 0)).GetHue(), 30.12f, 0.01f);
    // Red highest with blue above green stays below 360.
    EXPECT_NEAR(CHslColor(MakeRgb(255, 0, 128)).GetHue(), 329.88f, 0.01f);
    // Pure red is exactly 360, which is not above 360.
    EXPECT_EQ(CHslColor(MakeRgb(255, 0, 0)).GetHue(), 360.0f);
    // Yellow: green's test comes after red's and wins.
    EXPECT_NEAR(CHslColor(MakeRgb(255, 255, 0)).GetHue(), 60.0f, 1e-4f);
    // Magenta: blue's test wins over red's.
    EXPECT_NEAR(CHslColor(MakeRgb(255, 0, 255)).GetHue(), 300.0f, 1e-4f);
    EXPECT_NEAR(CHslColor(MakeRgb(0, 0, 255)).GetHue(), 240.0f, 1e-4f);

    // Channel hues are brought into range by one step of 360 either way.
    EXPECT_EQ(FromHsl(-30.0f, 1.0f, 0.5f).GetRgb(), MakeRgb(255, 0, 127));
    EXPECT_EQ(FromHsl(330.0f, 1.0f, 0.5f).GetRgb(), MakeRgb(255, 0, 127));
    EXPECT_EQ(FromHsl(360.0f, 1.0f, 0.5f).GetRgb(), MakeRgb(255, 0, 0));
    EXPECT_EQ(FromHsl(0.0f, 1.0f, 0.5f).GetRgb(), MakeRgb(255, 0, 0));
    EXPECT_EQ(FromHsl(120.0f, 1.0f, 0.5f).GetRgb(), MakeRgb(0, 255, 0));
    EXPECT_EQ(FromHsl(240.0f, 1.0f, 0.5f).GetRgb(), MakeRgb(0, 0, 255));
}

TEST(HslColorTest, RoundTripsStayWithinTheTruncation) {
    for (int r = 0; r < 256; r += 5) {
        for (int g = 0; g < 256; g += 3) {
            for (int b = 0; b < 256; b += 7) {
                CHslColor there(MakeRgb(r, g, b));
                CHslColor back =
                    FromHsl(there.GetHue(), there.GetSaturation(), there.GetLightness());
                ASSERT_LE(std::abs(back.GetRed() - r), 1) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(back.GetGreen() - g), 1) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(back.GetBlue() - b), 1) << r << "," << g << "," << b;
            }
        }
    }
    // Truncation may cost one step; colours at the corners of the cube come back whole.
    for (ColorRef c : {MakeRgb(0, 0, 0), MakeRgb(255, 255, 255), MakeRgb(255, 0, 0),
                       MakeRgb(0, 255, 0), MakeRgb(0, 0, 255), MakeRgb(255, 255, 0)}) {
        CHslColor there(c);
        EXPECT_EQ(FromHsl(there.GetHue(), there.GetSaturation(), there.GetLightness()).GetRgb(), c);
    }
}

TEST(HslColorTest, EachSideIsConvertedWhenItIsStale) {
    CHslColor colour(MakeRgb(198, 97, 239));
    colour.SetLightness(0.8f);
    colour.SetSaturation(colour.GetSaturation() / 2.0f);
    EXPECT_EQ(colour.GetRgb(), MakeRgb(212, 183, 224));
    EXPECT_NEAR(colour.GetLightness(), 0.8f, 1e-6f);

    colour.SetRgb(10, 20, 30);
    EXPECT_EQ(colour.GetRed(), 10);
    EXPECT_NEAR(colour.GetHue(), 210.0f, 1e-3f);
    colour.SetHue(30.0f);
    // 29.99... truncated: the way back loses the fraction.
    EXPECT_EQ(colour.GetRgb(), MakeRgb(30, 20, 9));
}

}  // namespace
