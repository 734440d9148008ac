#pragma once

#include <string>
#include <vector>

#include "platform/HostConfig.h"

namespace zorbel::files {

// Which settings files ("Zorbel.ini") the program reads, in which order, and which one it
// writes.
//
// An app folder the running user can write (a build's app folder, an unpacked copy) keeps its
// one settings file beside the executable, read and written as it always was; a settings file
// of the user's own is not looked at then. An app folder the user cannot write, or one below
// /usr (an installed program, /usr/lib/zorbel), ships that file as the defaults only: the user's
// own file, $XDG_CONFIG_HOME/zorbel/Zorbel.ini (by default ~/.config/zorbel/Zorbel.ini), is asked
// first, key by key, and a key it lacks or leaves empty comes from the shipped file. When both
// exist, the user's file wins for every key it gives a value. The settings dialog writes the user's
// file, creating its folder.
struct SettingsFiles {
    // Beside the executable; empty when its path would not fit the settings buffer.
    std::string shipped;
    // The user's own file; empty when the app folder is the user's own or there is no home.
    std::string user;
    // The app folder is not the user's own: the user's file is asked first and written.
    bool perUser = false;

    // The files to ask for a value, the first that gives a non-empty one wins.
    std::vector<std::string> ReadOrder() const;
    // The file a change goes to (empty when there is none).
    const std::string& WritePath() const { return perUser ? user : shipped; }
};

// "zorbel/Zorbel.ini" under the user's configuration folder; empty without a home folder.
std::string UserSettingsPath();

// Whether the running user may make and replace files in folder (an existing folder).
bool IsWritableFolder(const std::string& folder);
// Whether an app folder is the running user's own: writable, and not below /usr, where
// installed programs live and nobody writes, root included (root may write anywhere, and an
// installed program run by root must behave as it does for everyone else).
bool IsOwnAppFolder(const std::string& folder);

// The rule above for an executable folder (ending in '/') that is, or is not, the user's own.
SettingsFiles LocateSettings(const std::string& exeFolder, bool ownAppFolder);
// The running program's settings files: its executable's folder, probed with IsOwnAppFolder
// (an executable folder that cannot be found out counts as its own, as it always did).
SettingsFiles LocateSettings();

// The HOSTS section under the running program's settings files.
HostConfig LoadHosts();

}  // namespace zorbel::files
