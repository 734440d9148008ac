#include "offline/RangeAnswer.h"

#include <cctype>

namespace zorbel::offline {

namespace {

bool ReadNumber(const std::string& text, std::size_t& pos, std::uint64_t& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (pos - start >= 19) return false;
        value = value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
        ++pos;
    }
    return pos > start;
}

}  // namespace

bool RangeAnswer::ParseContentRange(const std::string& value, std::uint64_t& first,
                                    std::uint64_t& last, std::uint64_t& total) {
    std::size_t pos = 0;
    while (pos < value.size() && value[pos] == ' ') ++pos;
    const std::string unit = "bytes ";
    if (value.compare(pos, unit.size(), unit) != 0) return false;
    pos += unit.size();
    if (!ReadNumber(value, pos, first) || pos >= value.size() || value[pos++] != '-') return false;
    if (!ReadNumber(value, pos, last) || pos >= value.size() || value[pos++] != '/') return false;
    if (!ReadNumber(value, pos, total)) return false;
    while (pos < value.size() && std::isspace(static_cast<unsigned char>(value[pos]))) ++pos;
    return pos == value.size() && first <= last && last < total;
}

RangeAnswer::Verdict RangeAnswer::Judge(long status, const std::string& contentRange,
                                        std::int64_t contentLength, std::uint64_t held,
                                        std::int64_t length) {
    if (status == 200) return Verdict::StartOver;
    if (status == 416) {
        return length >= 0 && held == static_cast<std::uint64_t>(length) ? Verdict::HeldWhole
                                                                         : Verdict::Discard;
    }
    if (status != 206) return Verdict::Error;
    std::uint64_t first = 0, last = 0, total = 0;
    if (!ParseContentRange(contentRange, first, last, total)) return Verdict::Discard;
    // Only the rest of the same title, to its end, joins the held bytes.
    if (first != held || length < 0 || total != static_cast<std::uint64_t>(length) ||
        last + 1 != total)
        return Verdict::Discard;
    if (contentLength >= 0 && static_cast<std::uint64_t>(contentLength) != total - held)
        return Verdict::Discard;
    return Verdict::Append;
}

}  // namespace zorbel::offline
