// The online count: the generator, the range and the text.
#include <gtest/gtest.h>

#include "mainwnd/OnlineCount.h"

using namespace zorbel::mainwnd;

TEST(OnlineCount, FormulaAndRange) {
    EXPECT_EQ(OnlineCountFor(0), 100000);
    EXPECT_EQ(OnlineCountFor(32767), 132767);
    for (int i = 0; i < 5000; ++i) {
        const int n = NextOnlineCount();
        EXPECT_GE(n, 100000);
        EXPECT_LE(n, 132767);
    }
}

TEST(OnlineCount, GeneratorIsTheClassicRuntimeOne) {
    SeedOnlineGenerator(1);
    EXPECT_EQ(NextOnlineRandom(), 41);
    EXPECT_EQ(NextOnlineRandom(), 18467);
    EXPECT_EQ(NextOnlineRandom(), 6334);
    EXPECT_EQ(NextOnlineRandom(), 26500);
}

TEST(OnlineCount, SeededOnceThenFollowsTheGenerator) {
    SeedOnlineGenerator(1234);
    const int first = NextOnlineCount();
    const int second = NextOnlineCount();
    SeedOnlineGenerator(1234);
    // No reseeding with the time after the first use: the same seed, the same numbers.
    EXPECT_EQ(NextOnlineCount(), first);
    EXPECT_EQ(NextOnlineCount(), second);
    SeedOnlineGenerator(1234);
    EXPECT_EQ(first, OnlineCountFor(NextOnlineRandom()));
}

TEST(OnlineCount, Text) {
    EXPECT_EQ(OnlineCountText(100000), "现在有 100000 位宝宝在乐园");
    EXPECT_EQ(OnlineCountText(132767), "现在有 132767 位宝宝在乐园");
}
