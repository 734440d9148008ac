#include "player/SwfHeader.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace zorbel {

namespace {

constexpr size_t kSignatureSize = 8;  // signature, version, file length
// Longest possible header after the first 8 bytes: a RECT of 5 + 4 * 31 bits, frame rate,
// frame count.
constexpr size_t kMaxHeaderTail = 17 + 4;
// ZWS: 4 bytes of compressed length, then 5 bytes of LZMA properties.
constexpr size_t kZwsPrefix = kSignatureSize + 4 + 5;
constexpr uint64_t kLzmaMemLimit = uint64_t{320} * 1024 * 1024;

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

struct Failure {
    SwfStatus status;
    std::string message;
};

template <typename Result>
Result Fail(SwfStatus status, std::string message) {
    Result r;
    r.status = status;
    r.message = std::move(message);
    return r;
}

// The first 8 bytes: signature, version and claimed length.
bool ReadPrefix(const uint8_t* data, size_t size, size_t maxSize, SwfMovieHeader& header,
                Failure& failure) {
    if (data == nullptr || size == 0) {
        failure = {SwfStatus::Empty, "the movie is empty"};
        return false;
    }
    static const char* const kSignatures[] = {"FWS", "CWS", "ZWS"};
    static const SwfCompression kKinds[] = {SwfCompression::None, SwfCompression::Zlib,
                                            SwfCompression::Lzma};
    size_t probe = std::min<size_t>(size, 3);
    int kind = -1;
    for (int i = 0; i < 3; ++i) {
        if (std::memcmp(data, kSignatures[i], probe) == 0) {
            kind = i;
            break;
        }
    }
    if (kind < 0) {
        failure = {SwfStatus::BadSignature, "the data does not start with FWS, CWS or ZWS"};
        return false;
    }
    if (size < kSignatureSize) {
        failure = {SwfStatus::Truncated, "the movie ends inside its signature"};
        return false;
    }
    header.compression = kKinds[kind];
    header.version = data[3];
    header.fileLength = ReadU32(data + 4);
    if (header.fileLength > maxSize) {
        failure = {SwfStatus::TooLarge, "the movie claims " + std::to_string(header.fileLength) +
                                            " bytes, more than the limit of " +
                                            std::to_string(maxSize)};
        return false;
    }
    if (header.fileLength < kSignatureSize + 1 + 4) {
        failure = {SwfStatus::BadHeader, "the claimed length " + std::to_string(header.fileLength) +
                                             " is shorter than a header"};
        return false;
    }
    return true;
}

// Inflates the body (everything after the first 8 bytes) of a CWS or ZWS movie into out,
// stopping once out holds `want` bytes; a stream that ends sooner is Truncated.
bool Inflate(const SwfMovieHeader& header, const uint8_t* data, size_t size, size_t want,
             std::vector<uint8_t>& out, Failure& failure) {
    const size_t claimedBody = header.fileLength - kSignatureSize;
    // Grow as data arrives, so that a large claim over a tiny stream costs nothing.
    size_t capacityStep = std::min<size_t>(want, std::max<size_t>(size * 4, 64 * 1024));
    out.clear();
    out.resize(capacityStep);
    size_t produced = 0;

    auto grow = [&]() {
        size_t next = std::min(want, std::max(out.size() * 2, out.size() + 1));
        out.resize(next);
    };

    if (header.compression == SwfCompression::Zlib) {
        z_stream zs;
        std::memset(&zs, 0, sizeof zs);
        if (inflateInit(&zs) != Z_OK) {
            failure = {SwfStatus::Damaged, "zlib could not start"};
            return false;
        }
        const uint8_t* in = data + kSignatureSize;
        size_t inLeft = size - kSignatureSize;
        int rc = Z_OK;
        while (produced < want) {
            if (produced == out.size()) grow();
            if (zs.avail_in == 0 && inLeft > 0) {
                uInt chunk = uInt(std::min<size_t>(inLeft, std::numeric_limits<uInt>::max() / 2));
                zs.next_in = const_cast<Bytef*>(in);
                zs.avail_in = chunk;
                in += chunk;
                inLeft -= chunk;
            }
            size_t room =
                std::min<size_t>(out.size() - produced, std::numeric_limits<uInt>::max() / 2);
            zs.next_out = out.data() + produced;
            zs.avail_out = uInt(room);
            rc = inflate(&zs, Z_NO_FLUSH);
            produced += room - zs.avail_out;
            if (rc == Z_STREAM_END) break;
            if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inLeft == 0) break;  // input used up
            if (rc != Z_OK && rc != Z_BUF_ERROR) {
                std::string why = zs.msg ? zs.msg : "invalid data";
                inflateEnd(&zs);
                failure = {SwfStatus::Damaged, "the zlib stream is damaged: " + why};
                return false;
            }
        }
        inflateEnd(&zs);
    } else {
        if (size < kZwsPrefix) {
            failure = {SwfStatus::Truncated, "the movie ends inside its LZMA header"};
            return false;
        }
        // liblzma's .lzma ("alone") decoder expects the properties followed by the 64-bit
        // uncompressed size; the movie stores its properties after the compressed length
        // instead and no size. Knowing the size lets the decoder stop with or without an end
        // marker. The compressed length is not relied on: the data's own end decides.
        uint8_t alone[13];
        std::memcpy(alone, data + kSignatureSize + 4, 5);
        uint64_t body = claimedBody;
        for (int i = 0; i < 8; ++i) alone[5 + i] = uint8_t(body >> (8 * i));

        lzma_stream ls = LZMA_STREAM_INIT;
        if (lzma_alone_decoder(&ls, kLzmaMemLimit) != LZMA_OK) {
            failure = {SwfStatus::Damaged, "the LZMA decoder could not start"};
            return false;
        }
        struct Piece {
            const uint8_t* p;
            size_t n;
        } pieces[2] = {{alone, sizeof alone}, {data + kZwsPrefix, size - kZwsPrefix}};
        int piece = 0;
        ls.next_in = pieces[0].p;
        ls.avail_in = pieces[0].n;
        lzma_ret rc = LZMA_OK;
        while (produced < want) {
            if (produced == out.size()) grow();
            if (ls.avail_in == 0 && piece == 0) {
                piece = 1;
                ls.next_in = pieces[1].p;
                ls.avail_in = pieces[1].n;
            }
            size_t room = out.size() - produced;
            ls.next_out = out.data() + produced;
            ls.avail_out = room;
            rc = lzma_code(&ls, ls.avail_in == 0 && piece == 1 ? LZMA_FINISH : LZMA_RUN);
            produced += room - ls.avail_out;
            if (rc == LZMA_STREAM_END) break;
            if (rc == LZMA_BUF_ERROR) break;  // input used up before the end
            if (rc != LZMA_OK) {
                lzma_end(&ls);
                const char* why = rc == LZMA_MEMLIMIT_ERROR || rc == LZMA_MEM_ERROR
                                      ? "its dictionary is too large"
                                      : "invalid data";
                failure = {SwfStatus::Damaged, std::string("the LZMA stream is damaged: ") + why};
                return false;
            }
            if (ls.avail_in == 0 && piece == 1 && ls.avail_out != 0) break;
        }
        lzma_end(&ls);
    }

