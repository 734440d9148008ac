#include "platform/x11/CopyDataText.h"

#include <algorithm>
#include <cstring>

namespace zorbel {

std::string CopyDataText(const uint8_t* bytes, size_t cbData) {
    if (bytes == nullptr || cbData == 0) return std::string();
    const void* zero = std::memchr(bytes, 0, cbData);
    size_t length = zero != nullptr ? static_cast<const uint8_t*>(zero) - bytes : cbData;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

std::string CopyDataText(const std::vector<uint8_t>& bytes, size_t cbData) {
    return CopyDataText(bytes.data(), std::min(cbData, bytes.size()));
}

bool IsUpdaterQuitMessage(const std::string& text) {
    return text == kUpdaterQuitText;
}

}  // namespace zorbel
