#include "app/CatalogFiles.h"

#include "platform/ProfileFile.h"
#include "platform/VelaPfcSystem.h"

std::string CurrentUserId;

namespace zorbel::files {

namespace {

constexpr const char* kTitleExtension = ".swf";
constexpr const char* kTemporaryExtension = ".tmp";
// Longest file name the usual Linux file systems take, in bytes.
constexpr std::size_t kNameMax = 255;

std::string DataFolder() {
    CVelaPfcSystem system;
    return system.GetDbPath(CurrentUserId);
}

}  // namespace

std::string CatalogPath(const std::string& dataFolder) {
    return dataFolder.empty() ? std::string() : dataFolder + kCatalogFileName;
}

std::string SubstitutePath(const std::string& dataFolder) {
    return dataFolder.empty() ? std::string() : dataFolder + kSubstituteFileName;
}

std::string CatalogPath() {
    return CatalogPath(DataFolder());
}

std::string SubstitutePath() {
    return SubstitutePath(DataFolder());
}

std::string SettingsPath(const std::string& exeFolder) {
    std::string path = exeFolder + kSettingsFileName;
    if (path.size() > kSettingsPathMax || path.find('\0') != std::string::npos)
        return std::string();
    return path;
}

std::string SettingsPath() {
    CVelaPfcSystem system;
    std::string exeFolder = system.GetExePath();
    return exeFolder.empty() ? std::string() : SettingsPath(exeFolder);
}

std::string ReadCacheFolder(const std::string& settingsPath) {
    CProfileFile file(settingsPath);
    return file.GetString(kCacheSection, kCacheKey, "", kSettingsValueBuffer);
}

bool WriteCacheFolder(const std::string& settingsPath, const std::string& folder) {
    CProfileFile file(settingsPath);
    return file.WriteString(kCacheSection, kCacheKey, folder);
}

std::string TitlePath(const std::string& cacheFolder, const std::string& titleName) {
    return cacheFolder + "/" + titleName + kTitleExtension;
}

std::string TemporaryPath(const std::string& titlePath) {
    const std::string ext = kTitleExtension;
    if (titlePath.size() >= ext.size() &&
        titlePath.compare(titlePath.size() - ext.size(), ext.size(), ext) == 0)
        return titlePath.substr(0, titlePath.size() - ext.size()) + kTemporaryExtension;
    return titlePath + kTemporaryExtension;
}

bool IsSafeTitleName(const std::string& titleName) {
    if (titleName.empty() || titleName == "." || titleName == "..") return false;
    if (titleName.find_first_of(std::string("/\0", 2)) != std::string::npos) return false;
    return titleName.size() + std::string(kTitleExtension).size() <= kNameMax;
}

}  // namespace zorbel::files
