#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbel::swfgen {

// Little-endian bytes and most-significant-first bit fields, as Flash movies store them.
// Every byte-sized write first finishes the bit field in progress.
class SwfBitWriter {
public:
    void U8(uint8_t v);
    void U16(uint16_t v);
    void U32(uint32_t v);
    void Bytes(const std::vector<uint8_t>& bytes);
    void CString(const std::string& text);  // zero-terminated

    void Bits(uint32_t value, unsigned count);
    void SignedBits(int32_t value, unsigned count);
    void Fixed16Bits(double value, unsigned count);  // 16.16 fixed point in `count` bits
    void Align();

    // Bits a signed field needs to hold v (at least 1).
    static unsigned SignedBitCount(int32_t v);
    static unsigned UnsignedBitCount(uint32_t v);
    static int32_t ToFixed16(double value);

    const std::vector<uint8_t>& Data();
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
    uint8_t m_bitBuffer = 0;
    unsigned m_bitCount = 0;
};

}  // namespace zorbel::swfgen