    out.resize(produced);
    if (produced < want) {
        failure = {SwfStatus::Truncated, "the compressed movie ends after " +
                                             std::to_string(produced + kSignatureSize) + " of " +
                                             std::to_string(header.fileLength) + " bytes"};
        return false;
    }
    return true;
}

// Parses RECT, frame rate and frame count from the bytes that follow the first 8. The tail
// holds what the data has, at most up to the claimed length.
bool ReadTail(const uint8_t* tail, size_t tailSize, SwfMovieHeader& header, Failure& failure) {
    const bool claimTooShort = tailSize >= header.fileLength - kSignatureSize;
    unsigned nbits = tailSize > 0 ? tail[0] >> 3 : 0;
    size_t rectBytes = (5 + 4 * nbits + 7) / 8;
    if (tailSize < 1 || tailSize < rectBytes + 4) {
        if (claimTooShort) {
            failure = {SwfStatus::BadHeader, "the claimed length " +
                                                 std::to_string(header.fileLength) +
                                                 " ends inside the header"};
        } else {
            failure = {SwfStatus::Truncated, "the movie ends inside its header"};
        }
        return false;
    }
    size_t bit = 5;
    auto readSigned = [&](unsigned n) -> int32_t {
        if (n == 0) return 0;
        uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i, ++bit) {
            v = (v << 1) | ((tail[bit / 8] >> (7 - bit % 8)) & 1u);
        }
        // Sign-extended in 64 bits: a field has up to 31 bits, and 2^31 is no int32_t.
        int64_t value = v;
        if (v >> (n - 1) & 1u) value -= int64_t{1} << n;
        return int32_t(value);
    };
    header.stageTwips.xMin = readSigned(nbits);
    header.stageTwips.xMax = readSigned(nbits);
    header.stageTwips.yMin = readSigned(nbits);
    header.stageTwips.yMax = readSigned(nbits);
    header.stageWidth = (double(header.stageTwips.xMax) - header.stageTwips.xMin) / 20.0;
    header.stageHeight = (double(header.stageTwips.yMax) - header.stageTwips.yMin) / 20.0;
    header.frameRateFixed = ReadU16(tail + rectBytes);
    header.frameRate = header.frameRateFixed / 256.0;
    header.frameCount = ReadU16(tail + rectBytes + 2);
    header.firstTagOffset = kSignatureSize + rectBytes + 4;
    return true;
}

