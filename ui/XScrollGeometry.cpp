#include "ui/XScrollGeometry.h"

#include <climits>

namespace {

// value + 0.5 truncated toward zero, kept inside int.
int RoundHalfUp(double value) {
    value += 0.5;
    if (!(value < static_cast<double>(INT_MAX))) return value != value ? 0 : INT_MAX;
    if (value < static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

int CXScrollGeometry::ClampThumb(int thumbLeft, int trackLeft, int trackWidth, int thumbWidth) {
    if (static_cast<long long>(thumbLeft) + thumbWidth > trackWidth)
        thumbLeft = trackWidth - thumbWidth;
    if (thumbLeft < trackLeft) thumbLeft = trackLeft;
    return thumbLeft;
}

int CXScrollGeometry::PositionFromThumb(int thumbLeft, int trackWidth, int thumbWidth, int range) {
    const int travel = trackWidth - thumbWidth;
    if (travel <= 0) return 0;
    int position =
        RoundHalfUp(thumbLeft * (static_cast<double>(range) / static_cast<double>(travel)));
    if (position < 0) position = 0;
    if (position > range) position = range;
    return position;
}

int CXScrollGeometry::ThumbFromPosition(int position, int trackLeft, int trackWidth, int thumbWidth,
                                        int range) {
    int thumbLeft = trackLeft;
    if (range != 0) {
        const double travel = static_cast<double>(trackWidth) - thumbWidth;
        thumbLeft = RoundHalfUp(position * (travel / static_cast<double>(range)));
    }
    return ClampThumb(thumbLeft, trackLeft, trackWidth, thumbWidth);
}
