#pragma once

#include <cstddef>
#include <string>

// The user the catalog rows belong to: always the empty text. It is what every GetDbPath call
// and every f_UserID value in SQL receives. Set once at start-up, only read afterwards.
extern std::string CurrentUserId;

// Names and paths of the program's stored data. Folders are used as prefixes exactly as
// they come (they end in '/'); nothing here touches the disk unless it says so.
namespace zorbel::files {

struct SettingsFiles;

constexpr const char* kCatalogKey = "R807@391T";
constexpr const char* kCatalogFileName = "ZorbelPlim.dat";
constexpr const char* kSubstituteFileName = "Velaone.dll";
constexpr const char* kSettingsFileName = "Zorbel.ini";
constexpr const char* kCacheSection = "VIEDO";
constexpr const char* kCacheKey = "ViedoPath";

// The settings file's path is limited to what a buffer of 255 characters holds.
constexpr std::size_t kSettingsPathMax = 254;
// Buffer size for values read from the settings file.
constexpr std::size_t kSettingsValueBuffer = 256;

// "%sZorbelPlim.dat" and "%sVelaone.dll" of a data folder; empty for an empty folder (there
// is no data folder, and an empty database name would open a scratch database).
std::string CatalogPath(const std::string& dataFolder);
std::string SubstitutePath(const std::string& dataFolder);

// The catalog path of CurrentUserId's data folder (GetDbPath, which fills the folder on
// first use).
std::string CatalogPath();
std::string SubstitutePath();

// The executable's folder followed by "Zorbel.ini"; empty when the result would be longer
// than kSettingsPathMax (a cut path would name another file).
std::string SettingsPath(const std::string& exeFolder);
std::string SettingsPath();

// "ViedoPath" of section "VIEDO" as written; empty when absent or longer than a buffer of
// kSettingsValueBuffer holds (cut, it would name another folder). Writing stores the text as
// given; false when the file could not be written.
std::string ReadCacheFolder(const std::string& settingsPath);
// The folder a cache folder value names: a relative value lies in the settings file's
// folder (the program's), not in whatever the working folder happens to be.
std::string ResolveCacheFolder(const std::string& value, const std::string& settingsPath);
// Where titles go when the settings name no folder: $XDG_CACHE_HOME/zorbel/titles (by
// default ~/.cache/zorbel/titles), one folder per user, beside the web engine's own caches
// in $XDG_CACHE_HOME/zorbel; empty when there is no home folder either.
std::string DefaultCacheFolder();
// The cache folder the program uses: the setting, resolved; or, when the setting is missing
// (then *missing is true and the caller says so), the default folder. Never the file
// system's root: titles would be looked up and stored as "/name.swf".
std::string EffectiveCacheFolder(const std::string& settingsPath, bool* missing);
bool WriteCacheFolder(const std::string& settingsPath, const std::string& folder);

// The same under the program's settings files (SettingsFiles.h). With the app folder's own
// file they behave as the functions above on that file, and *ownDefault says the default
// folder was taken for a missing setting. With per-user settings the first file that names a
// folder gives it (resolved beside that file); when none does, the per-user default is the
// designed outcome: *missing stays false (there is nothing to report) and *ownDefault is true
// (the program makes that folder).
std::string EffectiveCacheFolder(const SettingsFiles& files, bool* missing, bool* ownDefault);
// What the settings dialog shows: the app folder's own value as written (*missing when
// empty), or with per-user settings the first value a file gives, else the per-user default
// folder (never missing).
std::string ShownCacheFolder(const SettingsFiles& files, bool* missing);
// Writes the value into files.WritePath(), making the user's settings folder when needed.
bool WriteCacheFolder(const SettingsFiles& files, const std::string& folder);

// "%s/%s.swf": the cached file of a title.
std::string TitlePath(const std::string& cacheFolder, const std::string& titleName);

// The name a download is written to before it becomes titlePath: the final ".swf" replaced
// by ".tmp" (".tmp" appended when there is none). Folder and title names keep any ".swf"
// inside them, so the temporary file always lies beside its title file.
std::string TemporaryPath(const std::string& titlePath);

// Whether titleName names a file directly inside the cache folder: not empty, not "." or
// "..", no '/', no zero byte, and short enough for a file name with its extension.
bool IsSafeTitleName(const std::string& titleName);

}  // namespace zorbel::files
