// libFuzzer target: a copy-data message as another process could send it. The input starts
// with the message's five fields (as longs), then a byte that says how much of the rest the
// sender's property holds; the rest is the property's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/x11/CopyDataFields.h"
#include "platform/x11/CopyDataText.h"

using zorbel::x11::copydata::MessageFields;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    long raw[5] = {};
    if (size < sizeof raw + 1) return 0;
    std::memcpy(raw, data, sizeof raw);
    const uint8_t held = data[sizeof raw];
    const uint8_t* property = data + sizeof raw + 1;
    const size_t available = size - sizeof raw - 1;
    // The property holds all the rest, or less when the byte says so.
    const unsigned long count = held == 0xFF ? available : std::min<size_t>(held, available);

    const MessageFields fields = MessageFields::Decode(raw);
    if (fields.length > 0xFFFFFFFFul) std::abort();
    std::vector<uint8_t> bytes;
    if (!zorbel::x11::copydata::TakePayload(property, count, fields.length, bytes)) {
        if (count >= fields.length || !bytes.empty()) std::abort();
        return 0;
    }
    if (bytes.size() != fields.length ||
        (!bytes.empty() && std::memcmp(bytes.data(), property, bytes.size()) != 0)) {
        std::abort();
    }

    for (size_t cbData : {bytes.size(), size_t(fields.dwData), size_t(held)}) {
        const std::string text = zorbel::CopyDataText(bytes, cbData);
        // The text is the bytes up to the first zero, within the length.
        if (text.size() > std::min(cbData, bytes.size()) || text.find('\0') != std::string::npos ||
            (!text.empty() && std::memcmp(text.data(), bytes.data(), text.size()) != 0) ||
            (text.size() < std::min(cbData, bytes.size()) && bytes[text.size()] != 0)) {
            std::abort();
        }
        zorbel::IsUpdaterQuitMessage(text);
    }
    return 0;
}
