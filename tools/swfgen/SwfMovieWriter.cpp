#include "tools/swfgen/SwfMovieWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace zorbel::swfgen {

SwfMatrix SwfMatrix::Make(double x, double y, double scale, double radians) {
    SwfMatrix m;
    m.scaleX = scale * std::cos(radians);
    m.scaleY = scale * std::cos(radians);
    m.rotateSkew0 = scale * std::sin(radians);
    m.rotateSkew1 = -scale * std::sin(radians);
    m.translateX = int32_t(std::lround(x));
    m.translateY = int32_t(std::lround(y));
    return m;
}

SwfMovieWriter::SwfMovieWriter(uint8_t version, int widthPixels, int heightPixels,
                               uint16_t frameRateFixed)
    : m_version(version),
      m_width(widthPixels),
      m_height(heightPixels),
      m_frameRate(frameRateFixed) {}

void SwfMovieWriter::Tag(uint16_t code, const std::vector<uint8_t>& body) {
    WriteTagRecord(m_tags, code, body);
    if (code == kTagShowFrame) ++m_frames;
}

std::vector<uint8_t> SwfMovieWriter::Finish(bool zlibCompressed) const {
    SwfBitWriter header;
    WriteRect(header, 0, m_width * 20, 0, m_height * 20);
    header.U16(m_frameRate);
    header.U16(uint16_t(m_frames));

    std::vector<uint8_t> body = header.Data();
    body.insert(body.end(), m_tags.begin(), m_tags.end());
    WriteTagRecord(body, kTagEnd, {});

    const uint32_t fileLength = uint32_t(8 + body.size());
    std::vector<uint8_t> out = {uint8_t(zlibCompressed ? 'C' : 'F'),
                                'W',
                                'S',
                                m_version,
                                uint8_t(fileLength),
                                uint8_t(fileLength >> 8),
                                uint8_t(fileLength >> 16),
                                uint8_t(fileLength >> 24)};
    if (!zlibCompressed) {
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
    uLongf packedSize = compressBound(uLong(body.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, body.data(), uLong(body.size()), 9) != Z_OK) {
        return {};
    }
    out.insert(out.end(), packed.begin(), packed.begin() + long(packedSize));
    return out;
}

void SwfMovieWriter::WriteTagRecord(std::vector<uint8_t>& out, uint16_t code,
                                    const std::vector<uint8_t>& body) {
    const size_t n = body.size();
    if (n < 0x3F) {
        uint16_t v = uint16_t(code << 6 | n);
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    } else {
        uint16_t v = uint16_t(code << 6 | 0x3F);
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(n >> (8 * i)));
    }
    out.insert(out.end(), body.begin(), body.end());
}

void SwfMovieWriter::WriteRect(SwfBitWriter& w, int32_t xMin, int32_t xMax, int32_t yMin,
                               int32_t yMax) {
    unsigned n = std::max({SwfBitWriter::SignedBitCount(xMin), SwfBitWriter::SignedBitCount(xMax),
                           SwfBitWriter::SignedBitCount(yMin), SwfBitWriter::SignedBitCount(yMax)});
    w.Align();
    w.Bits(n, 5);
    w.SignedBits(xMin, n);
    w.SignedBits(xMax, n);
    w.SignedBits(yMin, n);
    w.SignedBits(yMax, n);
    w.Align();
}

