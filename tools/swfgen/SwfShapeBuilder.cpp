#include "tools/swfgen/SwfShapeBuilder.h"

#include <algorithm>
#include <cmath>

namespace zorbel::swfgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
// The gradient square spans -16384..16384 twips before its matrix.
constexpr double kGradientSpan = 32768.0;

void WriteStyleCount(SwfBitWriter& w, size_t n) {
    if (n < 0xFF) {
        w.U8(uint8_t(n));
    } else {
        w.U8(0xFF);
        w.U16(uint16_t(n));
    }
}

}  // namespace

int SwfShapeBuilder::AddSolidFill(const SwfRgba& colour) {
    FillStyle f;
    f.type = 0x00;
    f.colour = colour;
    m_fills.push_back(f);
    return int(m_fills.size());
}

int SwfShapeBuilder::AddLinearGradient(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                       const GradientStops& stops) {
    FillStyle f;
    f.type = 0x10;
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    f.matrix = SwfMatrix::Make((x0 + x1) / 2.0, (y0 + y1) / 2.0, std::hypot(dx, dy) / kGradientSpan,
                               std::atan2(dy, dx));
    f.stops = stops;
    m_fills.push_back(f);
    return int(m_fills.size());
}

int SwfShapeBuilder::AddRadialGradient(int32_t cx, int32_t cy, int32_t radius,
                                       const GradientStops& stops) {
    FillStyle f;
    f.type = 0x12;
    f.matrix = SwfMatrix::Make(cx, cy, 2.0 * radius / kGradientSpan, 0);
    f.stops = stops;
    m_fills.push_back(f);
    return int(m_fills.size());
}

int SwfShapeBuilder::AddLineStyle(uint16_t widthTwips, const SwfRgba& colour) {
    m_lines.push_back({widthTwips, colour});
    m_maxLineWidth = std::max<int>(m_maxLineWidth, widthTwips);
    return int(m_lines.size());
}

void SwfShapeBuilder::Include(int32_t x, int32_t y) {
    if (!m_hasBounds) {
        m_xMin = m_xMax = x;
        m_yMin = m_yMax = y;
        m_hasBounds = true;
        return;
    }
    m_xMin = std::min(m_xMin, x);
    m_xMax = std::max(m_xMax, x);
    m_yMin = std::min(m_yMin, y);
    m_yMax = std::max(m_yMax, y);
}

void SwfShapeBuilder::Begin(int fill, int line, int32_t x, int32_t y, int outsideFill) {
    Record r;
    r.kind = Record::Style;
    r.fill = fill;
    r.outsideFill = outsideFill;
    r.line = line;
    r.x = x;
    r.y = y;
    m_records.push_back(r);
    Include(x, y);
}

void SwfShapeBuilder::LineTo(int32_t x, int32_t y) {
    Record r;
    r.kind = Record::Line;
    r.x = x;
    r.y = y;
    m_records.push_back(r);
    Include(x, y);
}

void SwfShapeBuilder::CurveTo(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    Record r;
    r.kind = Record::Curve;
    r.cx = cx;
    r.cy = cy;
    r.x = x;
    r.y = y;
    m_records.push_back(r);
    Include(cx, cy);
    Include(x, y);
}

void SwfShapeBuilder::Circle(int fill, int line, int32_t cx, int32_t cy, int32_t r,
                             int outsideFill) {
    Ellipse(fill, line, cx, cy, r, r, outsideFill);
}

void SwfShapeBuilder::Ellipse(int fill, int line, int32_t cx, int32_t cy, int32_t rx, int32_t ry,
                              int outsideFill) {
    // Eight quadratic arcs; the control point sits on the tangents' crossing.
    const int kSegments = 8;
    const double step = 2 * kPi / kSegments;
    const double reach = 1.0 / std::cos(step / 2);
    Begin(fill, line, cx + rx, cy, outsideFill);
    for (int i = 1; i <= kSegments; ++i) {
        double mid = (i - 0.5) * step;
        double end = i * step;
        CurveTo(int32_t(std::lround(cx + rx * reach * std::cos(mid))),
                int32_t(std::lround(cy + ry * reach * std::sin(mid))),
                int32_t(std::lround(cx + rx * std::cos(end))),
                int32_t(std::lround(cy + ry * std::sin(end))));
    }
}

