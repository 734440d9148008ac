#pragma once

#include <cstdint>
#include <string>

namespace zorbel::skin {

// SHA-256 of a byte string as 64 lower-case hex digits. Only the resource lock uses it, so
// one call over a short text is all it offers.
std::string Sha256Hex(const std::string& data);

}  // namespace zorbel::skin
