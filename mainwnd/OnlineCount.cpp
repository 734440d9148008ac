#include "mainwnd/OnlineCount.h"

#include <cstdio>
#include <ctime>

namespace zorbel::mainwnd {

namespace {

// User-interface thread only, as the window that shows the count.
unsigned g_state = 1;
bool g_seeded = false;

}  // namespace

void SeedOnlineGenerator(unsigned seed) {
    g_state = seed;
    g_seeded = true;
}

int NextOnlineRandom() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

int OnlineCountFor(int r) {
    return 90000 + (10000 + r % 90001);
}

int NextOnlineCount() {
    if (!g_seeded) SeedOnlineGenerator(static_cast<unsigned>(std::time(nullptr)));
    return OnlineCountFor(NextOnlineRandom());
}

std::string OnlineCountText(int count) {
    char text[64];
    std::snprintf(text, sizeof text, "现在有 %d 位宝宝在乐园", count);
    return text;
}

}  // namespace zorbel::mainwnd
