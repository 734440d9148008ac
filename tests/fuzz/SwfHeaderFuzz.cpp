// libFuzzer target: any bytes as a movie file through every reading of its header and tags.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "player/SwfHeader.h"

namespace {

using zorbel::SwfHeader;

bool SameHeader(const zorbel::SwfMovieHeader& a, const zorbel::SwfMovieHeader& b) {
    return a.compression == b.compression && a.version == b.version &&
           a.fileLength == b.fileLength && a.stageTwips.xMin == b.stageTwips.xMin &&
           a.stageTwips.xMax == b.stageTwips.xMax && a.stageTwips.yMin == b.stageTwips.yMin &&
           a.stageTwips.yMax == b.stageTwips.yMax && a.frameRateFixed == b.frameRateFixed &&
           a.frameCount == b.frameCount && a.firstTagOffset == b.firstTagOffset;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A small cap keeps a tiny stream that claims a huge movie from costing a huge buffer.
    constexpr size_t kCap = 4 * 1024 * 1024;
    const zorbel::SwfHeaderResult header = SwfHeader::Read(data, size);
    const zorbel::SwfMovieResult movie = SwfHeader::DecompressMovie(data, size, kCap);
    SwfHeader::IsActionScript3(data, size);
    if (!movie.ok()) return 0;

    // The whole movie reads as the header alone does.
    if (!header.ok() || !SameHeader(header.header, movie.header)) std::abort();
    const std::vector<uint8_t>& bytes = movie.bytes;
    if (bytes.size() != movie.header.fileLength || bytes[0] != 'F' || bytes[1] != 'W' ||
        bytes[2] != 'S' || movie.header.firstTagOffset > bytes.size()) {
        std::abort();
    }
    // Every tag listed lies inside the movie, one after the other.
    const zorbel::SwfTagsResult tags = SwfHeader::ListTags(bytes);
    size_t next = movie.header.firstTagOffset;
    for (const zorbel::SwfTag& tag : tags.tags) {
        if (tag.offset != next || tag.bodyOffset > bytes.size() ||
            tag.length > bytes.size() - tag.bodyOffset) {
            std::abort();
        }
        next = tag.bodyOffset + tag.length;
    }
    return 0;
}
