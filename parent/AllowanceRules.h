#pragma once

#include <array>

namespace zorbel::parent {

class ParentSettingsFile;

// What the parent allows: minutes of play per day (per weekday, 0 = Sunday; a negative value
// is no limit), an optional bedtime window in minutes of the day (it may run past midnight)
// how long a song or story that is playing at the end may go on, and how much the PIN grants.
struct AllowanceRules {
    static constexpr int kNoLimit = -1;
    std::array<int, 7> minutesPerDay{kNoLimit, kNoLimit, kNoLimit, kNoLimit,
                                     kNoLimit, kNoLimit, kNoLimit};
    int bedtimeStart = -1;  // minute of the day; -1: no bedtime
    int bedtimeEnd = -1;
    int graceMinutes = 0;
    // What the PIN on the time's-up cover grants.
    static constexpr int kDefaultGrantMinutes = 15;
    int grantMinutes = kDefaultGrantMinutes;

    bool HasBedtime() const;
    bool IsBedtime(int minuteOfDay) const;
    // True when any day has a limit or there is a bedtime.
    bool LimitsAnything() const;

    static AllowanceRules Read(const ParentSettingsFile& file);
    void Write(ParentSettingsFile& file) const;
};

}  // namespace zorbel::parent
