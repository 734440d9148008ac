#pragma once

#include <string_view>

namespace zorbel {

// True when text is well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace zorbel
