#include "tests/support/EventPump.h"

#include <thread>

#include <glib.h>
#include <wx/app.h>

namespace zorbel::test {
namespace {
// Enough to drain a burst of input and redraws; small enough that one step stays short.
constexpr int kSourcesPerStep = 64;
}  // namespace

void PumpOnce() {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    for (int i = 0; i < kSourcesPerStep && g_main_context_pending(nullptr); ++i)
        g_main_context_iteration(nullptr, FALSE);
    if (wxTheApp) {
        wxTheApp->ProcessPendingEvents();
        // Once per step, as wxYield does, so handlers that always want more idle time cannot
        // keep us here.
        wxTheApp->ProcessIdle();
    }
}

bool PumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return cond();
        PumpOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        PumpOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace zorbel::test
