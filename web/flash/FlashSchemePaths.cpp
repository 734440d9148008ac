#include "web/flash/FlashSchemePaths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zorbel {

bool FlashSchemePaths::RelativePath(const std::string& uri, std::string& relative) {
    const std::string prefix = std::string(kScheme) + "://" + kHost + "/";
    if (uri.size() <= prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(uri[i])) != prefix[i]) return false;
    }
    std::string path = uri.substr(prefix.size());
    path = path.substr(0, path.find_first_of("?#"));
    if (path.empty() || path.find('\\') != std::string::npos ||
        path.find('\0') != std::string::npos || path.find('%') != std::string::npos) {
        return false;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string segment = path.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        start = end + 1;
    }
    relative = path;
    return true;
}

std::string FlashSchemePaths::UriFor(const std::string& relative) {
    return std::string(kScheme) + "://" + kHost + "/" + relative;
}

std::string FlashSchemePaths::ContentTypeFor(const std::string& name) {
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "application/octet-stream";
    }
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "wasm") return "application/wasm";
    if (ext == "js" || ext == "mjs") return "text/javascript";
    if (ext == "html" || ext == "htm") return "text/html";
    if (ext == "css") return "text/css";
    if (ext == "json" || ext == "map") return "application/json";
    if (ext == "swf") return "application/x-shockwave-flash";
    return "application/octet-stream";
}

bool FlashSchemePaths::ResolveFile(const std::string& root, const std::string& relative,
                                   std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path base = fs::weakly_canonical(fs::path(root), ec);
    if (ec || base.empty()) return false;
    fs::path target = fs::weakly_canonical(base / fs::path(relative), ec);
    if (ec) return false;
    // The resolved file must still sit below the root (a link may point elsewhere).
    auto b = base.begin();
    auto t = target.begin();
    for (; b != base.end(); ++b, ++t) {
        if (t == target.end() || *b != *t) return false;
    }
    if (!fs::is_regular_file(target, ec) || ec) return false;
    file = target.string();
    return true;
}

}  // namespace zorbel
