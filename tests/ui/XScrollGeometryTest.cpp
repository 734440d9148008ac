#include <gtest/gtest.h>

#include <climits>

#include "ui/XScrollGeometry.h"

namespace {

// The player's seek bar: a track of 400 pixels, the 7-pixel thumb, range 0 to 1000.
constexpr int kTrack = 400;
constexpr int kThumb = 7;
constexpr int kRange = 1000;

int Thumb(int position) {
    return CXScrollGeometry::ThumbFromPosition(position, 0, kTrack, kThumb, kRange);
}

int PositionForCentre(int x) {
    int left = CXScrollGeometry::ThumbLeftForCentre(x, kThumb);
    left = CXScrollGeometry::ClampThumb(left, 0, kTrack, kThumb);
    return CXScrollGeometry::PositionFromThumb(left, kTrack, kThumb, kRange);
}

TEST(XScrollGeometryTest, PositionAndThumbConvertWithRounding) {
    EXPECT_EQ(Thumb(500), 197);  // 500 x 393/1000 + 0.5
    EXPECT_EQ(CXScrollGeometry::ThumbLeftForCentre(100, kThumb), 97);
    EXPECT_EQ(PositionForCentre(100), 247);  // 97 x 1000/393 + 0.5
    EXPECT_EQ(Thumb(0), 0);
    EXPECT_EQ(Thumb(1000), 393);
    EXPECT_EQ(Thumb(1), 0);  // 0.393 + 0.5
    EXPECT_EQ(Thumb(2), 1);  // 0.786 + 0.5
    EXPECT_EQ(CXScrollGeometry::PositionFromThumb(1, kTrack, kThumb, kRange), 3);
}

TEST(XScrollGeometryTest, ThumbAndPositionStayInsideTheTrackAtBothEnds) {
    EXPECT_EQ(CXScrollGeometry::ClampThumb(-10, 0, kTrack, kThumb), 0);
    EXPECT_EQ(CXScrollGeometry::ClampThumb(394, 0, kTrack, kThumb), 393);
    EXPECT_EQ(CXScrollGeometry::ClampThumb(393, 0, kTrack, kThumb), 393);
    EXPECT_EQ(PositionForCentre(-50), 0);
    EXPECT_EQ(PositionForCentre(0), 0);
    EXPECT_EQ(PositionForCentre(396), 1000);
    EXPECT_EQ(PositionForCentre(5000), 1000);
    // A position outside the range is kept as given, but the thumb is not.
    EXPECT_EQ(Thumb(2000), 393);
    EXPECT_EQ(Thumb(-300), 0);
    EXPECT_EQ(Thumb(INT_MAX), 393);
    EXPECT_EQ(Thumb(INT_MIN), 0);
    // The position never leaves 0 .. range, whatever the thumb says.
    EXPECT_EQ(CXScrollGeometry::PositionFromThumb(500, kTrack, kThumb, kRange), 1000);
    EXPECT_EQ(CXScrollGeometry::PositionFromThumb(-5, kTrack, kThumb, kRange), 0);
}

TEST(XScrollGeometryTest, NoRangeOrNoTravelNeverDivides) {
    EXPECT_EQ(CXScrollGeometry::ThumbFromPosition(500, 0, kTrack, kThumb, 0), 0);
    EXPECT_EQ(CXScrollGeometry::PositionFromThumb(200, kTrack, kThumb, 0), 0);
    // A track no wider than the thumb (the player starts at 0 by 0).
    EXPECT_EQ(CXScrollGeometry::PositionFromThumb(0, kThumb, kThumb, kRange), 0);
    EXPECT_EQ(CXScrollGeometry::PositionFromThumb(0, 0, kThumb, kRange), 0);
    EXPECT_EQ(CXScrollGeometry::ThumbFromPosition(500, 0, 3, kThumb, kRange), 0);
    EXPECT_EQ(CXScrollGeometry::ClampThumb(10, 0, 0, kThumb), 0);
}

}  // namespace
