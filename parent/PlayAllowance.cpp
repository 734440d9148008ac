#include "parent/PlayAllowance.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "parent/ParentSettingsFile.h"

namespace zorbel::parent {

namespace {
constexpr std::int64_t kMinute = 60 * 1000;
constexpr const char* kLastDayKey = "usage.last_day";

struct LocalDay {
    std::string day;
    int weekday = 0;
    int minuteOfDay = 0;
};

LocalDay LocalDayOf(std::int64_t wallSeconds) {
    const time_t t = static_cast<time_t>(wallSeconds);
    struct tm parts {};
    localtime_r(&t, &parts);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday);
    return {text, parts.tm_wday, parts.tm_hour * 60 + parts.tm_min};
}

std::string UsageKey(const std::string& day) {
    return "usage." + day;
}
std::string ExtraKey(const std::string& day) {
    return "extra." + day;
}
std::string BedtimePassKey(const std::string& day) {
    return "bedpass." + day;
}
}  // namespace

PlayAllowance::PlayAllowance(std::string settingsPath, const Clock& clock)
    : m_path(std::move(settingsPath)), m_clock(clock), m_lastSteady(clock.SteadyMillis()) {
    ReloadRules();
    FollowDay();
}

PlayAllowance::~PlayAllowance() {
    if (m_unsavedMs > 0) Flush();
}

void PlayAllowance::ReloadRules() {
    ParentSettingsFile file(m_path);
    file.Load();
    m_rules = AllowanceRules::Read(file);
}

// Takes the day the wall clock names, unless it lies before the latest day already seen.
void PlayAllowance::FollowDay() {
    const LocalDay now = LocalDayOf(m_clock.WallSeconds());
    m_weekday = now.weekday;
    ParentSettingsFile file(m_path);
    file.Load();
    std::string day = std::max(now.day, file.Get(kLastDayKey));
    if (!m_day.empty()) day = std::max(day, m_day);
    if (day == m_day) return;
    if (!m_day.empty() && m_unsavedMs > 0) Flush();
    m_day = day;
    m_usedMs = file.GetInt(UsageKey(day), 0);
    m_extraMs = file.GetInt(ExtraKey(day), 0);
    m_bedtimePassMs = file.GetInt(BedtimePassKey(day), 0);
    m_graceMs = 0;
    m_unsavedMs = 0;
    m_phase = Phase::kPlaying;
}

std::int64_t PlayAllowance::MillisLeft() const {
    const int minutes = m_rules.minutesPerDay[m_weekday];
    if (minutes < 0) return -1;
    return std::max<std::int64_t>(0, minutes * kMinute + m_extraMs - m_usedMs);
}

bool PlayAllowance::OutOfTime(bool* bedtime) const {
    *bedtime = m_usedMs >= m_bedtimePassMs &&
               m_rules.IsBedtime(LocalDayOf(m_clock.WallSeconds()).minuteOfDay);
    return *bedtime || MillisLeft() == 0;
}

AllowanceNotice PlayAllowance::Tick(bool active, bool finishing) {
    const std::int64_t steady = m_clock.SteadyMillis();
    const std::int64_t step = std::clamp<std::int64_t>(steady - m_lastSteady, 0, kMaxStepMillis);
    m_lastSteady = steady;
    FollowDay();

    const std::int64_t leftBefore = MillisLeft();
    m_lastCountedMs = 0;
    if (active && m_phase != Phase::kStopped) {
        m_lastCountedMs = step;
        m_usedMs += step;
        m_unsavedMs += step;
        if (m_phase == Phase::kGrace) m_graceMs += step;
    }
    const std::int64_t leftAfter = MillisLeft();

    bool bedtime = false;
    const bool out = OutOfTime(&bedtime);
    const AllowanceNotice stop = bedtime ? AllowanceNotice::kBedtime : AllowanceNotice::kTimeUp;
    AllowanceNotice notice = AllowanceNotice::kNone;
    switch (m_phase) {
        case Phase::kPlaying:
            if (out) {
                if (active && finishing && m_rules.graceMinutes > 0) {
                    m_phase = Phase::kGrace;
                    m_graceMs = 0;
                } else {
                    m_phase = Phase::kStopped;
                    notice = stop;
                }
            } else if (leftAfter >= 0 && leftBefore > kMinute && leftAfter <= kMinute) {
                notice = AllowanceNotice::kOneMinuteLeft;
            } else if (leftAfter >= 0 && leftBefore > 5 * kMinute && leftAfter <= 5 * kMinute) {
                notice = AllowanceNotice::kFiveMinutesLeft;
            }
            break;
        case Phase::kGrace:
            if (!out) {
                m_phase = Phase::kPlaying;
            } else if (!active || !finishing || m_graceMs >= m_rules.graceMinutes * kMinute) {
                m_phase = Phase::kStopped;
                notice = stop;
            }
            break;
        case Phase::kStopped:
            if (!out) m_phase = Phase::kPlaying;
            break;
    }
    if (notice != AllowanceNotice::kNone || m_unsavedMs >= kSaveEveryMillis) Flush();
    return notice;
}

void PlayAllowance::Grant(int minutes) {
    if (minutes <= 0) return;
    const std::int64_t grant = minutes * kMinute;
    const int daily = m_rules.minutesPerDay[m_weekday];
    if (daily >= 0) {
        // Counted from now: use beyond the limit (a grace period) is not taken off the grant.
        const std::int64_t limit = std::max(daily * kMinute + m_extraMs, m_usedMs) + grant;
        m_extraMs = limit - daily * kMinute;
    }
    m_bedtimePassMs = m_usedMs + grant;
    m_phase = Phase::kPlaying;
    m_graceMs = 0;
    ParentSettingsFile file(m_path);
    file.Load();
    file.SetInt(ExtraKey(m_day), m_extraMs);
    file.SetInt(BedtimePassKey(m_day), m_bedtimePassMs);
    file.Save();
    Flush();
}

bool PlayAllowance::Flush() {
    ParentSettingsFile file(m_path);
    if (!file.Load()) return false;
    // Another start of the program may have counted too: the larger count wins.
    m_usedMs = std::max(m_usedMs, file.GetInt(UsageKey(m_day), 0));
    file.SetInt(UsageKey(m_day), m_usedMs);
    file.Set(kLastDayKey, std::max(m_day, file.Get(kLastDayKey)));
    for (const char* prefix : {"usage.2", "extra.2", "bedpass.2"}) {
        const auto keys = file.KeysWithPrefix(prefix);  // sorted: oldest first
        for (std::size_t i = 0; i + kDaysKept < keys.size(); ++i) file.Erase(keys[i]);
    }
    if (!file.Save()) return false;
    m_unsavedMs = 0;
    return true;
}

}  // namespace zorbel::parent
