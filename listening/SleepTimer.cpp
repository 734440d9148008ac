#include "listening/SleepTimer.h"

#include <algorithm>

namespace zorbel::listening {

void SleepTimer::AfterTitles(int n) {
    m_mode = n > 0 ? Mode::AfterTitles : Mode::Off;
    m_nTitlesLeft = n;
}

void SleepTimer::AfterMinutes(int minutes, int64_t nowMs) {
    m_mode = minutes > 0 ? Mode::AfterMinutes : Mode::Off;
    m_tDue = nowMs + int64_t{minutes} * 60000;
}

bool SleepTimer::TitleEnded(int64_t nowMs) {
    bool stop = false;
    if (m_mode == Mode::AfterTitles) stop = --m_nTitlesLeft <= 0;
    if (m_mode == Mode::AfterMinutes) stop = nowMs >= m_tDue;
    if (stop) m_mode = Mode::Off;
    return stop;
}

int SleepTimer::MinutesLeft(int64_t nowMs) const {
    if (m_mode != Mode::AfterMinutes || nowMs >= m_tDue) return 0;
    return static_cast<int>((m_tDue - nowMs + 59999) / 60000);
}

std::string SleepTimer::Describe(int64_t nowMs) const {
    switch (m_mode) {
        case Mode::Off:
            return "睡觉定时：没有定时";
        case Mode::AfterTitles:
            return m_nTitlesLeft <= 1 ? "听完这一个就睡觉啦"
                                      : "再听完 " + std::to_string(m_nTitlesLeft) + " 个就睡觉啦";
        case Mode::AfterMinutes: {
            const int left = MinutesLeft(nowMs);
            return left > 0 ? std::to_string(left) + " 分钟后，听完这一个就睡觉啦"
                            : "听完这一个就睡觉啦";
        }
    }
    return std::string();
}

}  // namespace zorbel::listening
