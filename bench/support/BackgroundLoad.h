#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace zorbel::bench {

// Busy child processes that make a benchmark's machine loaded on request, so that a figure
// "at load N" can be reproduced anywhere: each child spins on a core until Stop (or the end of
// the benchmark process) kills it.
class BackgroundLoad {
public:
    BackgroundLoad() = default;
    ~BackgroundLoad();
    BackgroundLoad(const BackgroundLoad&) = delete;
    BackgroundLoad& operator=(const BackgroundLoad&) = delete;

    // Starts `processes` spinners; call it before any thread or toolkit is started. With
    // ownSession they run as another program would; without, inside the benchmark's own
    // session, where the kernel's automatic grouping makes them compete with it directly.
    bool Start(int processes, bool ownSession);
    void Stop();
    int Processes() const { return static_cast<int>(m_children.size()); }

    // The load averages over 1, 5 and 15 minutes, "4.51 4.02 3.87".
    static std::string LoadAverage();

private:
    std::vector<pid_t> m_children;
    bool m_ownSession = true;
};

}  // namespace zorbel::bench
