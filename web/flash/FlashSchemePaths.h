#pragma once

#include <string>

namespace zorbel {

// Window-free rules of the movie control's URI scheme: which request names which file, and
// what Content-Type each answer carries.
class FlashSchemePaths {
public:
    static constexpr const char* kScheme = "zorbel";
    // Everything lives under one host so that the page, the player's files and the movies share
    // an origin and the page may fetch all of them.
    static constexpr const char* kHost = "app";
    static constexpr const char* kMoviePrefix = "movie/";

    virtual ~FlashSchemePaths() = default;

    // "zorbel://app/ruffle.js?x#y" -> "ruffle.js". False for another scheme or host, or a path
    // that is empty, absolute after the host, or has an empty, "." or ".." segment, a backslash
    // or a NUL: no request can leave the player's folder.
    static bool RelativePath(const std::string& uri, std::string& relative);
    // The address of a file or movie under the scheme.
    static std::string UriFor(const std::string& relative);
    // The Content-Type for a file name, from its extension.
    static std::string ContentTypeFor(const std::string& name);
    // root + "/" + relative when that names a regular file (symbolic links resolved) inside root.
    static bool ResolveFile(const std::string& root, const std::string& relative,
                            std::string& file);
};

}  // namespace zorbel
