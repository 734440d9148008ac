#include "parent/WalledGarden.h"

#include <algorithm>
#include <cctype>

namespace zorbel::parent {

WalledGarden::WalledGarden(std::vector<std::string> baseAddresses) {
    for (const std::string& base : baseAddresses) {
        std::string origin = Origin(base);
        if (!origin.empty()) m_origins.push_back(std::move(origin));
    }
}

std::string WalledGarden::Origin(const std::string& address) {
    std::string lower = address;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string scheme;
    if (lower.rfind("http://", 0) == 0)
        scheme = "http";
    else if (lower.rfind("https://", 0) == 0)
        scheme = "https";
    else
        return std::string();
    const std::string::size_type start = scheme.size() + 3;
    const std::string::size_type end = lower.find_first_of("/?#", start);
    std::string authority =
        lower.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // A user part ("http://trusted.host@elsewhere/") names the host after the '@'.
    if (const auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    if (authority.empty()) return std::string();
    const auto colon = authority.rfind(':');
    const bool hasPort =
        colon != std::string::npos && authority.find(']', colon) == std::string::npos;
    if (!hasPort) authority += scheme == "http" ? ":80" : ":443";
    return scheme + "://" + authority;
}

namespace {
// A literal address start as a pattern of the blocker's small regular-expression language.
// Only letters, digits and ". : / -" pass; anything else gives no pattern (the host is then
// left outside the walls rather than a rule risked that lets more through).
std::string PatternOf(const std::string& text) {
    std::string pattern = "^";
    for (char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == ':' || c == '/' || c == '-';
        if (c == '.')
            pattern += "\\\\.";  // \. in JSON: a literal dot
        else if (plain)
            pattern += c;
        else
            return std::string();
    }
    return pattern;
}

std::string Rule(const std::string& action, const std::string& filter) {
    return "{\"trigger\":{\"url-filter\":\"" + filter + "\"},\"action\":{\"type\":\"" + action +
           "\"}}";
}

// The origin without its port when that is the scheme's default: addresses leave it out.
std::string WithoutDefaultPort(const std::string& origin) {
    // Origin() always names the port, so the scheme decides which one is the default.
    const std::string port = origin.rfind("https:", 0) == 0 ? ":443" : ":80";
    if (origin.size() <= port.size() ||
        origin.compare(origin.size() - port.size(), port.size(), port) != 0)
        return std::string();
    return origin.substr(0, origin.size() - port.size());
}
}  // namespace

std::string WalledGarden::ContentRules(const std::string& ownScheme) const {
    std::string rules = "[" + Rule("block", ".*");
    std::vector<std::string> open = {ownScheme + ":", "data:", "blob:"};
    for (const std::string& origin : m_origins) {
        open.push_back(origin + "/");
        if (const std::string bare = WithoutDefaultPort(origin); !bare.empty())
            open.push_back(bare + "/");
    }
    for (const std::string& start : open)
        if (const std::string pattern = PatternOf(start); start.size() > 1 && !pattern.empty())
            rules += "," + Rule("ignore-previous-rules", pattern);
    return rules + "]";
}

bool WalledGarden::Allows(const std::string& address) const {
    if (address == "about:blank") return true;
    const std::string origin = Origin(address);
    if (origin.empty()) return false;
    return std::find(m_origins.begin(), m_origins.end(), origin) != m_origins.end();
}

}  // namespace zorbel::parent
