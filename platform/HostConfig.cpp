#include "platform/HostConfig.h"

#include "platform/ProfileFile.h"

namespace zorbel {

namespace {

constexpr std::size_t kValueBuffer = 1024;

std::string ReadValue(const std::vector<std::string>& paths, const char* key, bool base) {
    for (const std::string& path : paths) {
        std::string value =
            CProfileFile(path).GetString(HostConfig::kSection, key, "", kValueBuffer);
        if (base)
            while (!value.empty() && value.back() == '/') value.pop_back();
        if (!value.empty()) return value;
    }
    return std::string();
}

std::string ReadBase(const std::vector<std::string>& paths, const char* key) {
    const std::string value = ReadValue(paths, key, true);
    return value.empty() ? HostConfig::kDefaultBase : value;
}

}  // namespace

HostConfig HostConfig::Load(const std::string& settingsPath) {
    return Load(std::vector<std::string>{settingsPath});
}

HostConfig HostConfig::Load(const std::vector<std::string>& settingsPaths) {
    HostConfig config;
    config.webSite = ReadBase(settingsPaths, "WebSite");
    config.webServer = ReadBase(settingsPaths, "WebServer");
    config.contentServer = ReadBase(settingsPaths, "ContentServer");
    config.vendorSiteName = ReadValue(settingsPaths, "VendorSiteName", false);
    if (config.vendorSiteName.empty()) config.vendorSiteName = kDefaultSiteName;
    return config;
}

}  // namespace zorbel
