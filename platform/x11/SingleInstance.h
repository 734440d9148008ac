#pragma once

#include <chrono>
#include <string>

namespace zorbel::x11 {

// The single-instance rule of the program named `name` on this display.
class CSingleInstance {
public:
    // How long a second start waits for the main window of an instance that started at the
    // same moment and holds the claim but shows no window yet.
    static constexpr std::chrono::milliseconds kWaitForWinner{15000};

    // true when another instance runs: its window has been asked to come forward (if it has
    // one by then) and this process must end. false when this process is the one instance.
    static bool AnotherInstanceRuns(const std::string& name,
                                    std::chrono::milliseconds waitForWinner = kWaitForWinner);
};

}  // namespace zorbel::x11
