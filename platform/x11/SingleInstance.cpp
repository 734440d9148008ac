#include "platform/x11/SingleInstance.h"

#include <thread>

#include "platform/x11/InstanceActivator.h"
#include "platform/x11/InstanceClaim.h"
#include "platform/x11/InstanceMarker.h"

namespace zorbel::x11 {

bool CSingleInstance::AnotherInstanceRuns(const std::string& name,
                                          std::chrono::milliseconds waitForWinner) {
    if (unsigned long window = CInstanceMarker::Find(name)) {
        CInstanceActivator::Request(window);
        return true;
    }
    auto deadline = std::chrono::steady_clock::now() + waitForWinner;
    for (;;) {
        if (CInstanceClaim::Take(name) != CInstanceClaim::Result::kHeld) return false;
        // The holder is still starting up (or reporting damaged data); its window may be
        // about to appear. If it ends meanwhile, its claim lapses and the next Take wins.
        if (unsigned long window = CInstanceMarker::Find(name)) {
            CInstanceActivator::Request(window);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace zorbel::x11
