#include "app/CatalogFiles.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/SettingsFiles.h"
#include "platform/HomeFolder.h"
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

// The first non-empty "ViedoPath" of the files asked in order, and the file it came from.
std::string FirstCacheFolder(const SettingsFiles& files, std::string* from) {
    for (const std::string& path : files.ReadOrder()) {
        std::string value = ReadCacheFolder(path);
        if (!value.empty()) {
            *from = path;
            return value;
        }
    }
    return std::string();
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
    // Read with room to spare, so that a value the buffer would cut is seen and refused.
    std::string value = file.GetString(kCacheSection, kCacheKey, "", 4 * kSettingsValueBuffer);
    if (value.size() >= kSettingsValueBuffer) return std::string();
    return value;
}

std::string ResolveCacheFolder(const std::string& value, const std::string& settingsPath) {
    if (value.empty() || value.front() == '/') return value;
    const std::filesystem::path folder = std::filesystem::path(settingsPath).parent_path();
    if (folder.empty()) return value;
    std::string resolved = (folder / value).lexically_normal().string();
    while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
    return resolved;
}

std::string DefaultCacheFolder() {
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    if (cacheHome && cacheHome[0] == '/') return std::string(cacheHome) + "/zorbel/titles";
    const std::string home = zorbel::HomeFolder();
    if (home.empty() || home == "/") return std::string();
    return home + "/.cache/zorbel/titles";
}

std::string EffectiveCacheFolder(const std::string& settingsPath, bool* missing) {
    const std::string folder = ResolveCacheFolder(ReadCacheFolder(settingsPath), settingsPath);
    const bool none = folder.empty() || folder.find_first_not_of('/') == std::string::npos;
    if (missing) *missing = folder.empty();
    if (!none) return folder;
    return DefaultCacheFolder();
}

bool WriteCacheFolder(const std::string& settingsPath, const std::string& folder) {
    CProfileFile file(settingsPath);
    return file.WriteString(kCacheSection, kCacheKey, folder);
}

std::string EffectiveCacheFolder(const SettingsFiles& files, bool* missing, bool* ownDefault) {
    bool none = false;
    std::string folder;
    if (!files.perUser) {
        folder = EffectiveCacheFolder(files.shipped, &none);
    } else {
        std::string from;
        const std::string value = FirstCacheFolder(files, &from);
        folder = ResolveCacheFolder(value, from);
        none = folder.find_first_not_of('/') == std::string::npos;
        if (none) folder = DefaultCacheFolder();
    }
    if (missing) *missing = none && !files.perUser;
    if (ownDefault) *ownDefault = none;
    return folder;
}

std::string ShownCacheFolder(const SettingsFiles& files, bool* missing) {
    if (!files.perUser) {
        std::string value = ReadCacheFolder(files.shipped);
        if (missing) *missing = value.empty();
        return value;
    }
    if (missing) *missing = false;
    std::string from;
    const std::string value = FirstCacheFolder(files, &from);
    return value.empty() ? DefaultCacheFolder() : value;
}

bool WriteCacheFolder(const SettingsFiles& files, const std::string& folder) {
    const std::string& path = files.WritePath();
    if (path.empty()) return false;
    if (files.perUser) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    }
    return WriteCacheFolder(path, folder);
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
