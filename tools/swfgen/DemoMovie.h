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

// The catalog type a title belongs to (the seed's class typeid); it decides how its movie ends.
enum class DemoKind {
    Unknown = 0,
    Song = 1,       // linear: plays once through, then stops on or wraps from its last frame
    Story = 2,      // linear, as songs
    Knowledge = 3,  // linear, as songs
    Game = 4,       // loops on purpose: gotoAndPlay(1) on its last frame
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
    // The last frame is a still picture: the spinning clip gives way to its blades at rest, so
    // that a movie stopped there shows nothing moving.
    bool stillEnd = false;
};

// A colourful shape animation for one demo title: a sky, a sun, clouds, a meadow and a few
// moving figures, with a spinning pinwheel clip.
class DemoMovie {
public:
    // Every demo title comes out above this size, well clear of the 5 KiB below which a
    // download counts as missing.
    static constexpr size_t kMinimumSize = 8 * 1024 + 512;

    static DemoMoviePlan PlanFor(const std::string& fileId);
    // The same title made to fit its kind: songs, stories and knowledge clips are short and
    // linear (no loop, no stop() before the last frame; stop() on the last frame or none, when
    // the player wraps), games loop on purpose. Unknown gives PlanFor(fileId).
    static DemoMoviePlan PlanFor(const std::string& fileId, DemoKind kind);
    // Seconds a linear title takes from its first frame to its last (frames / frame rate).
    static double PlayingSeconds(const DemoMoviePlan& plan);
    // Empty only if compression fails.
    static std::vector<uint8_t> Build(const DemoMoviePlan& plan);
};

}  // namespace zorbel::swfgen
