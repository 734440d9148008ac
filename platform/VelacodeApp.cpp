#include "platform/VelacodeApp.h"

namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Length of "scheme://authority" at the start of url, or 0 when url has no such part.
std::size_t OriginLength(const std::string& url) {
    std::size_t sep = url.find("://");
    if (sep == std::string::npos || sep == 0) return 0;
    for (std::size_t i = 0; i < sep; ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                  (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return 0;
    }
    std::size_t end = url.find_first_of("/?#", sep + 3);
    return end == std::string::npos ? url.size() : end;
}

}  // namespace

CVelacodeApp::CVelacodeApp() = default;

CVelacodeApp::~CVelacodeApp() = default;

std::string CVelacodeApp::PathEncode(const std::string& path) {
    return path;
}

std::string CVelacodeApp::EncodeUrl(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    const std::size_t origin = OriginLength(url);
    std::string out = url.substr(0, origin);
    out.reserve(url.size() * 3);
    for (std::size_t i = origin; i < url.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        if (IsUnreserved(c) || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}
