#include "bench/support/BackgroundLoad.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbel::bench {

BackgroundLoad::~BackgroundLoad() {
    Stop();
}

bool BackgroundLoad::Start(int processes, bool ownSession) {
    m_ownSession = ownSession;
    for (int i = 0; i < processes; ++i) {
        const pid_t child = fork();
        if (child < 0) return false;
        if (child == 0) {
            // A benchmark that dies must not leave its load behind.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() == 1) _exit(0);
            // A session of its own, as another program's work has: with the kernel's
            // automatic grouping (sched_autogroup) the spinners then share the processor with
            // the benchmark the way other programs do, rather than from inside its group.
            if (m_ownSession) setsid();
            volatile unsigned long spin = 0;
            for (;;) ++spin;
        }
        m_children.push_back(child);
    }
    return true;
}

void BackgroundLoad::Stop() {
    for (const pid_t child : m_children) kill(child, SIGKILL);
    for (const pid_t child : m_children) waitpid(child, nullptr, 0);
    m_children.clear();
}

std::string BackgroundLoad::LoadAverage() {
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) != 3) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

}  // namespace zorbel::bench
