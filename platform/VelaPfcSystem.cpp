#include "platform/VelaPfcSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/HomeFolder.h"

namespace {

namespace fs = std::filesystem;

std::mutex g_overrideLock;
std::string g_exeFolderOverride;

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// Copies source to target without ever replacing an existing target: the bytes go to a
// temporary name in the target's folder first and are then linked under the final name,
// which fails if someone else (another instance starting at the same moment) got there first.
bool CopyNoReplace(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) return false;
    std::string tmpl =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    ::close(fd);
    fs::path tmp(name.data());
    bool ok = fs::copy_file(source, tmp, fs::copy_options::overwrite_existing, ec) && !ec;
    if (ok) {
        fs::permissions(tmp,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read,
                        ec);
        int fileFd = ::open(tmp.c_str(), O_RDONLY);
        if (fileFd >= 0) {
            ::fsync(fileFd);
            ::close(fileFd);
        }
        ok = ::link(tmp.c_str(), target.c_str()) == 0 || errno == EEXIST;
    }
    ::unlink(tmp.c_str());
    return ok;
}

}  // namespace

CVelaPfcSystem::CVelaPfcSystem() = default;

CVelaPfcSystem::~CVelaPfcSystem() = default;

void CVelaPfcSystem::SetExeFolderOverride(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_overrideLock);
    g_exeFolderOverride = WithSlash(folder);
}

std::string CVelaPfcSystem::GetExePath() {
    {
        std::lock_guard<std::mutex> lock(g_overrideLock);
        if (!g_exeFolderOverride.empty()) return g_exeFolderOverride;
    }
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return std::string();
    return WithSlash(exe.parent_path().string());
}

std::string CVelaPfcSystem::GetDbPath(const std::string& /*userId*/) {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // XDG base directories must be absolute; a relative value is ignored.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        std::string home = zorbel::HomeFolder();
        if (home.empty()) return std::string();
        base = WithSlash(home) + ".local/share";
    }
    fs::path folder = fs::path(WithSlash(base)) / "Zorbel";
    std::string result = WithSlash(folder.string());

    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return result;

    const fs::path catalog = folder / kCatalogFileName;
    if (!fs::exists(fs::symlink_status(catalog, ec))) {
        const fs::path shipped = fs::path(GetExePath()) / kShippedDataFolder;
        const fs::path substitute = folder / kSubstituteFileName;
        if (!fs::exists(fs::symlink_status(substitute, ec)))
            CopyNoReplace(shipped / kSubstituteFileName, substitute);
        // The catalog comes last: once it is there, the folder is complete.
        CopyNoReplace(shipped / kCatalogFileName, catalog);
    }
    return result;
}
