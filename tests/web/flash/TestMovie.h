#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbel::test {

// Small Flash movies written byte by byte for the movie control's tests.
struct TestMovieRecipe {
    uint8_t version = 10;
    uint16_t frames = 10;
    double frameRate = 12;
    bool actionScript3 = false;
    bool fileAttributes = true;
    char compression = 'F';  // 'F' plain, 'C' zlib
    int widthPx = 320;
    int heightPx = 240;
};

std::vector<uint8_t> MakeTestMovie(const TestMovieRecipe& recipe);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A tag record (header and body).
std::vector<uint8_t> TestTag(uint16_t code, const std::vector<uint8_t>& body);

}  // namespace zorbel::test
