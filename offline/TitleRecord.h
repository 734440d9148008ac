#pragma once

#include <cstdint>
#include <string>

namespace zorbel::offline {

// The small record kept beside a title file ("<title>.info" next to "<title>.swf"): what a
// partial download holds and how to ask for the rest, and, once the title is stored, whether
// its bytes were checked against the server's digest.
struct TitleRecord {
    std::string url;
    // Validators of the answer the held bytes came from; If-Range sends one of them.
    std::string etag;
    std::string lastModified;
    // The whole title's length.
    std::int64_t length = -1;
    // Bytes on disk when the record was written (the partial file's size is what counts).
    std::uint64_t held = 0;
    // The server's SHA-256 of the title, 64 hex digits; empty when it stated none.
    std::string sha256;
    bool complete = false;
    bool verified = false;
    // Seconds since the epoch when the title was stored.
    std::int64_t storedAt = 0;

    // A strong validator If-Range may carry; empty when the held bytes cannot be resumed.
    std::string ResumeValidator() const;

    // "<cache>/<title>.info" for "<cache>/<title>.swf" (the final ".swf" replaced).
    static std::string PathFor(const std::string& titlePath);
    // False when the file is missing or unreadable; a damaged line is skipped.
    static bool Load(const std::string& path, TitleRecord& record);
    // Written to a side file and renamed, so a crash leaves the old record or the new one.
    static bool Save(const std::string& path, const TitleRecord& record);
};

}  // namespace zorbel::offline
