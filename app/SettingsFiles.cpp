#include "app/SettingsFiles.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "app/CatalogFiles.h"
#include "platform/HomeFolder.h"
#include "platform/VelaPfcSystem.h"

namespace zorbel::files {

std::vector<std::string> SettingsFiles::ReadOrder() const {
    std::vector<std::string> order;
    if (perUser && !user.empty()) order.push_back(user);
    if (!shipped.empty()) order.push_back(shipped);
    return order;
}

std::string UserSettingsPath() {
    const std::string base = zorbel::ConfigHome();
    return base.empty() ? std::string() : base + "/zorbel/" + kSettingsFileName;
}

bool IsWritableFolder(const std::string& folder) {
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) return false;
    // Writing a settings file makes a temporary file beside it and renames it over the old one:
    // that needs the folder, not only the file, to be writable.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsOwnAppFolder(const std::string& folder) {
    if (!IsWritableFolder(folder)) return false;
    std::error_code error;
    const std::string real = std::filesystem::weakly_canonical(folder, error).string() + "/";
    return error || real.compare(0, 5, "/usr/") != 0;
}

SettingsFiles LocateSettings(const std::string& exeFolder, bool ownAppFolder) {
    SettingsFiles files;
    files.shipped = exeFolder.empty() ? std::string() : SettingsPath(exeFolder);
    files.perUser = !ownAppFolder;
    if (files.perUser) files.user = UserSettingsPath();
    return files;
}

SettingsFiles LocateSettings() {
    CVelaPfcSystem system;
    const std::string exeFolder = system.GetExePath();
    return LocateSettings(exeFolder, exeFolder.empty() || IsOwnAppFolder(exeFolder));
}

HostConfig LoadHosts() {
    return HostConfig::Load(LocateSettings().ReadOrder());
}

}  // namespace zorbel::files
