#pragma once

#include <cstdint>
#include <string>

#include "parent/AllowanceRules.h"
#include "parent/Clock.h"

namespace zorbel::parent {

enum class AllowanceNotice {
    kNone,
    kFiveMinutesLeft,
    kOneMinuteLeft,
    kTimeUp,   // the day's minutes are used up: play stops
    kBedtime,  // the bedtime window began: play stops
};

// The day's play allowance. The caller reports, tick by tick, whether play was active (the
// player visible and playing, the window not minimised, and for games recent input); only
// that time counts, measured on the steady clock so that moving the wall clock adds or takes
// nothing. The day's use is kept per date in the parent settings file, so a restart or a
// second start goes on from it, and a wall clock moved back to an earlier date keeps counting
// against the latest date seen rather than opening a fresh day.
class PlayAllowance {
public:
    // Longest step one tick may count: a stalled or suspended program does not eat the day.
    static constexpr std::int64_t kMaxStepMillis = 5000;
    static constexpr std::int64_t kSaveEveryMillis = 15000;
    static constexpr int kDaysKept = 14;

    PlayAllowance(std::string settingsPath, const Clock& clock);
    ~PlayAllowance();
    PlayAllowance(const PlayAllowance&) = delete;
    PlayAllowance& operator=(const PlayAllowance&) = delete;

    // Reads the rules again (the parent changed them).
    void ReloadRules();

    // Advances to now. active: play was active since the last tick; finishing: what plays is
    // a song or story, which may run on past zero for the parent's grace minutes.
    AllowanceNotice Tick(bool active, bool finishing);

    // Play must not go on (time's up or bedtime) until the parent grants more.
    bool IsStopped() const { return m_phase == Phase::kStopped; }
    // Past zero, a song or story finishing.
    bool InGrace() const { return m_phase == Phase::kGrace; }
    // Milliseconds of play left today; -1 when today has no limit.
    std::int64_t MillisLeft() const;
    std::int64_t UsedMillis() const { return m_usedMs; }
    // What the last tick counted as play.
    std::int64_t LastCountedMillis() const { return m_lastCountedMs; }
    const std::string& Day() const { return m_day; }
    const AllowanceRules& Rules() const { return m_rules; }

    // The parent grants minutes from now on, also past bedtime.
    void Grant(int minutes);
    // Writes the day's use now.
    bool Flush();

private:
    enum class Phase { kPlaying, kGrace, kStopped };
    void FollowDay();
    bool OutOfTime(bool* bedtime) const;

    std::string m_path;
    const Clock& m_clock;
    AllowanceRules m_rules;
    Phase m_phase = Phase::kPlaying;
    std::string m_day;  // YYYY-MM-DD
    int m_weekday = 0;
    std::int64_t m_usedMs = 0;
    std::int64_t m_extraMs = 0;
    std::int64_t m_bedtimePassMs = 0;  // bedtime waits until the use reaches this
    std::int64_t m_graceMs = 0;
    std::int64_t m_unsavedMs = 0;
    std::int64_t m_lastSteady = 0;
    std::int64_t m_lastCountedMs = 0;
};

}  // namespace zorbel::parent
