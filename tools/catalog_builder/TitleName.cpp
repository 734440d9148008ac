#include "tools/catalog_builder/TitleName.h"

#include "platform/Utf8Text.h"

namespace zorbel::catalogbuild {

std::string TitleNameProblem(const std::string& name) {
    if (name.empty()) return "the title name is empty";
    if (!IsValidUtf8(name)) return "the title name is not valid UTF-8";
    if (name == "." || name == "..") return "the title name \"" + name + "\" is not a file name";
    if (name.front() == ' ' || name.back() == ' ' || name.back() == '.')
        return "the title name \"" + name + "\" begins or ends with a blank or ends with a dot";
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) return "the title name contains a control character";
        switch (ch) {
            case '/':
            case '\\':
            case '\'':
            case '"':
            case '%':
            case '_':
            case '?':
            case '#':
            case '*':
            case ':':
            case '<':
            case '>':
            case '|':
                return std::string("the title name \"") + name + "\" contains the character '" +
                       ch + "'";
            default:
                break;
        }
    }
    return {};
}

}  // namespace zorbel::catalogbuild
