#pragma once

#include <string>

#include "app/SettingsFiles.h"

namespace zorbel::listening {

// What the player bar's listening controls remember between runs, in the [Listening] section
// of the user's settings file (the one the settings dialog writes).
struct ListeningSettings {
    static constexpr const char* kSection = "Listening";
    static constexpr int kDefaultVolume = 100;

    bool straightThrough = false;
    int volume = kDefaultVolume;  // 0..100
    bool muted = false;

    // The loudness the player gets.
    int EffectiveVolume() const { return muted ? 0 : volume; }

    // Each key from the first file of the read order that gives it; defaults otherwise
    // (missing files, unreadable or out-of-range values).
    static ListeningSettings Load(const files::SettingsFiles& files);
    // False, with why, when the file cannot be written.
    bool Save(const files::SettingsFiles& files, std::string* why = nullptr) const;
};

}  // namespace zorbel::listening
