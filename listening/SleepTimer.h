#pragma once

#include <cstdint>
#include <string>

namespace zorbel::listening {

// Bedtime: stop after a number of titles, or once some minutes have passed (the title playing
// then is finished first). Times are milliseconds of a steady clock, passed in by the caller.
class SleepTimer {
public:
    enum class Mode { Off, AfterTitles, AfterMinutes };

    void Off() { m_mode = Mode::Off; }
    // After this title (1) or after n titles, counting the one playing now.
    void AfterTitles(int n);
    void AfterMinutes(int minutes, int64_t nowMs);

    // A title came to its end. True when that is the moment to stop; the timer is off then.
    bool TitleEnded(int64_t nowMs);

    Mode GetMode() const { return m_mode; }
    bool IsSet() const { return m_mode != Mode::Off; }
    int TitlesLeft() const { return m_mode == Mode::AfterTitles ? m_nTitlesLeft : 0; }
    // Whole minutes left, rounded up (0 once due).
    int MinutesLeft(int64_t nowMs) const;
    // What the timer will do, for the child and the parent.
    std::string Describe(int64_t nowMs) const;

private:
    Mode m_mode = Mode::Off;
    int m_nTitlesLeft = 0;
    int64_t m_tDue = 0;
};

}  // namespace zorbel::listening
