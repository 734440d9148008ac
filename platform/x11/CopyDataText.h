#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbel {

// The text a copy-data message carries: its bytes up to the first zero byte, but never more
// than cbData of them (no bytes or a length of 0 give the empty text). The sender's length is
// believed only as far as bytes actually arrived.
std::string CopyDataText(const uint8_t* bytes, size_t cbData);
std::string CopyDataText(const std::vector<uint8_t>& bytes, size_t cbData);

// The updater's request to end the program: exactly this text, case and all.
constexpr const char* kUpdaterQuitText = "Tarnup is ok!";
bool IsUpdaterQuitMessage(const std::string& text);

}  // namespace zorbel
