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

bool WalledGarden::Allows(const std::string& address) const {
    if (address == "about:blank") return true;
    const std::string origin = Origin(address);
    if (origin.empty()) return false;
    return std::find(m_origins.begin(), m_origins.end(), origin) != m_origins.end();
}

}  // namespace zorbel::parent
