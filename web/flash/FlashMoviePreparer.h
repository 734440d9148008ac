#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/SwfHeader.h"

namespace zorbel {

// How the movie control can follow and move a prepared movie's root timeline.
enum class FrameControlMode {
    None,          // nothing to control (the movie could not be prepared)
    Callbacks,     // our frame action is in the movie: exact frame numbers and seeks
    TimelineMenu,  // the player's own timeline menu, with frame numbers estimated from the clock
};

struct PreparedMovie {
    SwfStatus status = SwfStatus::Empty;
    std::string message;
    SwfMovieHeader header;       // as read from the file (its compression, version, frames)
    std::vector<uint8_t> bytes;  // uncompressed movie to hand to the player
    bool actionScript3 = false;
    FrameControlMode mode = FrameControlMode::None;
    // The root timeline holds as many frames as the header says, and more than one (a one-frame
    // root usually plays everything in a clip, so its count says nothing about the end).
    bool frameCountTrusted = false;
    bool ok() const { return status == SwfStatus::Ok; }
};

struct InsertResult {
    bool inserted = false;
    std::string message;  // why nothing was inserted
    size_t offset = 0;    // where the tag went
};

// Turns a movie file into the bytes the movie control gives to the player: decompressed, and
// for ActionScript 1/2 movies with the frame action of FrameControlAction in the first frame.
class FlashMoviePreparer {
public:
    // The player offers flash.external.ExternalInterface to movies of this version and later;
    // older movies do not see it, so the frame action would do nothing there.
    static constexpr uint8_t kMinExternalInterfaceVersion = 8;

    virtual ~FlashMoviePreparer() = default;

    static PreparedMovie Prepare(const std::vector<uint8_t>& file);
    static PreparedMovie PrepareFile(const std::string& path);

    // Inserts a complete tag into an uncompressed movie just before the root timeline's first
    // ShowFrame and corrects the header's length field. The movie is left untouched when it has
    // no ShowFrame or its tags cannot be walked.
    static InsertResult InsertBeforeFirstShowFrame(std::vector<uint8_t>& movie,
                                                   const std::vector<uint8_t>& tag);
};

}  // namespace zorbel
