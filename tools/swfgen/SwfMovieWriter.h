#pragma once

#include <cstdint>
#include <vector>

#include "tools/swfgen/SwfBitWriter.h"

namespace zorbel::swfgen {

struct SwfRgba {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;
};

// Placement matrix: scale and rotate/skew terms as real numbers, translation in twips.
struct SwfMatrix {
    double scaleX = 1;
    double scaleY = 1;
    double rotateSkew0 = 0;
    double rotateSkew1 = 0;
    int32_t translateX = 0;
    int32_t translateY = 0;

    static SwfMatrix Make(double x, double y, double scale, double radians);  // x, y in twips
};

// Colour transform with alpha; multipliers are 8.8 fixed (256 = unchanged).
struct SwfColorTransform {
    int16_t multR = 256, multG = 256, multB = 256, multA = 256;
    int16_t addR = 0, addG = 0, addB = 0, addA = 0;
};

// Collects the tags of one movie and writes the finished file, optionally zlib-compressed.
class SwfMovieWriter {
public:
    static constexpr uint16_t kTagEnd = 0;
    static constexpr uint16_t kTagShowFrame = 1;
    static constexpr uint16_t kTagSetBackgroundColor = 9;
    static constexpr uint16_t kTagDoAction = 12;
    static constexpr uint16_t kTagPlaceObject2 = 26;
    static constexpr uint16_t kTagRemoveObject2 = 28;
    static constexpr uint16_t kTagDefineShape3 = 32;
    static constexpr uint16_t kTagDefineSprite = 39;
    static constexpr uint16_t kTagFileAttributes = 69;

    SwfMovieWriter(uint8_t version, int widthPixels, int heightPixels, uint16_t frameRateFixed);

    void Tag(uint16_t code, const std::vector<uint8_t>& body);
    void ShowFrame() { Tag(kTagShowFrame, {}); }
    int FramesShown() const { return m_frames; }

    // The complete movie: header with the number of frames shown, the tags, an End tag.
    // Empty if compression fails.
    std::vector<uint8_t> Finish(bool zlibCompressed) const;

    // Serialises one tag record (short form below 63 bytes, long form otherwise).
    static void WriteTagRecord(std::vector<uint8_t>& out, uint16_t code,
                               const std::vector<uint8_t>& body);
    static void WriteRect(SwfBitWriter& w, int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
    static void WriteMatrix(SwfBitWriter& w, const SwfMatrix& m);
    static void WriteColorTransform(SwfBitWriter& w, const SwfColorTransform& c);
    static void WriteRgba(SwfBitWriter& w, const SwfRgba& c);

    // Bodies of the tags the generator uses.
    static std::vector<uint8_t> FileAttributesBody(bool actionScript3);
    static std::vector<uint8_t> BackgroundBody(const SwfRgba& c);
    // PlaceObject2: a new character when characterId != 0, else a move of what is at depth.
    static std::vector<uint8_t> PlaceBody(uint16_t depth, uint16_t characterId, const SwfMatrix& m,
                                          const SwfColorTransform* colour);
    // DefineSprite from already serialised control tag records; End is appended.
    static std::vector<uint8_t> SpriteBody(uint16_t spriteId, uint16_t frameCount,
                                           const std::vector<uint8_t>& controlTagRecords);

private:
    uint8_t m_version;
    int m_width;
    int m_height;
    uint16_t m_frameRate;
    int m_frames = 0;
    std::vector<uint8_t> m_tags;
};

}  // namespace zorbel::swfgen
