#include "tools/demo_server/TextCoding.h"

namespace zorbel::demo {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string TextCoding::PercentDecode(const std::string& raw, bool plusIsSpace) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '%' && i + 2 < raw.size()) {
            const int hi = HexValue(raw[i + 1]);
            const int lo = HexValue(raw[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
    return out;
}

std::map<std::string, std::string> TextCoding::ParseQuery(const std::string& raw) {
    std::map<std::string, std::string> params;
    std::size_t start = 0;
    while (start <= raw.size()) {
        std::size_t end = raw.find('&', start);
        if (end == std::string::npos) end = raw.size();
        const std::string pair = raw.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t eq = pair.find('=');
            const std::string key = PercentDecode(pair.substr(0, eq), true);
            const std::string value =
                eq == std::string::npos ? std::string() : PercentDecode(pair.substr(eq + 1), true);
            params.emplace(key, value);
        }
        start = end + 1;
    }
    return params;
}

std::string TextCoding::EscapeMarkup(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                // XML 1.0 has no way to carry most control characters, not even escaped.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
                    out += ' ';
                else
                    out += c;
        }
    }
    return out;
}

std::string TextCoding::SingleLine(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return out;
}

std::string TextCoding::CutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t cut = maxBytes;
    // Step back over continuation bytes to the start of the sequence that would be split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

}  // namespace zorbel::demo
