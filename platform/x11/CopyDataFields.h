#pragma once

#include <cstdint>
#include <vector>

namespace zorbel::x11::copydata {

// What the five fields of a copy-data client message say (see CopyDataProtocol.h). Each field
// carries 32 bits, however wide a long is; dwData joins its two halves again.
struct MessageFields {
    unsigned long sender = 0;
    unsigned long property = 0;
    unsigned long length = 0;
    unsigned long dwData = 0;

    static MessageFields Decode(const long (&fields)[5]);
};

// The payload in the bytes read from the sender's property: exactly `length` of them, and only
// when the property held that many (`count`). False leaves `bytes` untouched.
bool TakePayload(const unsigned char* data, unsigned long count, unsigned long length,
                 std::vector<uint8_t>& bytes);

}  // namespace zorbel::x11::copydata