bool ReadWholeFile(const std::string& path, size_t maxSize, std::vector<uint8_t>& bytes,
                   Failure& failure) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::u8path(path), ec)) {
        failure = {SwfStatus::FileError, path + " is not a readable file"};
        return false;
    }
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        failure = {SwfStatus::FileError, "cannot open " + path};
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff length = in.tellg();
    if (length < 0) {
        failure = {SwfStatus::FileError, "cannot read " + path};
        return false;
    }
    // A compressed movie is never larger than what it inflates to, give or take the
    // compressor's overhead.
    if (uint64_t(length) > uint64_t(maxSize) + maxSize / 8 + 1024) {
        failure = {SwfStatus::TooLarge, path + " is larger than any movie this program plays"};
        return false;
    }
    in.seekg(0, std::ios::beg);
    bytes.resize(size_t(length));
    if (length > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), length)) {
        failure = {SwfStatus::FileError, "cannot read " + path};
        return false;
    }
    return true;
}

}  // namespace

const char* SwfStatusName(SwfStatus status) {
    switch (status) {
        case SwfStatus::Ok:
            return "ok";
        case SwfStatus::Empty:
            return "empty";
        case SwfStatus::Truncated:
            return "truncated";
        case SwfStatus::BadSignature:
            return "not a Flash movie";
        case SwfStatus::BadHeader:
            return "bad header";
        case SwfStatus::TooLarge:
            return "too large";
        case SwfStatus::Damaged:
            return "damaged";
        case SwfStatus::FileError:
            return "file error";
    }
    return "unknown";
}

SwfHeaderResult SwfHeader::Read(const uint8_t* data, size_t size) {
    SwfHeaderResult result;
    Failure failure{SwfStatus::Ok, {}};
    if (!ReadPrefix(data, size, kMaxMovieSize, result.header, failure)) {
        return Fail<SwfHeaderResult>(failure.status, failure.message);
    }
    size_t want = std::min<size_t>(result.header.fileLength - kSignatureSize, kMaxHeaderTail);
    if (result.header.compression == SwfCompression::None) {
        if (size < result.header.fileLength) {
            return Fail<SwfHeaderResult>(SwfStatus::Truncated,
                                         "the movie has " + std::to_string(size) + " of its " +
                                             std::to_string(result.header.fileLength) + " bytes");
        }
        if (!ReadTail(data + kSignatureSize, want, result.header, failure)) {
            return Fail<SwfHeaderResult>(failure.status, failure.message);
        }
    } else {
        std::vector<uint8_t> tail;
        if (!Inflate(result.header, data, size, want, tail, failure) ||
            !ReadTail(tail.data(), tail.size(), result.header, failure)) {
            return Fail<SwfHeaderResult>(failure.status, failure.message);
        }
    }
    result.status = SwfStatus::Ok;
    return result;
}

SwfHeaderResult SwfHeader::Read(const std::vector<uint8_t>& data) {
    return Read(data.data(), data.size());
}

SwfHeaderResult SwfHeader::ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    Failure failure{SwfStatus::Ok, {}};
    if (!ReadWholeFile(path, kMaxMovieSize, bytes, failure)) {
        return Fail<SwfHeaderResult>(failure.status, failure.message);
    }
    return Read(bytes);
}

SwfMovieResult SwfHeader::DecompressMovie(const uint8_t* data, size_t size, size_t maxSize) {
    SwfMovieResult result;
    Failure failure{SwfStatus::Ok, {}};
    if (!ReadPrefix(data, size, maxSize, result.header, failure)) {
        return Fail<SwfMovieResult>(failure.status, failure.message);
    }
    const size_t body = result.header.fileLength - kSignatureSize;
    if (result.header.compression == SwfCompression::None) {
        if (size < result.header.fileLength) {
            return Fail<SwfMovieResult>(SwfStatus::Truncated,
                                        "the movie has " + std::to_string(size) + " of its " +
                                            std::to_string(result.header.fileLength) + " bytes");
        }
        result.bytes.assign(data, data + result.header.fileLength);
    } else {
        std::vector<uint8_t> inflated;
        if (!Inflate(result.header, data, size, body, inflated, failure)) {
            return Fail<SwfMovieResult>(failure.status, failure.message);
        }
        result.bytes.reserve(result.header.fileLength);
        result.bytes.assign(data, data + kSignatureSize);
        result.bytes.insert(result.bytes.end(), inflated.begin(), inflated.end());
        result.bytes[0] = 'F';
    }
    size_t tail = std::min(body, kMaxHeaderTail);
    if (!ReadTail(result.bytes.data() + kSignatureSize, tail, result.header, failure)) {
        return Fail<SwfMovieResult>(failure.status, failure.message);
    }
    result.status = SwfStatus::Ok;
    return result;
}

