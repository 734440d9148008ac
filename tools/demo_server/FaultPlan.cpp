#include "tools/demo_server/FaultPlan.h"

#include <limits>

namespace zorbel::demo {

namespace {

const std::string kPrefix = "/_fault/";

// The next path segment starting at pos (up to '/' or the end); pos moves past it.
std::string NextSegment(const std::string& path, std::size_t& pos) {
    const std::size_t end = path.find('/', pos);
    const std::string segment =
        path.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    pos = end == std::string::npos ? path.size() : end;
    return segment;
}

bool ParseNumber(const std::string& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (v > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
        v = v * 10 + digit;
    }
    value = v;
    return true;
}

}  // namespace

bool FaultPlan::Parse(const std::string& rawPath, FaultPlan& plan, std::string& rest,
                      std::string& error) {
    std::size_t pos = 0;
    while (rawPath.compare(pos, kPrefix.size(), kPrefix) == 0) {
        pos += kPrefix.size();
        const std::string kind = NextSegment(rawPath, pos);
        if (kind == "chunked" || kind == "norange" || kind == "nodigest") {
            plan.chunked = plan.chunked || kind == "chunked";
            plan.ignoreRange = plan.ignoreRange || kind == "norange";
            plan.noDigest = plan.noDigest || kind == "nodigest";
            continue;
        }
        if (kind != "delay" && kind != "short" && kind != "status" && kind != "trickle" &&
            kind != "cut" && kind != "size" && kind != "drift" && kind != "flip" &&
            kind != "flaky") {
            error = "unknown fault kind '" + kind + "'";
            return false;
        }
        std::uint64_t arg = 0;
        std::string argText;
        if (pos < rawPath.size()) {
            ++pos;  // the '/' in front of the argument
            argText = NextSegment(rawPath, pos);
        }
        if (!ParseNumber(argText, arg)) {
            error = "fault '" + kind + "' needs a number, got '" + argText + "'";
            return false;
        }
        if (kind == "delay") {
            if (arg > kMaxDelayMs) {
                error = "delay above " + std::to_string(kMaxDelayMs) + " ms";
                return false;
            }
            const auto total = static_cast<std::uint64_t>(plan.delay.count()) + arg;
            plan.delay = std::chrono::milliseconds(total > kMaxDelayMs ? kMaxDelayMs : total);
        } else if (kind == "short") {
            plan.shortBytes = arg;
        } else if (kind == "cut") {
            plan.cutBytes = arg;
        } else if (kind == "trickle") {
            if (arg == 0) {
                error = "trickle needs at least 1 byte per 100 ms";
                return false;
            }
            plan.tricklePer100ms = arg;
        } else if (kind == "drift") {
            if (arg == 0 || arg > 255) {
                error = "drift must lie between 1 and 255";
                return false;
            }
            plan.drift = arg;
        } else if (kind == "flip") {
            plan.flip = arg;
        } else if (kind == "flaky") {
            plan.flaky = arg;
        } else if (kind == "size") {
            if (arg > kMaxSyntheticSize) {
                error = "size above " + std::to_string(kMaxSyntheticSize) + " bytes";
                return false;
            }
            plan.syntheticSize = arg;
        } else {  // status
            // 1xx are interim answers and would leave a client waiting for the real one.
            if (arg < 200 || arg > 599) {
                error = "status must lie between 200 and 599";
                return false;
            }
            plan.status = static_cast<int>(arg);
        }
    }
    rest = rawPath.substr(pos);
    if (rest.empty() || rest[0] != '/') rest.insert(rest.begin(), '/');
    return true;
}

bool FaultPlan::ChangesTransfer() const {
    return chunked || shortBytes || cutBytes || tricklePer100ms;
}

}  // namespace zorbel::demo
