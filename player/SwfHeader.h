#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorbel {

// Outcome of every SwfHeader call. Only Ok carries usable data.
enum class SwfStatus {
    Ok,
    Empty,         // no bytes at all
    Truncated,     // the bytes end before the header, the claimed length or a tag says
    BadSignature,  // not FWS, CWS or ZWS
    BadHeader,     // header fields that cannot be right (length below the header size, ...)
    TooLarge,      // the claimed uncompressed length is above the cap
    Damaged,       // the compressed stream does not decode
    FileError,     // the file cannot be opened or read
};

const char* SwfStatusName(SwfStatus status);

enum class SwfCompression { None, Zlib, Lzma };

// Stage rectangle in twips (1/20 pixel), as stored.
struct SwfRect {
    int32_t xMin = 0;
    int32_t xMax = 0;
    int32_t yMin = 0;
    int32_t yMax = 0;
};

struct SwfMovieHeader {
    SwfCompression compression = SwfCompression::None;
    uint8_t version = 0;
    uint32_t fileLength = 0;  // claimed length of the uncompressed movie, header included
    SwfRect stageTwips;
    double stageWidth = 0;  // pixels
    double stageHeight = 0;
    uint16_t frameRateFixed = 0;  // 8.8 fixed point as stored
    double frameRate = 0;         // frames per second
    uint16_t frameCount = 0;
    size_t firstTagOffset = 0;  // offset of the first tag in the uncompressed movie
};

struct SwfHeaderResult {
    SwfStatus status = SwfStatus::Empty;
    std::string message;  // says what is wrong when status is not Ok
    SwfMovieHeader header;
    bool ok() const { return status == SwfStatus::Ok; }
};

struct SwfMovieResult {
    SwfStatus status = SwfStatus::Empty;
    std::string message;
    SwfMovieHeader header;
    // The whole uncompressed movie with an "FWS" signature, exactly header.fileLength bytes.
    std::vector<uint8_t> bytes;
    bool ok() const { return status == SwfStatus::Ok; }
};

struct SwfTag {
    uint16_t code = 0;
    uint32_t length = 0;    // body length
    size_t offset = 0;      // offset of the tag's record header
    size_t bodyOffset = 0;  // offset of the body (after the short or long record header)
};

struct SwfTagsResult {
    SwfStatus status = SwfStatus::Empty;
    std::string message;
    std::vector<SwfTag> tags;  // every tag up to and including the End tag
    bool endTagSeen = false;
    bool ok() const { return status == SwfStatus::Ok; }
};

struct SwfAs3Result {
    SwfStatus status = SwfStatus::Empty;
    std::string message;
    bool actionScript3 = false;
    bool ok() const { return status == SwfStatus::Ok; }
};

// Reads movie headers and walks the tags of Flash movies in memory or on disk. Nothing here
// throws: every failure comes back as a status and a message.
class SwfHeader {
public:
    // A hostile header may claim up to 4 GiB; nothing above this is ever inflated.
    static constexpr size_t kMaxMovieSize = size_t{256} * 1024 * 1024;

    static constexpr uint16_t kTagEnd = 0;
    static constexpr uint16_t kTagShowFrame = 1;
    static constexpr uint16_t kTagDoAction = 12;
    static constexpr uint16_t kTagFileAttributes = 69;
    static constexpr uint8_t kFileAttributeActionScript3 = 0x08;

    // The header only; a compressed movie is inflated just far enough to read it.
    static SwfHeaderResult Read(const uint8_t* data, size_t size);
    static SwfHeaderResult Read(const std::vector<uint8_t>& data);
    static SwfHeaderResult ReadFile(const std::string& path);

    // The whole movie as uncompressed "FWS" bytes. Bytes past the claimed length are ignored;
    // fewer bytes than claimed is Truncated. maxSize caps the claimed length.
    static SwfMovieResult DecompressMovie(const uint8_t* data, size_t size,
                                          size_t maxSize = kMaxMovieSize);
    static SwfMovieResult DecompressMovie(const std::vector<uint8_t>& data,
                                          size_t maxSize = kMaxMovieSize);
    static SwfMovieResult DecompressMovieFile(const std::string& path,
                                              size_t maxSize = kMaxMovieSize);

    // Walks the root timeline's tags of an uncompressed movie (the bytes of DecompressMovie),
    // calling visit for each, End tag included; visit returns false to stop early. A tag whose
    // body runs past the movie's end is Truncated. A movie without an End tag is Ok with
    // endTagSeen false.
    using TagVisitor = std::function<bool(const SwfTag& tag)>;
    static SwfTagsResult ForEachTag(const uint8_t* movie, size_t size, const TagVisitor& visit);
    static SwfTagsResult ListTags(const std::vector<uint8_t>& movie);

    // Whether the movie runs as ActionScript 3: its FileAttributes tag has the ActionScript3
    // bit. Accepts compressed or uncompressed bytes. A movie without FileAttributes is not.
    static SwfAs3Result IsActionScript3(const uint8_t* data, size_t size);
    static SwfAs3Result IsActionScript3(const std::vector<uint8_t>& data);
};

}  // namespace zorbel
