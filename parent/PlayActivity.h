#pragma once

#include <cstdint>
#include <string>

namespace zorbel::parent {

// What the player reports each tick, and whether that counts as active play: the player
// visible and playing in a window that is not minimised; for a game also input within the
// last few minutes (a game left running on its own plays nobody), while a song, story or
// knowledge clip counts as long as it plays.
struct PlayActivity {
    static constexpr std::int64_t kInputWindowMillis = 3 * 60 * 1000;

    bool playing = false;
    bool visible = false;
    bool minimised = false;
    bool game = false;
    std::int64_t millisSinceInput = 0;
    // What plays, for the parent's week: the catalog's kind of it and its title.
    std::string category;
    std::string title;

    bool Counts() const {
        if (!playing || !visible || minimised) return false;
        return !game || millisSinceInput <= kInputWindowMillis;
    }
    // A song or story may finish within the parent's grace minutes; a game may not.
    bool MayFinish() const { return !game; }

    // The category a catalog type digit stands for in the parent's week.
    static const char* CategoryName(int typeDigit) {
        switch (typeDigit) {
            case 1:
                return "儿歌";
            case 2:
                return "故事";
            case 3:
                return "知识";
            case 4:
                return "游戏";
            default:
                return "其他";
        }
    }
};

}  // namespace zorbel::parent
