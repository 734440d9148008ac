#pragma once

#include <cstdint>

namespace zorbel::bench {

// How many times the process has waited for an X server reply so far: every synchronous X
// call (Xlib's _XReply, XSync, cairo's and GDK's replies) ends in one of libxcb's two
// reply waits, which this counter stands in for. Unlike times, the count does not depend on
// how loaded the machine is. Counts every thread.
std::uint64_t XRoundTrips();

}  // namespace zorbel::bench
