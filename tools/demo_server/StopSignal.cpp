#include "tools/demo_server/StopSignal.h"

namespace zorbel::demo {

bool StopSignal::WaitFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::unique_lock<std::mutex> lock(m_mutex);
    // wait_until with a predicate absorbs spurious wake-ups, so a delay is never cut short.
    return !m_cv.wait_until(lock, deadline, [this] { return m_raised; });
}

void StopSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_raised = true;
    }
    m_cv.notify_all();
}

bool StopSignal::IsRaised() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_raised;
}

}  // namespace zorbel::demo
