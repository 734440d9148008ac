#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "listening/SleepTimer.h"
#include "listening/TitleKind.h"

namespace zorbel::listening {

// What happens when a title comes to its end.
enum class AfterEnd {
    Nothing,    // as always: the movie stays where it ended
    Countdown,  // the next title plays after a short countdown that can be cancelled
    Sleep,      // bedtime: pause with the screen dimmed
    ListDone,   // straight through to the end of the list: stop there
};

struct EndDecision {
    AfterEnd what = AfterEnd::Nothing;
    std::string next;  // the title to play (Countdown)
};

// Decides what follows the end of a title: the sleep timer first, then straight-through play
// for songs, stories and knowledge clips. Games never end, and nothing changes for them.
class ListeningPlan {
public:
    static EndDecision Decide(TitleKind kind, bool straightThrough, SleepTimer& timer,
                              const std::optional<std::string>& next, int64_t nowMs);
};

// The "next" countdown between two titles, in whole seconds.
class Countdown {
public:
    static constexpr int kSeconds = 5;

    void Start(int64_t nowMs, int seconds = kSeconds) {
        m_bRunning = true;
        m_tDue = nowMs + int64_t{seconds} * 1000;
    }
    void Cancel() { m_bRunning = false; }
    bool IsRunning() const { return m_bRunning; }
    // Seconds still to show, rounded up; 0 once due.
    int SecondsLeft(int64_t nowMs) const {
        return !m_bRunning || nowMs >= m_tDue ? 0 : static_cast<int>((m_tDue - nowMs + 999) / 1000);
    }
    bool IsDue(int64_t nowMs) const { return m_bRunning && nowMs >= m_tDue; }

private:
    bool m_bRunning = false;
    int64_t m_tDue = 0;
};

}  // namespace zorbel::listening