SwfMovieResult SwfHeader::DecompressMovie(const std::vector<uint8_t>& data, size_t maxSize) {
    return DecompressMovie(data.data(), data.size(), maxSize);
}

SwfMovieResult SwfHeader::DecompressMovieFile(const std::string& path, size_t maxSize) {
    std::vector<uint8_t> bytes;
    Failure failure{SwfStatus::Ok, {}};
    if (!ReadWholeFile(path, maxSize, bytes, failure)) {
        return Fail<SwfMovieResult>(failure.status, failure.message);
    }
    return DecompressMovie(bytes, maxSize);
}

SwfTagsResult SwfHeader::ForEachTag(const uint8_t* movie, size_t size, const TagVisitor& visit) {
    SwfTagsResult result;
    Failure failure{SwfStatus::Ok, {}};
    SwfMovieHeader header;
    if (!ReadPrefix(movie, size, std::numeric_limits<uint32_t>::max(), header, failure)) {
        return Fail<SwfTagsResult>(failure.status, failure.message);
    }
    if (header.compression != SwfCompression::None) {
        return Fail<SwfTagsResult>(SwfStatus::BadSignature,
                                   "tags can only be walked in an uncompressed movie");
    }
    // The claimed length bounds the tags; trailing bytes past it are not part of the movie.
    size_t end = std::min<size_t>(size, header.fileLength);
    if (!ReadTail(movie + kSignatureSize, std::min(end - kSignatureSize, kMaxHeaderTail), header,
                  failure)) {
        return Fail<SwfTagsResult>(failure.status, failure.message);
    }
    size_t pos = header.firstTagOffset;
    while (pos < end) {
        SwfTag tag;
        tag.offset = pos;
        if (end - pos < 2) {
            return Fail<SwfTagsResult>(
                SwfStatus::Truncated,
                "the movie ends inside a tag header at " + std::to_string(pos));
        }
        uint16_t codeAndLength = ReadU16(movie + pos);
        tag.code = codeAndLength >> 6;
        tag.length = codeAndLength & 0x3F;
        pos += 2;
        if (tag.length == 0x3F) {
            if (end - pos < 4) {
                return Fail<SwfTagsResult>(
                    SwfStatus::Truncated,
                    "the movie ends inside a tag header at " + std::to_string(tag.offset));
            }
            tag.length = ReadU32(movie + pos);
            pos += 4;
        }
        tag.bodyOffset = pos;
        if (tag.length > end - pos) {
            return Fail<SwfTagsResult>(
                SwfStatus::Truncated,
                "tag " + std::to_string(tag.code) + " at " + std::to_string(tag.offset) +
                    " claims " + std::to_string(tag.length) + " bytes past the movie's end");
        }
        pos += tag.length;
        result.tags.push_back(tag);
        bool goOn = !visit || visit(tag);
        if (tag.code == kTagEnd) {
            result.endTagSeen = true;
            break;
        }
        if (!goOn) break;
    }
    result.status = SwfStatus::Ok;
    return result;
}

SwfTagsResult SwfHeader::ListTags(const std::vector<uint8_t>& movie) {
    return ForEachTag(movie.data(), movie.size(), nullptr);
}

SwfAs3Result SwfHeader::IsActionScript3(const uint8_t* data, size_t size) {
    SwfMovieResult movie = DecompressMovie(data, size);
    if (!movie.ok()) return Fail<SwfAs3Result>(movie.status, movie.message);
    SwfAs3Result result;
    const std::vector<uint8_t>& bytes = movie.bytes;
    SwfTagsResult walk = ForEachTag(bytes.data(), bytes.size(), [&](const SwfTag& tag) {
        if (tag.code != kTagFileAttributes) return true;
        result.actionScript3 =
            tag.length >= 1 && (bytes[tag.bodyOffset] & kFileAttributeActionScript3) != 0;
        return false;
    });
    if (!walk.ok()) return Fail<SwfAs3Result>(walk.status, walk.message);
    result.status = SwfStatus::Ok;
    return result;
}

SwfAs3Result SwfHeader::IsActionScript3(const std::vector<uint8_t>& data) {
    return IsActionScript3(data.data(), data.size());
}

}  // namespace zorbel
