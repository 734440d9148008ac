#pragma once

#include <map>
#include <string>

namespace zorbel::demo {

// Decoding of what arrives in addresses and forms, and escaping of what goes into pages.
class TextCoding {
public:
    // Turns %XY sequences into bytes. A '%' not followed by two hex digits stays as it is.
    // With plusIsSpace (form bodies and queries) '+' becomes a blank.
    static std::string PercentDecode(const std::string& raw, bool plusIsSpace = false);
    // "a=1&b=%E4%BD%A0" -> {a: 1, b: 你}; a repeated key keeps its first value.
    static std::map<std::string, std::string> ParseQuery(const std::string& raw);
    // Escapes &, <, >, " and ' so the text is safe in HTML/XML text and attribute values.
    static std::string EscapeMarkup(const std::string& text);
    // Control characters become blanks, so one request stays one log line.
    static std::string SingleLine(const std::string& text);
    // Cuts to at most maxBytes without splitting a UTF-8 sequence.
    static std::string CutUtf8(const std::string& text, std::size_t maxBytes);
};

}  // namespace zorbel::demo
