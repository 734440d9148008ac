#pragma once

#include <string>
#include <vector>

namespace zorbel::parent {

// Where embedded pages may go while a PIN is set: only to the configured hosts (same
// scheme, host and port as one of the base addresses), plus the browser's own blank page.
class WalledGarden {
public:
    explicit WalledGarden(std::vector<std::string> baseAddresses);
    bool Allows(const std::string& address) const;

    // The same walls as a content-blocker rule list (WebKit's JSON format) for a view whose own
    // pages come from ownScheme: every load is blocked except the view's own scheme, data and
    // blob addresses, and the configured hosts.
    std::string ContentRules(const std::string& ownScheme) const;

    // "http://host:port" of an http or https address, lower-cased, default port added;
    // empty for anything else.
    static std::string Origin(const std::string& address);

private:
    std::vector<std::string> m_origins;
};

}  // namespace zorbel::parent
