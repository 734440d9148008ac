#include "web/flash/FlashHostMessage.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace zorbel {
namespace {

// Position just after "key": (whitespace skipped), or npos.
size_t ValueStart(const std::string& json, const std::string& key) {
    std::string quoted = "\"" + key + "\"";
    size_t at = 0;
    while ((at = json.find(quoted, at)) != std::string::npos) {
        size_t p = at + quoted.size();
        while (p < json.size() && (json[p] == ' ' || json[p] == '\t')) ++p;
        if (p < json.size() && json[p] == ':') {
            ++p;
            while (p < json.size() && (json[p] == ' ' || json[p] == '\t')) ++p;
            return p;
        }
        at = p;
    }
    return std::string::npos;
}

bool ReadString(const std::string& json, const std::string& key, std::string& out) {
    size_t p = ValueStart(json, key);
    if (p == std::string::npos || p >= json.size() || json[p] != '"') return false;
    std::string value;
    for (++p; p < json.size(); ++p) {
        char c = json[p];
        if (c == '"') {
            out = value;
            return true;
        }
        if (c == '\\' && p + 1 < json.size()) {
            char e = json[++p];
            value += (e == 'n') ? '\n' : (e == 't') ? '\t' : (e == 'u') ? '?' : e;
            if (e == 'u') p += std::min<size_t>(4, json.size() - p - 1);
        } else {
            value += c;
        }
    }
    return false;
}

bool ReadNumber(const std::string& json, const std::string& key, double& out) {
    size_t p = ValueStart(json, key);
    if (p == std::string::npos) return false;
    const char* begin = json.c_str() + p;
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return false;
    out = v;
    return true;
}

int ToInt(double v) {
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

}  // namespace

bool FlashHostMessage::Parse(const std::string& json, FlashHostMessage& out) {
    size_t first = json.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || json[first] != '{') return false;
    FlashHostMessage m;
    if (!ReadString(json, "t", m.type) || m.type.empty()) return false;
    double v = 0;
    if (ReadNumber(json, "id", v)) m.id = ToInt(v);
    if (ReadNumber(json, "frame", v)) m.frame = ToInt(v);
    if (ReadNumber(json, "numFrames", v)) m.numFrames = ToInt(v);
    if (ReadNumber(json, "frameRate", v)) m.frameRate = v;
    ReadString(json, "message", m.message);
    out = m;
    return true;
}

}  // namespace zorbel
