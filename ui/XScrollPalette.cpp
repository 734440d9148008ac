#include "ui/XScrollPalette.h"

std::array<ColorRef, 3> CXScrollPalette::TrackTints(ColorRef thumb) {
    CHslColor base(thumb);
    const float hue = base.GetHue();
    const float saturation = base.GetSaturation() / 2.0f;
    std::array<ColorRef, 3> tints{};
    const float lightness[3] = {0.80f, 0.87f, 0.92f};
    for (int i = 0; i < 3; ++i) {
        CHslColor tint;
        tint.SetHsl(hue, saturation, lightness[i]);
        tints[i] = tint.GetRgb();
    }
    return tints;
}

void CXScrollPalette::TintTrackColumn(std::vector<ColorRef>& column, ColorRef thumb) {
    const std::array<ColorRef, 3> tints = TrackTints(thumb);
    for (std::size_t row = 0; row < column.size(); ++row)
        column[row] = row == 0 ? tints[2] : row == 1 ? tints[1] : tints[0];
}

int CXScrollPalette::StretchSourceRow(int destRow, int destHeight, int srcHeight) {
    if (destHeight <= 0 || srcHeight <= 0) return 0;
    const long long row = static_cast<long long>(destRow) * srcHeight / destHeight;
    return row < srcHeight ? static_cast<int>(row) : srcHeight - 1;
}

void CXScrollPalette::ReplaceMarkers(std::vector<ColorRef>& pixels, int width, int height,
                                     const MarkerColours& colours) {
    if (width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return;
    // Before the first pixel nothing has been visited: black stands in.
    ColorRef previous = 0;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            ColorRef& pixel = pixels[static_cast<std::size_t>(y) * width + x];
            const ColorRef original = pixel;
            const std::size_t row = static_cast<std::size_t>(y);
            if (original == kMarkerThumb) {
                if (colours.useThumbColour) pixel = colours.thumb;
            } else if (original == kMarkerEdge) {
                pixel = colours.greyEdge ? kGreyEdge : previous;
            } else if (original == kMarkerTrackLeft) {
                if (row < colours.trackLeft.size()) pixel = colours.trackLeft[row];
            } else if (original == kMarkerTrackRight) {
                if (row < colours.trackRight.size()) pixel = colours.trackRight[row];
            }
            previous = original;
        }
    }
}
