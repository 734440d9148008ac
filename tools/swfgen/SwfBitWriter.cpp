#include "tools/swfgen/SwfBitWriter.h"

#include <cmath>

namespace zorbel::swfgen {

void SwfBitWriter::U8(uint8_t v) {
    Align();
    m_bytes.push_back(v);
}

void SwfBitWriter::U16(uint16_t v) {
    U8(uint8_t(v));
    U8(uint8_t(v >> 8));
}

void SwfBitWriter::U32(uint32_t v) {
    U16(uint16_t(v));
    U16(uint16_t(v >> 16));
}

void SwfBitWriter::Bytes(const std::vector<uint8_t>& bytes) {
    Align();
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void SwfBitWriter::CString(const std::string& text) {
    Align();
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(0);
}

void SwfBitWriter::Bits(uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
        m_bitBuffer = uint8_t(m_bitBuffer << 1 | ((value >> i) & 1u));
        if (++m_bitCount == 8) {
            m_bytes.push_back(m_bitBuffer);
            m_bitBuffer = 0;
            m_bitCount = 0;
        }
    }
}

void SwfBitWriter::SignedBits(int32_t value, unsigned count) {
    Bits(uint32_t(value), count);
}

void SwfBitWriter::Fixed16Bits(double value, unsigned count) {
    SignedBits(ToFixed16(value), count);
}

void SwfBitWriter::Align() {
    if (m_bitCount > 0) Bits(0, 8 - m_bitCount);
}

unsigned SwfBitWriter::SignedBitCount(int32_t v) {
    uint32_t magnitude = v < 0 ? ~uint32_t(v) : uint32_t(v);
    return UnsignedBitCount(magnitude) + 1;
}

unsigned SwfBitWriter::UnsignedBitCount(uint32_t v) {
    unsigned n = 0;
    while (v != 0) {
        ++n;
        v >>= 1;
    }
    return n;
}

int32_t SwfBitWriter::ToFixed16(double value) {
    return int32_t(std::lround(value * 65536.0));
}

const std::vector<uint8_t>& SwfBitWriter::Data() {
    Align();
    return m_bytes;
}

}  // namespace zorbel::swfgen
