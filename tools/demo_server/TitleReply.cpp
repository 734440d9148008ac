#include "tools/demo_server/TitleReply.h"

#include "offline/DigestHeader.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

namespace zorbel::demo {

namespace {

std::string Hex(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string HttpDate(std::time_t when) {
    std::tm tm{};
    gmtime_r(&when, &tm);
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[tm.tm_wday],
                  tm.tm_mday, months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                  tm.tm_sec);
    return text;
}

// "bytes=<first>-[<last>]"; false for anything else (suffix and multiple ranges included).
bool ParseRange(const std::string& value, std::uint64_t& first, std::uint64_t& last) {
    const std::string unit = "bytes=";
    if (value.compare(0, unit.size(), unit) != 0) return false;
    std::size_t pos = unit.size();
    auto number = [&](std::uint64_t& out) {
        const std::size_t start = pos;
        out = 0;
        while (pos < value.size() && value[pos] >= '0' && value[pos] <= '9' && pos - start < 19)
            out = out * 10 + static_cast<std::uint64_t>(value[pos++] - '0');
        return pos > start;
    };
    if (!number(first) || pos >= value.size() || value[pos++] != '-') return false;
    last = UINT64_MAX;
    if (pos < value.size() && !number(last)) return false;
    return pos == value.size() && first <= last;
}

}  // namespace

void TitleReply::Apply(const httplib::Request& req, const FaultPlan& plan, Reply& reply) {
    struct stat st {};
    if (!reply.body || ::stat(reply.titleFile.c_str(), &st) != 0) return;
    const unsigned char mask = static_cast<unsigned char>(plan.drift.value_or(0));
    const std::uint64_t size = reply.body->Size();
    const std::uint64_t stamp = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000ull +
                                static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
    const std::string version =
        Hex(size) + "-" + Hex(stamp) + (mask ? "-d" + std::to_string(mask) : std::string());
    const std::string etag = "\"" + version + "\"";
    const std::string lastModified = HttpDate(st.st_mtim.tv_sec);
    const auto whole = BodySource::View(reply.body, 0, size, mask, std::nullopt);

    reply.headers.emplace_back("ETag", etag);
    reply.headers.emplace_back("Last-Modified", lastModified);
    reply.headers.emplace_back("Accept-Ranges", "bytes");
    if (!plan.noDigest) {
        const std::string hex = m_digests.HexOf(reply.titleFile + "|" + version, *whole);
        if (!hex.empty()) {
            const std::string b64 = zorbel::offline::DigestHeader::Base64FromHex(hex);
            reply.headers.emplace_back("Repr-Digest", "sha-256=:" + b64 + ":");
            reply.headers.emplace_back("Digest", "SHA-256=" + b64);
        }
    }

    std::optional<std::uint64_t> flipAt = plan.flip;
    if (!flipAt && plan.flaky) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_flakyDone.insert(req.target).second) flipAt = plan.flaky;
    }

    std::uint64_t first = 0, last = 0;
    const std::string ifRange = req.get_header_value("If-Range");
    const bool rangeApplies = !plan.ignoreRange && req.has_header("Range") &&
                              ParseRange(req.get_header_value("Range"), first, last) &&
                              (ifRange.empty() || ifRange == etag || ifRange == lastModified);
    if (!rangeApplies) {
        reply.body = BodySource::View(reply.body, 0, size, mask, flipAt);
        return;
    }
    if (first >= size) {
        reply.status = 416;
        reply.contentType = "text/plain; charset=utf-8";
        reply.body = BodySource::FromText("416 nothing left to send\n");
        reply.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
        return;
    }
    if (last >= size) last = size - 1;
    reply.status = 206;
    reply.headers.emplace_back(
        "Content-Range",
        "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size));
    reply.body = BodySource::View(reply.body, first, last - first + 1, mask, flipAt);
}

std::string TitleReply::SidecarText(const std::string& file, const std::string& name) {
    struct stat st {};
    auto body = BodySource::OpenFile(file);
    if (!body || ::stat(file.c_str(), &st) != 0) return std::string();
    const std::uint64_t stamp = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000ull +
                                static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
    const std::string hex =
        m_digests.HexOf(file + "|" + Hex(body->Size()) + "-" + Hex(stamp), *body);
    return hex.empty() ? std::string() : hex + "  " + name + "\n";
}

}  // namespace zorbel::demo
