#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zorbel::demo {

// The misbehaviour asked for by "/_fault/<kind>[/<arg>]" prefixes in front of a path. Prefixes
// stack; waits add up, every other kind keeps the last value given.
class FaultPlan {
public:
    // Strips every leading fault prefix from rawPath into plan and leaves the rest in rest.
    // Returns false with a reason for an unknown kind or a missing or out-of-range argument.
    static bool Parse(const std::string& rawPath, FaultPlan& plan, std::string& rest,
                      std::string& error);

    bool ChangesTransfer() const;

    std::chrono::milliseconds delay{0};
    bool chunked = false;
    std::optional<std::uint64_t> shortBytes;
    std::optional<std::uint64_t> cutBytes;
    std::optional<std::uint64_t> tricklePer100ms;
    std::optional<std::uint64_t> syntheticSize;
    int status = 0;
    // Titles: the Range header is ignored (a whole answer every time).
    bool ignoreRange = false;
    // Titles: no digest header (the "<name>.swf.sha256" file still has it).
    bool noDigest = false;
    // Titles: served as version n (1-255) of the file, with its own validator and digest.
    std::optional<std::uint64_t> drift;
    // Titles: the byte at this offset inverted in the body, the headers those of the true file;
    // flaky does so on the first request for the target only.
    std::optional<std::uint64_t> flip;
    std::optional<std::uint64_t> flaky;

    // Limits that keep a typo from tying the server up for hours.
    static constexpr std::uint64_t kMaxDelayMs = 600000;
    static constexpr std::uint64_t kMaxSyntheticSize = 64ull << 30;
};

}  // namespace zorbel::demo
