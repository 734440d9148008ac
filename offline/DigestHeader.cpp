#include "offline/DigestHeader.h"

#include "offline/Sha256.h"

#include <cctype>
#include <vector>

namespace zorbel::offline {

namespace {

constexpr std::size_t kDigestBytes = 32;

std::string Trim(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> SplitCommas(const std::string& value) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        parts.push_back(
            Trim(value.substr(start, comma == std::string::npos ? comma : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return parts;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

// The value of "<name>=<value>" for the sha-256 entry of a digest list; empty when absent.
std::string Sha256Entry(const std::string& list) {
    for (const std::string& part : SplitCommas(list)) {
        const std::size_t eq = part.find('=');
        if (eq == std::string::npos) continue;
        if (Lower(Trim(part.substr(0, eq))) == "sha-256") return Trim(part.substr(eq + 1));
    }
    return std::string();
}

}  // namespace

std::string DigestHeader::HexFromBase64(const std::string& text) {
    std::string bytes;
    unsigned buffer = 0;
    int bits = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != '='; ++i) {
        const int v = Base64Value(text[i]);
        if (v < 0) return std::string();
        buffer = (buffer << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    for (; i < text.size(); ++i) {
        if (text[i] != '=') return std::string();
    }
    return bytes.size() == kDigestBytes ? Sha256::HexOf(bytes) : std::string();
}

std::string DigestHeader::Base64FromHex(const std::string& hex) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += alphabet[(n >> 6) & 63];
        out += alphabet[n & 63];
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (left == 2) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += left == 2 ? alphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string DigestHeader::FromReprDigest(const std::string& value) {
    const std::string entry = Sha256Entry(value);
    // A byte sequence in a structured field sits between colons.
    if (entry.size() < 2 || entry.front() != ':' || entry.back() != ':') return std::string();
    return HexFromBase64(entry.substr(1, entry.size() - 2));
}

std::string DigestHeader::FromDigest(const std::string& value) {
    return HexFromBase64(Sha256Entry(value));
}

std::string DigestHeader::FromSidecar(const std::string& text) {
    const std::string trimmed = Trim(text);
    std::size_t end = 0;
    while (end < trimmed.size() && std::isxdigit(static_cast<unsigned char>(trimmed[end]))) ++end;
    if (end != 64) return std::string();
    if (end < trimmed.size() && !std::isspace(static_cast<unsigned char>(trimmed[end])))
        return std::string();
    return Lower(trimmed.substr(0, 64));
}

}  // namespace zorbel::offline
