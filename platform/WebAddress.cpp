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

// RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"; the length of the scheme, or 0.
std::size_t SchemeLength(const std::string& address) {
    if (address.empty() || !std::isalpha(static_cast<unsigned char>(address[0]))) return 0;
    for (std::size_t i = 1; i < address.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (c == ':') return i;
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return 0;
    }
    return 0;
}

}  // namespace

std::string ResolveSiteAddress(const std::string& address, const std::string& base) {
    if (address.empty() || SchemeLength(address) > 0) return address;
    if (address.compare(0, 2, "//") == 0) {
        const std::size_t scheme = SchemeLength(base);
        return (scheme > 0 ? base.substr(0, scheme + 1) : std::string("http:")) + address;
    }
    std::string site = base;
    while (!site.empty() && site.back() == '/') site.pop_back();
    return site + (address[0] == '/' ? "" : "/") + address;
}

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