void SwfMovieWriter::WriteMatrix(SwfBitWriter& w, const SwfMatrix& m) {
    w.Align();
    const int32_t sx = SwfBitWriter::ToFixed16(m.scaleX);
    const int32_t sy = SwfBitWriter::ToFixed16(m.scaleY);
    const bool hasScale = sx != 0x10000 || sy != 0x10000;
    w.Bits(hasScale, 1);
    if (hasScale) {
        unsigned n = std::max(SwfBitWriter::SignedBitCount(sx), SwfBitWriter::SignedBitCount(sy));
        w.Bits(n, 5);
        w.SignedBits(sx, n);
        w.SignedBits(sy, n);
    }
    const int32_t r0 = SwfBitWriter::ToFixed16(m.rotateSkew0);
    const int32_t r1 = SwfBitWriter::ToFixed16(m.rotateSkew1);
    const bool hasRotate = r0 != 0 || r1 != 0;
    w.Bits(hasRotate, 1);
    if (hasRotate) {
        unsigned n = std::max(SwfBitWriter::SignedBitCount(r0), SwfBitWriter::SignedBitCount(r1));
        w.Bits(n, 5);
        w.SignedBits(r0, n);
        w.SignedBits(r1, n);
    }
    unsigned n = 0;
    if (m.translateX != 0 || m.translateY != 0) {
        n = std::max(SwfBitWriter::SignedBitCount(m.translateX),
                     SwfBitWriter::SignedBitCount(m.translateY));
    }
    w.Bits(n, 5);
    w.SignedBits(m.translateX, n);
    w.SignedBits(m.translateY, n);
    w.Align();
}

void SwfMovieWriter::WriteColorTransform(SwfBitWriter& w, const SwfColorTransform& c) {
    w.Align();
    const int16_t mult[4] = {c.multR, c.multG, c.multB, c.multA};
    const int16_t add[4] = {c.addR, c.addG, c.addB, c.addA};
    const bool hasMult = std::any_of(mult, mult + 4, [](int16_t v) { return v != 256; });
    const bool hasAdd = std::any_of(add, add + 4, [](int16_t v) { return v != 0; });
    unsigned n = 1;
    for (int i = 0; i < 4; ++i) {
        if (hasMult) n = std::max(n, SwfBitWriter::SignedBitCount(mult[i]));
        if (hasAdd) n = std::max(n, SwfBitWriter::SignedBitCount(add[i]));
    }
    w.Bits(hasAdd, 1);
    w.Bits(hasMult, 1);
    w.Bits(n, 4);
    if (hasMult) {
        for (int16_t v : mult) w.SignedBits(v, n);
    }
    if (hasAdd) {
        for (int16_t v : add) w.SignedBits(v, n);
    }
    w.Align();
}

void SwfMovieWriter::WriteRgba(SwfBitWriter& w, const SwfRgba& c) {
    w.U8(c.r);
    w.U8(c.g);
    w.U8(c.b);
    w.U8(c.a);
}

std::vector<uint8_t> SwfMovieWriter::FileAttributesBody(bool actionScript3) {
    return {uint8_t(actionScript3 ? 0x08 : 0x00), 0, 0, 0};
}

std::vector<uint8_t> SwfMovieWriter::BackgroundBody(const SwfRgba& c) {
    return {c.r, c.g, c.b};
}

std::vector<uint8_t> SwfMovieWriter::PlaceBody(uint16_t depth, uint16_t characterId,
                                               const SwfMatrix& m,
                                               const SwfColorTransform* colour) {
    SwfBitWriter w;
    uint8_t flags = 0x04;  // has matrix
    if (characterId != 0)
        flags |= 0x02;
    else
        flags |= 0x01;  // move
    if (colour) flags |= 0x08;
    w.U8(flags);
    w.U16(depth);
    if (characterId != 0) w.U16(characterId);
    WriteMatrix(w, m);
    if (colour) WriteColorTransform(w, *colour);
    return w.Data();
}

std::vector<uint8_t> SwfMovieWriter::SpriteBody(uint16_t spriteId, uint16_t frameCount,
                                                const std::vector<uint8_t>& controlTagRecords) {
    std::vector<uint8_t> body = {uint8_t(spriteId), uint8_t(spriteId >> 8), uint8_t(frameCount),
                                 uint8_t(frameCount >> 8)};
    body.insert(body.end(), controlTagRecords.begin(), controlTagRecords.end());
    WriteTagRecord(body, kTagEnd, {});
    return body;
}

}  // namespace zorbel::swfgen
