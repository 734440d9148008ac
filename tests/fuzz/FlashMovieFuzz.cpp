// libFuzzer target: any bytes as a movie file through the preparer (header reading, inflating,
// tag walking, frame action insertion) and as a page report. Built with ZORBEL_FUZZ=ON and clang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "player/SwfHeader.h"
#include "web/flash/FlashHostMessage.h"
#include "web/flash/FlashMoviePreparer.h"
#include "web/flash/FlashSchemePaths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    zorbel::PreparedMovie movie = zorbel::FlashMoviePreparer::Prepare(file);
    if (movie.ok()) {
        // What the player gets must still be a movie whose header tells its true length.
        zorbel::SwfHeaderResult header = zorbel::SwfHeader::Read(movie.bytes);
        if (!header.ok() || header.header.fileLength != movie.bytes.size()) std::abort();
        if (movie.mode == zorbel::FrameControlMode::Callbacks) {
            // Our DoAction sits right before the first ShowFrame (tags further on may be damaged).
            bool doAction = false, previousWasDoAction = false;
            zorbel::SwfHeader::ForEachTag(
                movie.bytes.data(), movie.bytes.size(), [&](const zorbel::SwfTag& t) {
                    if (t.code == zorbel::SwfHeader::kTagShowFrame) {
                        doAction = previousWasDoAction;
                        return false;
                    }
                    previousWasDoAction = t.code == zorbel::SwfHeader::kTagDoAction;
                    return true;
                });
            if (!doAction) std::abort();
        }
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    zorbel::FlashHostMessage message;
    zorbel::FlashHostMessage::Parse(text, message);
    std::string relative;
    if (zorbel::FlashSchemePaths::RelativePath(text, relative) &&
        (relative.find("..") == 0 || relative.find("/../") != std::string::npos ||
         relative.empty())) {
        std::abort();
    }
    return 0;
}
