#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include "parent/AllowanceRules.h"
#include "parent/ParentSettingsFile.h"
#include "parent/PlayAllowance.h"
#include "tests/parent/FakeClock.h"
#include "tests/platform/TempDir.h"

using zorbel::parent::AllowanceNotice;
using zorbel::parent::AllowanceRules;
using zorbel::parent::PlayAllowance;

namespace {

constexpr std::int64_t kMinute = 60 * 1000;

class PlayAllowanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void WriteRules(int minutes, int graceMinutes = 0, int bedStart = -1, int bedEnd = -1) {
        AllowanceRules rules;
        rules.minutesPerDay.fill(minutes);
        rules.graceMinutes = graceMinutes;
        rules.bedtimeStart = bedStart;
        rules.bedtimeEnd = bedEnd;
        zorbel::parent::ParentSettingsFile file(path);
        file.Load();
        rules.Write(file);
        ASSERT_TRUE(file.Save());
    }
    // Plays (or idles) for the given time in one-second ticks; returns the notices seen with
    // the whole minute of use at which each came.
    std::vector<std::pair<AllowanceNotice, std::int64_t>> Run(PlayAllowance& allowance,
                                                              std::int64_t millis, bool active,
                                                              bool finishing = false) {
        std::vector<std::pair<AllowanceNotice, std::int64_t>> seen;
        for (std::int64_t t = 0; t < millis; t += 1000) {
            clock.Advance(1000);
            const AllowanceNotice n = allowance.Tick(active, finishing);
            if (n != AllowanceNotice::kNone) seen.emplace_back(n, allowance.UsedMillis() / 1000);
        }
        return seen;
    }

    zorbel::test::TempDir dir;
    zorbel::test::FakeClock clock;
    std::string path = dir.File("parent.conf");
};

TEST_F(PlayAllowanceTest, TwentyMinutesWarnAtFifteenAndNineteenAndStopAtTwenty) {
    WriteRules(20);
    PlayAllowance allowance(path, clock);
    const auto seen = Run(allowance, 25 * kMinute, true);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(AllowanceNotice::kFiveMinutesLeft, std::int64_t{15 * 60}));
    EXPECT_EQ(seen[1], std::make_pair(AllowanceNotice::kOneMinuteLeft, std::int64_t{19 * 60}));
    EXPECT_EQ(seen[2], std::make_pair(AllowanceNotice::kTimeUp, std::int64_t{20 * 60}));
    EXPECT_TRUE(allowance.IsStopped());
    EXPECT_EQ(allowance.UsedMillis(), 20 * kMinute);  // nothing counts once stopped
}

TEST_F(PlayAllowanceTest, OnlyActivePlayCountsAndStallsCountLittle) {
    WriteRules(20);
    PlayAllowance allowance(path, clock);
    Run(allowance, 10 * kMinute, false);
    EXPECT_EQ(allowance.UsedMillis(), 0);
    Run(allowance, 2 * kMinute, true);
    EXPECT_EQ(allowance.UsedMillis(), 2 * kMinute);
    // One tick after a long suspend counts at most the longest step.
    clock.Advance(3600 * 1000);
    allowance.Tick(true, false);
    EXPECT_EQ(allowance.UsedMillis(), 2 * kMinute + PlayAllowance::kMaxStepMillis);
}

TEST_F(PlayAllowanceTest, RestartSecondStartAndClockMovedBackDoNotReset) {
    WriteRules(20);
    {
        PlayAllowance allowance(path, clock);
        Run(allowance, 12 * kMinute, true);
    }  // the end of the program writes the use
    PlayAllowance restarted(path, clock);
    EXPECT_EQ(restarted.UsedMillis(), 12 * kMinute);
    EXPECT_EQ(restarted.MillisLeft(), 8 * kMinute);

    // Back by two days: still today's count, not a fresh day.
    clock.wall -= 2 * 86400;
    PlayAllowance backdated(path, clock);
    EXPECT_EQ(backdated.UsedMillis(), 12 * kMinute);
    Run(restarted, kMinute, true);
    EXPECT_EQ(restarted.UsedMillis(), 13 * kMinute);

    // An hour back while running changes nothing either.
    clock.wall -= 3600;
    Run(restarted, kMinute, true);
    EXPECT_EQ(restarted.UsedMillis(), 14 * kMinute);
    ASSERT_TRUE(restarted.Flush());

    // A real next day starts afresh.
    clock.wall += 3 * 86400;
    Run(restarted, 1000, true);
    EXPECT_EQ(restarted.UsedMillis(), 1000);
}

