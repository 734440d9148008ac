#pragma once

#include <string>
#include <vector>

namespace zorbel {

// The addresses of the maker's web site, the maker's web server and the content server, and
// the web site name shown in messages: the HOSTS section of the settings file, which the
// program only reads. Base addresses carry no trailing '/'; callers append "/" and the page.
struct HostConfig {
    std::string webSite;
    std::string webServer;
    std::string contentServer;
    std::string vendorSiteName;

    static constexpr const char* kSection = "HOSTS";
    static constexpr const char* kDefaultBase = "http://127.0.0.1:8517";
    static constexpr const char* kDefaultSiteName = "zorbel.localhost";

    // Reads settingsPath; a missing file, section or key, or an empty value, gives the
    // default (the demo server on the loopback interface).
    static HostConfig Load(const std::string& settingsPath);
    // Each key from the first of settingsPaths that gives it a value, else the default.
    static HostConfig Load(const std::vector<std::string>& settingsPaths);
};

}  // namespace zorbel
