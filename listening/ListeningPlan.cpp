#include "listening/ListeningPlan.h"

namespace zorbel::listening {

EndDecision ListeningPlan::Decide(TitleKind kind, bool straightThrough, SleepTimer& timer,
                                  const std::optional<std::string>& next, int64_t nowMs) {
    EndDecision decision;
    if (kind == TitleKind::Game) return decision;
    if (timer.TitleEnded(nowMs)) {
        decision.what = AfterEnd::Sleep;
        return decision;
    }
    if (!straightThrough || !IsListeningKind(kind)) return decision;
    if (next) {
        decision.what = AfterEnd::Countdown;
        decision.next = *next;
    } else {
        decision.what = AfterEnd::ListDone;
    }
    return decision;
}

}  // namespace zorbel::listening
