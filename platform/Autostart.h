#pragma once

#include <string>

// Starting the program with the desktop session: one entry in the freedesktop autostart folder
// ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart) per value name. The entry's
// file is the value name followed by ".desktop" (kept as UTF-8, which session managers and
// systemd's autostart generator accept), its Name the value name and its Exec the executable's
// full path, quoted as desktop entries require. No toolkit involved.
namespace zorbel::autostart {

enum class Result {
    kOk,
    kNoFolder,      // neither XDG_CONFIG_HOME nor a home folder is known
    kBadName,       // the value name or the executable path cannot go into an entry
    kWriteFailed,   // the folder or the entry could not be written
    kRemoveFailed,  // the entry is there and could not be removed
};

// The autostart folder, without a trailing '/'; empty when it cannot be known. A relative
// XDG_CONFIG_HOME is ignored, as the base directory rules say.
std::string AutostartFolder();

// "<valueName>.desktop" with '/' and control characters replaced by '_' and a leading '.'
// replaced too, so the entry is always a visible file directly in the folder. Empty for an
// empty name.
std::string EntryFileName(const std::string& valueName);

// Full path of the entry; empty when the folder or the name is unusable.
std::string EntryPath(const std::string& valueName);

// The text of the entry that Register writes.
std::string EntryText(const std::string& valueName, const std::string& executablePath);

// One Exec argument as the desktop entry rules want it: bare when it holds no reserved
// character, otherwise between double quotes with ", `, $ and \ escaped; "%" becomes "%%".
// The string escapes of the value itself (\\, \n, \t, \r) are applied on top.
std::string ExecValue(const std::string& executablePath);

// The running executable's full path (what /proc/self/exe names); empty when unknown.
std::string RunningExecutablePath();

// Whether the entry exists as a regular file.
bool IsRegistered(const std::string& valueName);

// Writes (or rewrites) the entry, creating the autostart folder when missing. The entry is
// written to a temporary file that then replaces it, so no half entry is ever seen.
Result Register(const std::string& valueName, const std::string& executablePath);

// Removes the entry; kOk when it was not there.
Result Unregister(const std::string& valueName);

}  // namespace zorbel::autostart
