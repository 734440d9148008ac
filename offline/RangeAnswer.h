#pragma once

#include <cstdint>
#include <string>

namespace zorbel::offline {

// What a download that asked for the rest of a title ("Range: bytes=<held>-" with If-Range)
// makes of the server's answer.
struct RangeAnswer {
    enum class Verdict {
        Append,     // 206 carrying exactly the rest: write it after the held bytes
        StartOver,  // 200: the server ignored the range or the title changed; take this answer
                    // whole
        HeldWhole,  // 416 while every byte is held: check what is on disk
        Discard,    // an answer that does not fit the held bytes: drop them and ask afresh
        Error,      // any other status: an error page, never written anywhere
    };

    // "bytes <first>-<last>/<total>"; false for anything else (also "*" totals).
    static bool ParseContentRange(const std::string& value, std::uint64_t& first,
                                  std::uint64_t& last, std::uint64_t& total);

    // held: bytes on disk; length: the whole title as the held bytes' answer gave it;
    // contentLength: -1 when the answer had none.
    static Verdict Judge(long status, const std::string& contentRange, std::int64_t contentLength,
                         std::uint64_t held, std::int64_t length);
};

}  // namespace zorbel::offline
