#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "tools/swfgen/SwfMovieWriter.h"

namespace zorbel::swfgen {

// Builds a DefineShape3 body from closed outlines. Coordinates are twips relative to the
// shape's origin. Draw outlines clockwise on screen: the fill goes on the right-hand side.
class SwfShapeBuilder {
public:
    using GradientStops = std::vector<std::pair<uint8_t, SwfRgba>>;  // ratio 0..255, colour

    // Style indexes start at 1; 0 means none.
    int AddSolidFill(const SwfRgba& colour);
    // Linear gradient running from (x0, y0) to (x1, y1).
    int AddLinearGradient(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                          const GradientStops& stops);
    // Radial gradient centred at (cx, cy) with the given radius.
    int AddRadialGradient(int32_t cx, int32_t cy, int32_t radius, const GradientStops& stops);
    int AddLineStyle(uint16_t widthTwips, const SwfRgba& colour);

    // Starts an outline at (x, y) with a fill on its right-hand side (inside), a line style,
    // and the fill on its left-hand side: 0 for an outline on nothing, or the fill of the
    // region an inner outline sits in.
    void Begin(int fill, int line, int32_t x, int32_t y, int outsideFill = 0);
    void LineTo(int32_t x, int32_t y);
    void CurveTo(int32_t cx, int32_t cy, int32_t x, int32_t y);

    // Shorthands built from the above.
    void Circle(int fill, int line, int32_t cx, int32_t cy, int32_t r, int outsideFill = 0);
    void Ellipse(int fill, int line, int32_t cx, int32_t cy, int32_t rx, int32_t ry,
                 int outsideFill = 0);
    void Polygon(int fill, int line, const std::vector<std::pair<int32_t, int32_t>>& points);

    std::vector<uint8_t> DefineShape3Body(uint16_t shapeId) const;
    bool Empty() const { return m_records.empty(); }

private:
    struct FillStyle {
        uint8_t type = 0;  // 0x00 solid, 0x10 linear, 0x12 radial
        SwfRgba colour;
        SwfMatrix matrix;
        GradientStops stops;
    };
    struct LineStyle {
        uint16_t width = 20;
        SwfRgba colour;
    };
    struct Record {
        enum Kind { Style, Line, Curve } kind = Line;
        int fill = 0;
        int outsideFill = 0;
        int line = 0;
        int32_t x = 0, y = 0;    // style: move target; edges: anchor (absolute)
        int32_t cx = 0, cy = 0;  // curve control point (absolute)
    };

    void Include(int32_t x, int32_t y);

    std::vector<FillStyle> m_fills;
    std::vector<LineStyle> m_lines;
    std::vector<Record> m_records;
    bool m_hasBounds = false;
    int32_t m_xMin = 0, m_xMax = 0, m_yMin = 0, m_yMax = 0;
    int m_maxLineWidth = 0;
};

}  // namespace zorbel::swfgen
