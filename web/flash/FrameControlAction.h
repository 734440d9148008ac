#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbel {

// Builds the ActionScript 1/2 code that the movie control slips into a movie's first frame so
// that the host page can read and move the root timeline: it registers ExternalInterface
// callbacks, which the player turns into methods of its page element.
class FrameControlAction {
public:
    // Names under which the callbacks appear on the player element.
    static constexpr const char* kCurrentFrame = "zorbelCurrentFrame";  // () -> _root._currentframe
    static constexpr const char* kTotalFrames = "zorbelTotalFrames";    // () -> _root._totalframes
    static constexpr const char* kGotoAndStop = "zorbelGotoAndStop";    // (frame, 1-based)
    static constexpr const char* kGotoAndPlay = "zorbelGotoAndPlay";    // (frame, 1-based)
    static constexpr const char* kStop = "zorbelStop";
    static constexpr const char* kPlay = "zorbelPlay";

    // AVM1 opcodes used here.
    static constexpr uint8_t kActionEnd = 0x00;
    static constexpr uint8_t kActionPop = 0x17;
    static constexpr uint8_t kActionGetVariable = 0x1C;
    static constexpr uint8_t kActionReturn = 0x3E;
    static constexpr uint8_t kActionGetMember = 0x4E;
    static constexpr uint8_t kActionCallMethod = 0x52;
    static constexpr uint8_t kActionPush = 0x96;
    static constexpr uint8_t kActionDefineFunction = 0x9B;

    static constexpr uint16_t kTagDoAction = 12;

    virtual ~FrameControlAction() = default;

    // The action records of the DoAction body, ending with ActionEnd.
    static std::vector<uint8_t> BuildActions();
    // The complete DoAction tag (record header and body), ready to insert into a tag stream.
    static std::vector<uint8_t> BuildTag();
    // A tag record header for a tag of the given code and body length (short form when it fits).
    static std::vector<uint8_t> TagHeader(uint16_t code, uint32_t length);
};

}  // namespace zorbel
