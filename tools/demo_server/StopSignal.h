#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zorbel::demo {

// Lets every wait inside a request end as soon as the server stops.
class StopSignal {
public:
    // Waits for the given time; returns false when the server stopped meanwhile.
    bool WaitFor(std::chrono::milliseconds duration);
    void Raise();
    bool IsRaised() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_raised = false;
};

}  // namespace zorbel::demo
