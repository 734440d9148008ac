#include "web/flash/FlashMoviePreparer.h"

#include <fstream>
#include <iterator>

#include "web/flash/FrameControlAction.h"

namespace zorbel {

InsertResult FlashMoviePreparer::InsertBeforeFirstShowFrame(std::vector<uint8_t>& movie,
                                                            const std::vector<uint8_t>& tag) {
    InsertResult result;
    if (movie.size() < 8 || movie[0] != 'F' || movie[1] != 'W' || movie[2] != 'S') {
        result.message = "not an uncompressed movie";
        return result;
    }
    bool found = false;
    size_t at = 0;
    SwfTagsResult walk = SwfHeader::ForEachTag(movie.data(), movie.size(), [&](const SwfTag& t) {
        if (t.code == SwfHeader::kTagShowFrame) {
            found = true;
            at = t.offset;
            return false;
        }
        return true;
    });
    if (!found) {
        result.message = walk.ok() ? "the movie has no frame" : walk.message;
        return result;
    }
    uint64_t newLength = uint64_t{movie.size()} + tag.size();
    if (newLength > 0xFFFFFFFFu) {
        result.message = "the movie would grow past 4 GiB";
        return result;
    }
    movie.insert(movie.begin() + static_cast<std::ptrdiff_t>(at), tag.begin(), tag.end());
    for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<uint8_t>(newLength >> (8 * i));
    result.inserted = true;
    result.offset = at;
    return result;
}

PreparedMovie FlashMoviePreparer::Prepare(const std::vector<uint8_t>& file) {
    PreparedMovie prepared;
    SwfMovieResult movie = SwfHeader::DecompressMovie(file);
    prepared.status = movie.status;
    prepared.message = movie.message;
    prepared.header = movie.header;
    if (!movie.ok()) return prepared;
    prepared.bytes = std::move(movie.bytes);
    int shown = 0;
    SwfTagsResult walk = SwfHeader::ForEachTag(prepared.bytes.data(), prepared.bytes.size(),
                                               [&shown](const SwfTag& t) {
                                                   shown += t.code == SwfHeader::kTagShowFrame;
                                                   return true;
                                               });
    prepared.frameCountTrusted =
        walk.ok() && prepared.header.frameCount > 1 && shown == prepared.header.frameCount;

    SwfAs3Result as3 = SwfHeader::IsActionScript3(prepared.bytes);
    prepared.actionScript3 = as3.ok() && as3.actionScript3;
    prepared.mode = FrameControlMode::TimelineMenu;
    if (prepared.actionScript3 || prepared.header.version < kMinExternalInterfaceVersion) {
        return prepared;
    }
    InsertResult inserted =
        InsertBeforeFirstShowFrame(prepared.bytes, FrameControlAction::BuildTag());
    if (inserted.inserted) prepared.mode = FrameControlMode::Callbacks;
    return prepared;
}

PreparedMovie FlashMoviePreparer::PrepareFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        PreparedMovie failed;
        failed.status = SwfStatus::FileError;
        failed.message = "cannot open " + path;
        return failed;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    // The compressed file can be at most as large as the largest movie we accept.
    if (size < 0 || static_cast<uint64_t>(size) > SwfHeader::kMaxMovieSize) {
        PreparedMovie failed;
        failed.status = size < 0 ? SwfStatus::FileError : SwfStatus::TooLarge;
        failed.message = "cannot read " + path;
        return failed;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        PreparedMovie failed;
        failed.status = SwfStatus::FileError;
        failed.message = "cannot read " + path;
        return failed;
    }
    return Prepare(bytes);
}

}  // namespace zorbel
