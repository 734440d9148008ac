#pragma once

// The seek bar's arithmetic between the thumb's left edge (pixels from the track's left end)
// and the position (0 to the range), kept apart from the window so it can be checked alone.
// Fractions are rounded by adding 0.5 and truncating, as the bar has always done.
class CXScrollGeometry {
public:
    virtual ~CXScrollGeometry() = default;

    // Keeps a thumb of thumbWidth inside a track of trackWidth: first not past the right
    // end, then not before trackLeft (which wins when the track is narrower than the thumb).
    static int ClampThumb(int thumbLeft, int trackLeft, int trackWidth, int thumbWidth);

    // The position a (clamped) thumb stands for, limited to 0 .. range. A track no wider than
    // the thumb has no travel and gives 0.
    static int PositionFromThumb(int thumbLeft, int trackWidth, int thumbWidth, int range);

    // The thumb's left edge for a position, clamped into the track. A range of 0 has no
    // scale: the thumb goes to trackLeft.
    static int ThumbFromPosition(int position, int trackLeft, int trackWidth, int thumbWidth,
                                 int range);

    // Where the centre of a click or drag puts the thumb's left edge (integer halving).
    static int ThumbLeftForCentre(int x, int thumbWidth) { return x - thumbWidth / 2; }
};
