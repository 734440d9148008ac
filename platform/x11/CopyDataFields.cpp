#include "platform/x11/CopyDataFields.h"

namespace zorbel::x11::copydata {
namespace {

unsigned long Field32(long value) {
    return static_cast<unsigned long>(value) & 0xFFFFFFFFul;
}

}  // namespace

MessageFields MessageFields::Decode(const long (&fields)[5]) {
    MessageFields out;
    out.sender = static_cast<unsigned long>(fields[0]);
    out.property = static_cast<unsigned long>(fields[1]);
    out.length = Field32(fields[2]);
    out.dwData = Field32(fields[3]);
    if (sizeof(unsigned long) > 4) out.dwData |= Field32(fields[4]) << 16 << 16;
    return out;
}

bool TakePayload(const unsigned char* data, unsigned long count, unsigned long length,
                 std::vector<uint8_t>& bytes) {
    if (count < length || (data == nullptr && length > 0)) return false;
    bytes.assign(data, data + length);
    return true;
}

}  // namespace zorbel::x11::copydata
