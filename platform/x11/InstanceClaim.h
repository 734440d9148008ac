#pragma once

#include <string>

namespace zorbel::x11 {

// The claim to be the one instance: ownership of an X selection named after the executable.
// Two processes that both found no marked window still cannot both win: the test and the
// taking happen under a server grab. The claim lasts until the process's X connection closes.
class CInstanceClaim {
public:
    enum class Result {
        kWon,        // this process holds the claim (also when it already did)
        kHeld,       // another process holds it
        kNoDisplay,  // no X11 display: nobody can be asked, so nobody holds it
    };

    static Result Take(const std::string& name);

    // Whether another process holds the claim now.
    static bool HeldByOther(const std::string& name);
};

}  // namespace zorbel::x11
