#pragma once

#include <string>

namespace zorbel {

// A report of the player page, posted as a flat JSON object such as
// {"t":"frame","id":3,"frame":12}. Only the fields the control uses are read.
struct FlashHostMessage {
    std::string type;  // "ready", "loaded", "shown", "frame", "error"
    int id = -1;       // the load the report belongs to
    int frame = 0;
    int numFrames = -1;
    double frameRate = 0;
    std::string message;

    // Reads the fields of one report; false when the text is no such object or has no type.
    static bool Parse(const std::string& json, FlashHostMessage& out);
};

}  // namespace zorbel
