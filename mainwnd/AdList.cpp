#include "mainwnd/AdList.h"

#include "platform/Markup.h"

namespace zorbel::mainwnd {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at text[pos], or 0 when there is none.
std::size_t SequenceLength(const std::string& text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        // No overlong forms and no surrogates.
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string ValidUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = SequenceLength(text, pos);
        if (length == 0) {
            out += kReplacement;
            ++pos;
        } else {
            out.append(text, pos, length);
            pos += length;
        }
    }
    return out;
}

std::size_t AppendAdEntries(const std::string& document, std::vector<AdEntry>& entries) {
    CMarkup xml;
    xml.LoadXML(document);
    xml.ResetMainPos();
    if (!xml.FindElem()) return 0;
    std::size_t appended = 0;
    while (xml.FindChildElem("File")) {
        entries.push_back(
            {ValidUtf8(xml.GetChildAttrib("Text")), ValidUtf8(xml.GetChildAttrib("Url"))});
        ++appended;
    }
    return appended;
}

}  // namespace zorbel::mainwnd
