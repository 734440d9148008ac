#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbel::swfgen {

enum class DemoFrameAction {
    None,
    StopAtEnd,    // stop() on the last frame
    LoopToStart,  // gotoAndPlay(1) on the last frame
};

// What a title's movie looks like from outside; everything follows from the file id.
struct DemoMoviePlan {
    uint32_t seed = 0;
    uint8_t version = 8;
    int width = 550;  // pixels
    int height = 400;
    uint16_t frameRateFixed = 24 << 8;  // 8.8 fixed point
    uint16_t frameCount = 60;
    bool compressed = false;     // CWS (zlib)
    bool actionScript3 = false;  // FileAttributes says ActionScript 3; no frame actions then
    DemoFrameAction lastFrameAction = DemoFrameAction::None;
};

// A colourful shape animation for one demo title: a sky, a sun, clouds, a meadow and a few
// moving figures, with a spinning pinwheel clip.
class DemoMovie {
public:
    // Every demo title comes out above this size, well clear of the 5 KiB below which a
    // download counts as missing.
    static constexpr size_t kMinimumSize = 8 * 1024 + 512;

    static DemoMoviePlan PlanFor(const std::string& fileId);
    // Empty only if compression fails.
    static std::vector<uint8_t> Build(const DemoMoviePlan& plan);
};

}  // namespace zorbel::swfgen
