#pragma once

#include "tools/demo_server/ReplySender.h"
#include "tools/demo_server/TitleReply.h"

#include <map>
#include <string>

namespace zorbel::demo {

// The three hosts the program talks to, played by one server: the content server
// ("/vudevu/fla/<name>.swf"), the maker's web site ("/ada.html") and the maker's web server
// (the panel, shop, community, hidden and feedback pages, and the cartoon pages).
class SiteRoutes {
public:
    SiteRoutes(std::string contentDir, std::string wwwDir, int port);

    // path: still percent-encoded, fault prefixes already removed; query: the raw text after '?'.
    // host: the request's Host header, used to make the advertisement addresses absolute.
    Reply Get(const std::string& path, const std::string& query, const std::string& host) const;
    // Fills logNote with what the log keeps of the request (the feedback message).
    Reply Post(const std::string& path, const std::string& contentType, const std::string& body,
               std::string& logNote) const;

    // Validators, digests and ranges of title answers.
    TitleReply& Titles() const { return m_titles; }

    // A small answer for paths that lead nowhere.
    static Reply NotFound();

    static constexpr const char* kFlashType = "application/x-shockwave-flash";
    static constexpr std::size_t kMaxFeedbackBytes = 2000;

private:
    Reply Page(const std::string& file, std::map<std::string, std::string> values,
               const std::string& contentType = "text/html; charset=utf-8") const;
    Reply Title(const std::string& rawName) const;
    Reply Cartoon(const std::string& rawSlug) const;
    Reply Index() const;
    std::string BaseUrl(const std::string& host) const;

    std::string m_contentDir;
    std::string m_wwwDir;
    int m_port;
    mutable TitleDigests m_digests;
    mutable TitleReply m_titles{m_digests};
};

}  // namespace zorbel::demo
