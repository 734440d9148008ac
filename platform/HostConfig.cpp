#include "platform/HostConfig.h"

#include "platform/ProfileFile.h"

namespace zorbel {

namespace {

constexpr std::size_t kValueBuffer = 1024;

std::string ReadBase(const CProfileFile& file, const char* key) {
    std::string value = file.GetString(HostConfig::kSection, key, "", kValueBuffer);
    while (!value.empty() && value.back() == '/') value.pop_back();
    return value.empty() ? HostConfig::kDefaultBase : value;
}

}  // namespace

HostConfig HostConfig::Load(const std::string& settingsPath) {
    CProfileFile file(settingsPath);
    HostConfig config;
    config.webSite = ReadBase(file, "WebSite");
    config.webServer = ReadBase(file, "WebServer");
    config.contentServer = ReadBase(file, "ContentServer");
    config.vendorSiteName = file.GetString(kSection, "VendorSiteName", "", kValueBuffer);
    if (config.vendorSiteName.empty()) config.vendorSiteName = kDefaultSiteName;
    return config;
}

}  // namespace zorbel
