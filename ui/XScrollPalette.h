#pragma once

#include <array>
#include <vector>

#include "ui/HslColor.h"

// The seek bar's colours: the tints of its played track and the marker pixels of its thumb
// picture. Pictures are row-major vectors of ColorRef, row 0 at the top.
class CXScrollPalette {
public:
    virtual ~CXScrollPalette() = default;

    static constexpr ColorRef kMarkerThumb = MakeRgb(0, 0, 1);
    static constexpr ColorRef kMarkerEdge = MakeRgb(0, 0, 2);
    static constexpr ColorRef kMarkerTrackLeft = MakeRgb(0, 0, 3);
    static constexpr ColorRef kMarkerTrackRight = MakeRgb(0, 0, 4);
    static constexpr ColorRef kGreyEdge = MakeRgb(91, 91, 91);
    static constexpr ColorRef kFrame = MakeRgb(76, 85, 118);
    static constexpr ColorRef kThumbHover = MakeRgb(255, 204, 0);

    // The thumb colour's hue at half its saturation, at lightness 0.80, 0.87 and 0.92.
    static std::array<ColorRef, 3> TrackTints(ColorRef thumb);

    // Recolours a track column (one colour per row) with those tints: row 0 the lightest,
    // row 1 the middle one, every further row the darkest.
    static void TintTrackColumn(std::vector<ColorRef>& column, ColorRef thumb);

    // The source row that a nearest-neighbour stretch of srcHeight rows onto destHeight rows
    // shows in destRow.
    static int StretchSourceRow(int destRow, int destHeight, int srcHeight);

    struct MarkerColours {
        ColorRef thumb = 0;  // for kMarkerThumb, when useThumbColour
        bool useThumbColour = false;
        bool greyEdge = true;              // kMarkerEdge grey, or else the colour visited before it
        std::vector<ColorRef> trackLeft;   // off-screen colour at the track's left end, per row
        std::vector<ColorRef> trackRight;  // and at its right end
    };

    // Replaces the marker pixels of a thumb picture, visiting it column by column, top to
    // bottom. Rows missing from trackLeft/trackRight leave their markers as they are.
    static void ReplaceMarkers(std::vector<ColorRef>& pixels, int width, int height,
                               const MarkerColours& colours);
};
