#include "tools/catalog_builder/TitleName.h"

#include <cstddef>
#include <cstdint>

namespace zorbel::catalogbuild {

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= n) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<std::uint8_t>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += extra + 1;
  }
  return true;
}

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
        return std::string("the title name \"") + name + "\" contains the character '" + ch + "'";
      default:
        break;
    }
  }
  return {};
}

}  // namespace zorbel::catalogbuild
