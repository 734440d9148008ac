#include "tests/web/flash/TestMovie.h"

#include <zlib.h>

#include <fstream>

namespace zorbel::test {
namespace {

class BitWriter {
public:
    std::vector<uint8_t> bytes;
    void Bits(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (m_bit == 0) bytes.push_back(0);
            if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(0x80 >> m_bit);
            m_bit = (m_bit + 1) % 8;
        }
    }

private:
    int m_bit = 0;
};

}  // namespace

std::vector<uint8_t> TestTag(uint16_t code, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    uint32_t len = static_cast<uint32_t>(body.size());
    if (len < 0x3F) {
        uint16_t h = static_cast<uint16_t>(code << 6 | len);
        out = {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8)};
    } else {
        uint16_t h = static_cast<uint16_t>(code << 6 | 0x3F);
        out = {static_cast<uint8_t>(h),         static_cast<uint8_t>(h >> 8),
               static_cast<uint8_t>(len),       static_cast<uint8_t>(len >> 8),
               static_cast<uint8_t>(len >> 16), static_cast<uint8_t>(len >> 24)};
    }
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> MakeTestMovie(const TestMovieRecipe& recipe) {
    BitWriter rect;
    const int nbits = 16;
    rect.Bits(nbits, 5);
    rect.Bits(0, nbits);
    rect.Bits(static_cast<uint32_t>(recipe.widthPx * 20), nbits);
    rect.Bits(0, nbits);
    rect.Bits(static_cast<uint32_t>(recipe.heightPx * 20), nbits);

    std::vector<uint8_t> body = rect.bytes;
    uint16_t rate = static_cast<uint16_t>(recipe.frameRate * 256);
    body.push_back(static_cast<uint8_t>(rate));
    body.push_back(static_cast<uint8_t>(rate >> 8));
    body.push_back(static_cast<uint8_t>(recipe.frames));
    body.push_back(static_cast<uint8_t>(recipe.frames >> 8));

    auto add = [&body](const std::vector<uint8_t>& tag) {
        body.insert(body.end(), tag.begin(), tag.end());
    };
    if (recipe.fileAttributes)
        add(TestTag(69, {static_cast<uint8_t>(recipe.actionScript3 ? 0x08 : 0x00), 0, 0, 0}));
    add(TestTag(9, {0x33, 0x66, 0x99}));  // SetBackgroundColor
    for (int i = 0; i < recipe.frames; ++i) add(TestTag(1, {}));
    add(TestTag(0, {}));

    uint32_t length = static_cast<uint32_t>(8 + body.size());
    std::vector<uint8_t> movie = {static_cast<uint8_t>(recipe.compression),
                                  'W',
                                  'S',
                                  recipe.version,
                                  static_cast<uint8_t>(length),
                                  static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length >> 16),
                                  static_cast<uint8_t>(length >> 24)};
    if (recipe.compression == 'C') {
        uLongf size = compressBound(static_cast<uLong>(body.size()));
        std::vector<uint8_t> packed(size);
        compress2(packed.data(), &size, body.data(), static_cast<uLong>(body.size()), 9);
        packed.resize(size);
        movie.insert(movie.end(), packed.begin(), packed.end());
    } else {
        movie.insert(movie.end(), body.begin(), body.end());
    }
    return movie;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace zorbel::test
