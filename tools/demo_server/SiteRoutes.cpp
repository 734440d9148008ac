#include "tools/demo_server/SiteRoutes.h"

#include "tools/demo_server/PageTemplate.h"
#include "tools/demo_server/TextCoding.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace zorbel::demo {

namespace {

const std::string kTitlePrefix = "/vudevu/fla/";
const std::string kCartoonPrefix = "/cartoons/";
const std::string kHtml = "text/html; charset=utf-8";
constexpr std::size_t kMaxIndexTitles = 200;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

Reply TextReply(int status, const std::string& text) {
    Reply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = BodySource::FromText(text);
    return reply;
}

// Host names, IPv4 and bracketed IPv6 addresses with an optional port; anything else is not
// put into an address the program will open.
bool IsPlainHost(const std::string& host) {
    if (host.empty() || host.size() > 255) return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
}

std::uint32_t Fnv1a(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace

SiteRoutes::SiteRoutes(std::string contentDir, std::string wwwDir, int port)
    : m_contentDir(std::move(contentDir)), m_wwwDir(std::move(wwwDir)), m_port(port) {}

Reply SiteRoutes::NotFound() {
    return TextReply(404, "404 找不到这个地方\n");
}

std::string SiteRoutes::BaseUrl(const std::string& host) const {
    return "http://" + (IsPlainHost(host) ? host : "127.0.0.1:" + std::to_string(m_port));
}

Reply SiteRoutes::Get(const std::string& path, const std::string& query,
                      const std::string& host) const {
    if (StartsWith(path, kTitlePrefix)) return Title(path.substr(kTitlePrefix.size()));
    if (StartsWith(path, kCartoonPrefix)) return Cartoon(path.substr(kCartoonPrefix.size()));

    const std::string page = TextCoding::PercentDecode(path);
    const auto params = TextCoding::ParseQuery(query);
    const auto from = params.find("from");
    const std::string fromValue = from == params.end() ? std::string() : from->second;

    if (page == "/" || page == "/index.html") return Index();
    if (page == "/ada.html")
        return Page("ada.html", {{"BASE", TextCoding::EscapeMarkup(BaseUrl(host))}},
                    "text/xml; charset=utf-8");
    if (page == "/plimad.asp") {
        if (fromValue == "showad") return Page("showad.html", {});
        if (fromValue == "shop") return Page("shop.html", {});
        if (fromValue == "movie") return Page("movie.html", {});
        return NotFound();
    }
    if (page == "/plimt.asp") return fromValue == "shop" ? Page("hidden.html", {}) : NotFound();
    if (page == "/feedback.htm") return Page("feedback.htm", {});
    return NotFound();
}

Reply SiteRoutes::Post(const std::string& path, const std::string& contentType,
                       const std::string& body, std::string& logNote) const {
    if (TextCoding::PercentDecode(path) != "/feedback.htm") return NotFound();
    std::string message;
    if (StartsWith(contentType, "application/x-www-form-urlencoded")) {
        const auto fields = TextCoding::ParseQuery(body);
        const auto it = fields.find("message");
        if (it != fields.end()) message = it->second;
    } else {
        message = body;
    }
    message = TextCoding::CutUtf8(message, kMaxFeedbackBytes);
    logNote = "message=" + TextCoding::SingleLine(message);
    return Page("thanks.html", {{"MESSAGE", TextCoding::EscapeMarkup(message)}});
}

Reply SiteRoutes::Page(const std::string& file, std::map<std::string, std::string> values,
                       const std::string& contentType) const {
    std::string style;
    PageTemplate::Render(m_wwwDir + "/site.css", {}, style);
    values.emplace("STYLE", style);
    std::string text;
    if (!PageTemplate::Render(m_wwwDir + "/" + file, values, text))
        return TextReply(500, "500 page template missing: " + file + "\n");
    Reply reply;
    reply.contentType = contentType;
    reply.body = BodySource::FromText(std::move(text));
    return reply;
}

Reply SiteRoutes::Title(const std::string& rawName) const {
    std::string name = TextCoding::PercentDecode(rawName);
    // "<name>.swf.sha256": the title's digest, as sha256sum writes it.
    const std::string sidecar = ".sha256";
    const bool digestFile = EndsWith(name, ".swf" + sidecar);
    if (digestFile) name.resize(name.size() - sidecar.size());
    if (!EndsWith(name, ".swf") || name.size() == 4) return NotFound();
    const std::string stem = name.substr(0, name.size() - 4);
    // The name is the only thing that picks a file; nothing may lead out of the content folder.
    if (stem.find_first_of(std::string("/\\\0", 3)) != std::string::npos ||
        stem.find("..") != std::string::npos)
        return NotFound();
    const std::string path = m_contentDir + "/" + stem + ".swf";
    if (digestFile) {
        const std::string text = m_titles.SidecarText(path, name);
        return text.empty() ? NotFound() : TextReply(200, text);
    }
    auto file = BodySource::OpenFile(path);
    if (!file) return NotFound();
    Reply reply;
    reply.contentType = kFlashType;
    reply.body = std::move(file);
    reply.titleFile = path;
    return reply;
}

Reply SiteRoutes::Cartoon(const std::string& rawSlug) const {
    const std::string slug = TextCoding::PercentDecode(rawSlug);
    if (!EndsWith(slug, ".html") || slug.size() == 5) return NotFound();
    std::string title = TextCoding::SingleLine(slug.substr(0, slug.size() - 5));
    std::replace(title.begin(), title.end(), '-', ' ');
    std::replace(title.begin(), title.end(), '_', ' ');
    title = TextCoding::CutUtf8(title, 200);
    // Each cartoon gets its own colours, the same ones on every visit.
    const std::uint32_t hue = Fnv1a(slug) % 360;
    return Page("cartoon.html", {{"TITLE", TextCoding::EscapeMarkup(title)},
                                 {"HUE", std::to_string(hue)},
                                 {"HUE2", std::to_string((hue + 140) % 360)}});
}

Reply SiteRoutes::Index() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_contentDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (EndsWith(file, ".swf") && it->is_regular_file(ec))
            names.push_back(file.substr(0, file.size() - 4));
    }
    std::sort(names.begin(), names.end());
    std::string items;
    for (std::size_t i = 0; i < names.size() && i < kMaxIndexTitles; ++i)
        items += "<li>" + TextCoding::EscapeMarkup(names[i]) + "</li>\n";
    if (names.empty()) items = "<li>还没有节目</li>\n";
    return Page("index.html", {{"TITLES", items}, {"TITLE_COUNT", std::to_string(names.size())}});
}

}  // namespace zorbel::demo
