#include "platform/WebAddress.h"

#include <cctype>

namespace zorbel {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool IsWebAddress(const std::string& address) {
    std::size_t rest = 0;
    if (StartsWithNoCase(address, "http://"))
        rest = 7;
    else if (StartsWithNoCase(address, "https://"))
        rest = 8;
    else
        return false;
    // A host must follow; control characters and blanks have no place in an address.
    if (rest >= address.size() || address[rest] == '/') return false;
    for (unsigned char c : address) {
        if (c <= 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace zorbel
