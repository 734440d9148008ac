#include "bench/support/XRoundTrips.h"

#include <atomic>

#include <dlfcn.h>

namespace {

std::atomic<std::uint64_t> g_waits{0};

template <typename Fn>
Fn Next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// libxcb's reply waits, counted and handed on. Exported from the executable (see
// CMakeLists.txt), so that Xlib, GDK and cairo call these instead of libxcb's.
extern "C" {

void* xcb_wait_for_reply(void* connection, unsigned int request, void** error) {
    using Fn = void* (*)(void*, unsigned int, void**);
    static const Fn next = Next<Fn>("xcb_wait_for_reply");
    g_waits.fetch_add(1, std::memory_order_relaxed);
    return next(connection, request, error);
}

void* xcb_wait_for_reply64(void* connection, std::uint64_t request, void** error) {
    using Fn = void* (*)(void*, std::uint64_t, void**);
    static const Fn next = Next<Fn>("xcb_wait_for_reply64");
    g_waits.fetch_add(1, std::memory_order_relaxed);
    return next(connection, request, error);
}

}  // extern "C"

namespace zorbel::bench {

std::uint64_t XRoundTrips() {
    return g_waits.load(std::memory_order_relaxed);
}

}  // namespace zorbel::bench
