#pragma once

#include <cstdint>
#include <vector>

namespace zorbel::swfgen {

// The stand-in movie played when a title could not be fetched: a sleepy moon face under
// drifting "Z"s, drawn from shapes only so that it needs no fonts.
class UnavailableMovie {
public:
    static constexpr int kWidth = 550;
    static constexpr int kHeight = 400;
    static constexpr uint16_t kFrameCount = 48;
    static constexpr uint16_t kFrameRateFixed = 12 << 8;
    static constexpr uint8_t kVersion = 8;

    static std::vector<uint8_t> Build();
};

}  // namespace zorbel::swfgen
