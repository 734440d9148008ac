#include "listening/ListeningSettings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/CatalogSql.h"
#include "platform/ProfileFile.h"

namespace zorbel::listening {
namespace {

constexpr const char* kStraightThrough = "StraightThrough";
constexpr const char* kVolume = "Volume";
constexpr const char* kMuted = "Mute";

std::string FirstValue(const files::SettingsFiles& files, const char* key) {
    for (const std::string& path : files.ReadOrder()) {
        std::string value = CProfileFile(path).GetString(ListeningSettings::kSection, key, "", 64);
        if (!value.empty()) return value;
    }
    return std::string();
}

bool ReadFlag(const std::string& value, bool fallback) {
    if (value == "1") return true;
    if (value == "0") return false;
    return fallback;
}

}  // namespace

ListeningSettings ListeningSettings::Load(const files::SettingsFiles& files) {
    ListeningSettings s;
    s.straightThrough = ReadFlag(FirstValue(files, kStraightThrough), s.straightThrough);
    s.muted = ReadFlag(FirstValue(files, kMuted), s.muted);
    const std::string volume = FirstValue(files, kVolume);
    if (sql::IsPlainInteger(volume)) s.volume = std::clamp(std::atoi(volume.c_str()), 0, 100);
    return s;
}

bool ListeningSettings::Save(const files::SettingsFiles& files, std::string* why) const {
    const std::string& path = files.WritePath();
    if (path.empty()) {
        if (why) *why = "no settings file to write";
        return false;
    }
    if (files.perUser) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    }
    CProfileFile file(path);
    const bool ok = file.WriteString(kSection, kStraightThrough, straightThrough ? "1" : "0") &&
                    file.WriteString(kSection, kVolume, std::to_string(volume)) &&
                    file.WriteString(kSection, kMuted, muted ? "1" : "0");
    if (!ok && why) *why = "cannot write " + path;
    return ok;
}

}  // namespace zorbel::listening
