#include "parent/AllowanceRules.h"

#include <algorithm>
#include <string>

#include "parent/ParentSettingsFile.h"

namespace zorbel::parent {

namespace {
constexpr int kMinutesInDay = 24 * 60;
std::string DayKey(int weekday) {
    return "allowance.minutes." + std::to_string(weekday);
}
}  // namespace

bool AllowanceRules::HasBedtime() const {
    return bedtimeStart >= 0 && bedtimeStart < kMinutesInDay && bedtimeEnd >= 0 &&
           bedtimeEnd < kMinutesInDay && bedtimeStart != bedtimeEnd;
}

bool AllowanceRules::IsBedtime(int minuteOfDay) const {
    if (!HasBedtime()) return false;
    if (bedtimeStart < bedtimeEnd) return minuteOfDay >= bedtimeStart && minuteOfDay < bedtimeEnd;
    return minuteOfDay >= bedtimeStart || minuteOfDay < bedtimeEnd;  // past midnight
}

bool AllowanceRules::LimitsAnything() const {
    return HasBedtime() ||
           std::any_of(minutesPerDay.begin(), minutesPerDay.end(), [](int m) { return m >= 0; });
}

AllowanceRules AllowanceRules::Read(const ParentSettingsFile& file) {
    AllowanceRules rules;
    for (int day = 0; day < 7; ++day) {
        const auto minutes = file.GetInt(DayKey(day), kNoLimit);
        rules.minutesPerDay[day] =
            minutes < 0 ? kNoLimit
                        : static_cast<int>(std::min<std::int64_t>(minutes, kMinutesInDay));
    }
    rules.bedtimeStart = static_cast<int>(file.GetInt("allowance.bedtime_start", -1));
    rules.bedtimeEnd = static_cast<int>(file.GetInt("allowance.bedtime_end", -1));
    rules.graceMinutes = static_cast<int>(
        std::clamp<std::int64_t>(file.GetInt("allowance.grace_minutes", 0), 0, 60));
    rules.grantMinutes = static_cast<int>(std::clamp<std::int64_t>(
        file.GetInt("allowance.grant_minutes", kDefaultGrantMinutes), 1, 240));
    return rules;
}

void AllowanceRules::Write(ParentSettingsFile& file) const {
    for (int day = 0; day < 7; ++day) {
        if (minutesPerDay[day] < 0)
            file.Erase(DayKey(day));
        else
            file.SetInt(DayKey(day), minutesPerDay[day]);
    }
    if (HasBedtime()) {
        file.SetInt("allowance.bedtime_start", bedtimeStart);
        file.SetInt("allowance.bedtime_end", bedtimeEnd);
    } else {
        file.Erase("allowance.bedtime_start");
        file.Erase("allowance.bedtime_end");
    }
    file.SetInt("allowance.grace_minutes", graceMinutes);
    file.SetInt("allowance.grant_minutes", grantMinutes);
}

}  // namespace zorbel::parent