TEST_F(PlayAllowanceTest, UsedUpDayStopsAtOnceAfterRestartUntilTheParentGrants) {
    WriteRules(1);
    {
        PlayAllowance allowance(path, clock);
        Run(allowance, 2 * kMinute, true);
        ASSERT_TRUE(allowance.IsStopped());
    }
    PlayAllowance allowance(path, clock);
    clock.Advance(1000);
    EXPECT_EQ(allowance.Tick(false, false), AllowanceNotice::kTimeUp);
    allowance.Grant(10);
    EXPECT_FALSE(allowance.IsStopped());
    EXPECT_EQ(allowance.MillisLeft(), 10 * kMinute);
    const auto seen = Run(allowance, 11 * kMinute, true);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.back().first, AllowanceNotice::kTimeUp);
    EXPECT_EQ(seen.back().second, 11 * 60);
}

TEST_F(PlayAllowanceTest, ASongMayFinishWithinTheGrace) {
    WriteRules(1, 3);
    PlayAllowance allowance(path, clock);
    Run(allowance, kMinute, true, true);
    EXPECT_TRUE(allowance.InGrace());
    // The song ends after one more minute: time's up then.
    EXPECT_TRUE(Run(allowance, kMinute, true, true).empty());
    const auto ended = Run(allowance, 1000, false, true);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].first, AllowanceNotice::kTimeUp);

    // A song that goes on is cut at the grace limit; a game gets no grace at all.
    allowance.Grant(1);
    Run(allowance, kMinute, true, true);
    const auto cut = Run(allowance, 5 * kMinute, true, true);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].second, 2 * 60 + 1 * 60 + 3 * 60);
    allowance.Grant(1);
    const auto game = Run(allowance, 2 * kMinute, true, false);
    ASSERT_FALSE(game.empty());
    EXPECT_EQ(game.back().first, AllowanceNotice::kTimeUp);
    EXPECT_FALSE(allowance.InGrace());
}

TEST_F(PlayAllowanceTest, BedtimeStopsPlayAndAGrantLetsItGoOn) {
    // 21:00 to 07:00; the fake clock starts at 10:00 UTC.
    WriteRules(AllowanceRules::kNoLimit, 0, 21 * 60, 7 * 60);
    PlayAllowance allowance(path, clock);
    EXPECT_TRUE(Run(allowance, kMinute, true).empty());
    EXPECT_EQ(allowance.MillisLeft(), -1);
    clock.wall += 11 * 3600;  // 21:01
    const auto seen = Run(allowance, 1000, true);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, AllowanceNotice::kBedtime);
    allowance.Grant(5);
    EXPECT_TRUE(Run(allowance, 4 * kMinute, true).empty());
    EXPECT_EQ(Run(allowance, 2 * kMinute, true).size(), 1u);
    clock.wall += 10 * 3600;  // 07:01 next morning
    Run(allowance, 1000, true);
    EXPECT_FALSE(allowance.IsStopped());
}

TEST_F(PlayAllowanceTest, RulesRoundTripPerWeekday) {
    AllowanceRules rules;
    rules.minutesPerDay = {60, 20, 20, 20, 20, 20, AllowanceRules::kNoLimit};
    rules.bedtimeStart = 20 * 60 + 30;
    rules.bedtimeEnd = 7 * 60;
    rules.graceMinutes = 5;
    rules.grantMinutes = 30;
    zorbel::parent::ParentSettingsFile file(path);
    rules.Write(file);
    ASSERT_TRUE(file.Save());
    zorbel::parent::ParentSettingsFile again(path);
    ASSERT_TRUE(again.Load());
    const AllowanceRules read = AllowanceRules::Read(again);
    EXPECT_EQ(read.minutesPerDay, rules.minutesPerDay);
    EXPECT_TRUE(read.IsBedtime(23 * 60));
    EXPECT_TRUE(read.IsBedtime(6 * 60 + 59));
    EXPECT_FALSE(read.IsBedtime(7 * 60));
    EXPECT_FALSE(read.IsBedtime(20 * 60 + 29));
    EXPECT_EQ(read.graceMinutes, 5);
    EXPECT_EQ(read.grantMinutes, 30);
    EXPECT_EQ(AllowanceRules::Read(zorbel::parent::ParentSettingsFile("")).grantMinutes,
              AllowanceRules::kDefaultGrantMinutes);
    EXPECT_FALSE(AllowanceRules{}.LimitsAnything());

    // Saturday (the fake clock's day) has no limit here.
    PlayAllowance allowance(path, clock);
    EXPECT_EQ(allowance.MillisLeft(), -1);
}

}  // namespace
