#pragma once

#include <functional>
#include <memory>

#include <wx/event.h>
#include <wx/timer.h>

#include "parent/PlayActivity.h"
#include "parent/SystemClock.h"

class CPlayTimePanel;
namespace zorbel::parent {
class PlayAllowance;
class PlayDiary;
}  // namespace zorbel::parent

// Counts the player's active play against the day's allowance, once a second, while a PIN
// is set (without one it only looks whether one was set). It shows the notices and, at
// zero, pauses the player behind the time's-up cover. The player tells it what it is doing
// through the probe; the watch knows no player.
class CPlayTimeWatch : public wxEvtHandler {
public:
    static constexpr int kTickMillis = 1000;
    static constexpr int kNoticeTicks = 8;
    static constexpr const char* kFiveText = "还可以玩 5 分钟哦，玩完这一个就休息一下吧～";
    static constexpr const char* kOneText = "还可以玩 1 分钟哦，和小伙伴说再见吧～";
    static constexpr const char* kTimeUpText =
        "时间到啦！今天玩得真开心，\n让小眼睛休息一下，明天再来玩哦～";
    static constexpr const char* kBedtimeText = "睡觉时间到啦！\n宝宝晚安，明天再来玩哦～";

    struct Probe {
        std::function<zorbel::parent::PlayActivity()> activity;  // millisSinceInput is ours
        std::function<void()> pause;
    };

    CPlayTimeWatch(wxWindow* player, Probe probe);
    ~CPlayTimeWatch() override;

    // Looks at once (a play just started) rather than at the next tick.
    void Check();
    // The child touched the movie.
    void NoteInput();
    void Grant(int minutes);
    // The player changed size.
    void Place();
    CPlayTimePanel* Panel() const { return m_panel; }

private:
    void OnTimer(wxTimerEvent& event);

    wxWindow* m_player;
    Probe m_probe;
    wxTimer m_timer;
    zorbel::parent::SystemClock m_clock;
    std::unique_ptr<zorbel::parent::PlayAllowance> m_allowance;
    std::unique_ptr<zorbel::parent::PlayDiary> m_diary;
    CPlayTimePanel* m_panel = nullptr;  // a child of the player
    std::int64_t m_lastInput = 0;
    int m_noticeTicks = 0;
};