void SwfShapeBuilder::Polygon(int fill, int line,
                              const std::vector<std::pair<int32_t, int32_t>>& points) {
    if (points.empty()) return;
    Begin(fill, line, points[0].first, points[0].second);
    for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].first, points[i].second);
    LineTo(points[0].first, points[0].second);
}

std::vector<uint8_t> SwfShapeBuilder::DefineShape3Body(uint16_t shapeId) const {
    SwfBitWriter w;
    w.U16(shapeId);
    const int32_t pad = m_maxLineWidth / 2 + 1;
    SwfMovieWriter::WriteRect(w, m_xMin - pad, m_xMax + pad, m_yMin - pad, m_yMax + pad);

    WriteStyleCount(w, m_fills.size());
    for (const FillStyle& f : m_fills) {
        w.U8(f.type);
        if (f.type == 0x00) {
            SwfMovieWriter::WriteRgba(w, f.colour);
            continue;
        }
        SwfMovieWriter::WriteMatrix(w, f.matrix);
        w.Bits(0, 2);  // pad spread
        w.Bits(0, 2);  // normal RGB interpolation
        w.Bits(uint32_t(std::min<size_t>(f.stops.size(), 15)), 4);
        for (size_t i = 0; i < f.stops.size() && i < 15; ++i) {
            w.U8(f.stops[i].first);
            SwfMovieWriter::WriteRgba(w, f.stops[i].second);
        }
    }
    WriteStyleCount(w, m_lines.size());
    for (const LineStyle& l : m_lines) {
        w.U16(l.width);
        SwfMovieWriter::WriteRgba(w, l.colour);
    }

    const unsigned fillBits = SwfBitWriter::UnsignedBitCount(uint32_t(m_fills.size()));
    const unsigned lineBits = SwfBitWriter::UnsignedBitCount(uint32_t(m_lines.size()));
    w.Bits(fillBits, 4);
    w.Bits(lineBits, 4);

    int32_t penX = 0, penY = 0;
    for (const Record& r : m_records) {
        if (r.kind == Record::Style) {
            w.Bits(0, 1);  // style change
            w.Bits(0, 1);  // no new styles
            w.Bits(1, 1);  // line style
            w.Bits(1, 1);  // fill style 1
            w.Bits(1, 1);  // fill style 0
            w.Bits(1, 1);  // move to
            unsigned n =
                std::max(SwfBitWriter::SignedBitCount(r.x), SwfBitWriter::SignedBitCount(r.y));
            w.Bits(n, 5);
            w.SignedBits(r.x, n);
            w.SignedBits(r.y, n);
            w.Bits(uint32_t(r.outsideFill), fillBits);
            w.Bits(uint32_t(r.fill), fillBits);
            w.Bits(uint32_t(r.line), lineBits);
        } else if (r.kind == Record::Line) {
            const int32_t dx = r.x - penX, dy = r.y - penY;
            if (dx == 0 && dy == 0) continue;
            unsigned n =
                std::max({2u, SwfBitWriter::SignedBitCount(dx), SwfBitWriter::SignedBitCount(dy)});
            w.Bits(1, 1);  // edge
            w.Bits(1, 1);  // straight
            w.Bits(n - 2, 4);
            if (dx != 0 && dy != 0) {
                w.Bits(1, 1);
                w.SignedBits(dx, n);
                w.SignedBits(dy, n);
            } else {
                w.Bits(0, 1);
                w.Bits(dx == 0, 1);  // vertical
                w.SignedBits(dx == 0 ? dy : dx, n);
            }
        } else {
            const int32_t cdx = r.cx - penX, cdy = r.cy - penY;
            const int32_t adx = r.x - r.cx, ady = r.y - r.cy;
            unsigned n =
                std::max({2u, SwfBitWriter::SignedBitCount(cdx), SwfBitWriter::SignedBitCount(cdy),
                          SwfBitWriter::SignedBitCount(adx), SwfBitWriter::SignedBitCount(ady)});
            w.Bits(1, 1);  // edge
            w.Bits(0, 1);  // curved
            w.Bits(n - 2, 4);
            w.SignedBits(cdx, n);
            w.SignedBits(cdy, n);
            w.SignedBits(adx, n);
            w.SignedBits(ady, n);
        }
        penX = r.x;
        penY = r.y;
    }
    w.Bits(0, 6);  // end of shape
    return w.Data();
}

}  // namespace zorbel::swfgen
