#include <gtest/gtest.h>

#include <vector>

#include "ui/XScrollPalette.h"

namespace {

using P = CXScrollPalette;

TEST(XScrollPaletteTest, TintsKeepTheHueAtHalfSaturation) {
    const auto tints = P::TrackTints(MakeRgb(198, 97, 239));
    EXPECT_EQ(tints[0], MakeRgb(212, 183, 224));  // lightness 0.80
    EXPECT_EQ(tints[1], MakeRgb(227, 208, 235));  // 0.87
    EXPECT_EQ(tints[2], MakeRgb(238, 226, 242));  // 0.92
    // A grey thumb gives grey tints.
    const auto grey = P::TrackTints(MakeRgb(0, 0, 0));
    EXPECT_EQ(grey[0], MakeRgb(204, 204, 204));

    std::vector<ColorRef> column(7, MakeRgb(255, 255, 255));
    P::TintTrackColumn(column, MakeRgb(198, 97, 239));
    EXPECT_EQ(column[0], tints[2]);
    EXPECT_EQ(column[1], tints[1]);
    for (int row = 2; row < 7; ++row) EXPECT_EQ(column[row], tints[0]) << row;
}

TEST(XScrollPaletteTest, StretchPicksNearestRows) {
    std::vector<int> rows;
    for (int y = 0; y < 6; ++y) rows.push_back(P::StretchSourceRow(y, 6, 7));
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(P::StretchSourceRow(3, 14, 7), 1);
    EXPECT_EQ(P::StretchSourceRow(0, 0, 7), 0);
}

TEST(XScrollPaletteTest, MarkersAreReplacedColumnByColumn) {
    const ColorRef red = MakeRgb(200, 0, 0), blue = MakeRgb(0, 0, 200);
    // 3 by 2, row-major.
    std::vector<ColorRef> pixels = {
        P::kMarkerEdge, P::kMarkerThumb,      P::kMarkerTrackLeft, red,
        P::kMarkerEdge, P::kMarkerTrackRight,
    };
    P::MarkerColours colours;
    colours.thumb = blue;
    colours.useThumbColour = true;
    colours.greyEdge = true;
    colours.trackLeft = {MakeRgb(1, 1, 1), MakeRgb(2, 2, 2)};
    colours.trackRight = {MakeRgb(3, 3, 3), MakeRgb(4, 4, 4)};
    std::vector<ColorRef> grey = pixels;
    P::ReplaceMarkers(grey, 3, 2, colours);
    EXPECT_EQ(grey, (std::vector<ColorRef>{P::kGreyEdge, blue, MakeRgb(1, 1, 1), red, P::kGreyEdge,
                                           MakeRgb(4, 4, 4)}));

    // Without grey edges an edge takes the original colour of the pixel visited before it:
    // (1,1) comes after (1,0), the thumb marker; (0,0) has nothing before it.
    colours.greyEdge = false;
    colours.useThumbColour = false;
    std::vector<ColorRef> plain = pixels;
    P::ReplaceMarkers(plain, 3, 2, colours);
    EXPECT_EQ(plain, (std::vector<ColorRef>{MakeRgb(0, 0, 0), P::kMarkerThumb, MakeRgb(1, 1, 1),
                                            red, P::kMarkerThumb, MakeRgb(4, 4, 4)}));

    // The shipped thumb holds no markers and stays as it is; short inputs are left alone.
    std::vector<ColorRef> black(49, MakeRgb(0, 0, 0));
    P::ReplaceMarkers(black, 7, 7, colours);
    EXPECT_EQ(black, std::vector<ColorRef>(49, MakeRgb(0, 0, 0)));
    std::vector<ColorRef> shortPicture = {P::kMarkerEdge};
    P::ReplaceMarkers(shortPicture, 3, 3, colours);
    EXPECT_EQ(shortPicture[0], P::kMarkerEdge);
}

}  // namespace
