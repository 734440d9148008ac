// Listening mode without a display: what follows the end of a title, the sleep timer, the
// remembered sound settings and a title's kind from the catalog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "listening/ListeningPlan.h"
#include "listening/ListeningSettings.h"
#include "listening/SleepTimer.h"
#include "listening/TitleTypeLookup.h"
#include "tools/catalog_builder/CatalogBuilder.h"

namespace zorbel::listening {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("listening-" + std::to_string(getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

// Plays a list straight through as the player bar does: each title ends, the plan decides.
// Returns the titles that played.
std::vector<std::string> PlayThrough(const std::vector<std::string>& list, TitleKind kind,
                                     bool straightThrough, SleepTimer& timer,
                                     AfterEnd* last = nullptr, int64_t minutesPerTitle = 1) {
    std::vector<std::string> played;
    int64_t now = 0;
    for (size_t at = 0; at < list.size();) {
        played.push_back(list[at]);
        now += minutesPerTitle * 60000;
        std::optional<std::string> next;
        if (at + 1 < list.size()) next = list[at + 1];
        EndDecision d = ListeningPlan::Decide(kind, straightThrough, timer, next, now);
        if (last) *last = d.what;
        if (d.what != AfterEnd::Countdown) break;
        EXPECT_EQ(d.next, list[at + 1]);
        ++at;
    }
    return played;
}

TEST(ListeningPlanTest, WhatFollowsTheEndOfATitle) {
    const std::vector<std::string> songs{"小星星", "两只老虎", "找朋友"};
    SleepTimer off;
    AfterEnd last = AfterEnd::Nothing;
    // Straight through to the end of the list, then stop there.
    EXPECT_EQ(PlayThrough(songs, TitleKind::Story, true, off, &last), songs);
    EXPECT_EQ(last, AfterEnd::ListDone);
    // Switched off, or a game, or an unknown kind: as always, nothing follows.
    for (auto [kind, on] : {std::pair{TitleKind::Song, false}, std::pair{TitleKind::Game, true},
                            std::pair{TitleKind::Unknown, true}}) {
        EXPECT_EQ(PlayThrough(songs, kind, on, off, &last).size(), 1u);
        EXPECT_EQ(last, AfterEnd::Nothing);
    }
    // "After 2 titles" plays exactly two, then bedtime; the timer is spent.
    SleepTimer two;
    two.AfterTitles(2);
    EXPECT_EQ(PlayThrough(songs, TitleKind::Song, true, two, &last),
              (std::vector<std::string>{"小星星", "两只老虎"}));
    EXPECT_EQ(last, AfterEnd::Sleep);
    EXPECT_FALSE(two.IsSet());
    // "After this title" works with straight-through off as well.
    SleepTimer one;
    one.AfterTitles(1);
    EXPECT_EQ(PlayThrough(songs, TitleKind::Song, false, one, &last).size(), 1u);
    EXPECT_EQ(last, AfterEnd::Sleep);
    // Minutes: the title playing when they run out is finished first (titles of 4 minutes,
    // a timer of 10: the third title's end is the first past it).
    SleepTimer minutes;
    minutes.AfterMinutes(10, 0);
    EXPECT_EQ(minutes.MinutesLeft(0), 10);
    const std::vector<std::string> four{"小星星", "两只老虎", "找朋友", "拔萝卜"};
    EXPECT_EQ(PlayThrough(four, TitleKind::Knowledge, true, minutes, &last, 4).size(), 3u);
    EXPECT_EQ(last, AfterEnd::Sleep);
    // A game does not use up the timer.
    SleepTimer kept;
    kept.AfterTitles(1);
    PlayThrough(songs, TitleKind::Game, true, kept);
    EXPECT_TRUE(kept.IsSet());
    EXPECT_EQ(kept.Describe(0), "听完这一个就睡觉啦");

    Countdown c;
    c.Start(1000);
    EXPECT_EQ(c.SecondsLeft(1000), Countdown::kSeconds);
    EXPECT_EQ(c.SecondsLeft(1000 + Countdown::kSeconds * 1000 - 1), 1);
    EXPECT_FALSE(c.IsDue(1000 + Countdown::kSeconds * 1000 - 1));
    EXPECT_TRUE(c.IsDue(1000 + Countdown::kSeconds * 1000));
    c.Cancel();
    EXPECT_FALSE(c.IsDue(1000000));
}

TEST(ListeningSettingsTest, RememberedInTheUsersFileAndReadWithItsDefaults) {
    TempDir dir;
    files::SettingsFiles files;
    files.shipped = (dir.path / "app" / "Zorbel.ini").string();
    files.user = (dir.path / "config" / "zorbel" / "Zorbel.ini").string();
    files.perUser = true;
    fs::create_directories(dir.path / "app");

    ListeningSettings none = ListeningSettings::Load(files);
    EXPECT_FALSE(none.straightThrough);
    EXPECT_EQ(none.volume, 100);
    EXPECT_FALSE(none.muted);

    // The shipped file gives defaults; the user's file, once written, wins.
    std::ofstream(files.shipped) << "[Listening]\nVolume=70\nStraightThrough=1\n";
    EXPECT_EQ(ListeningSettings::Load(files).volume, 70);
    ListeningSettings mine;
    mine.straightThrough = false;
    mine.volume = 35;
    mine.muted = true;
    ASSERT_TRUE(mine.Save(files));
    ListeningSettings read = ListeningSettings::Load(files);
    EXPECT_FALSE(read.straightThrough);
    EXPECT_EQ(read.volume, 35);
    EXPECT_TRUE(read.muted);
    EXPECT_EQ(read.EffectiveVolume(), 0);

    // Values a hand made worse fall back rather than reach the player.
    std::ofstream(files.user) << "[Listening]\nVolume=250\nMute=yes\n";
    read = ListeningSettings::Load(files);
    EXPECT_EQ(read.volume, 100);
    EXPECT_FALSE(read.muted);
    EXPECT_TRUE(read.straightThrough);  // from the shipped file
    std::ofstream(files.user) << "[Listening]\nVolume=abc\n";
    EXPECT_EQ(ListeningSettings::Load(files).volume, 100);

    files::SettingsFiles nowhere;
    std::string why;
    EXPECT_FALSE(mine.Save(nowhere, &why));
    EXPECT_FALSE(why.empty());
}

TEST(TitleTypeLookupTest, KindComesFromTheTitlesClass) {
    TempDir dir;
    namespace build = catalogbuild;
    build::CatalogSeed seed;
    seed.classes = {{1, 1, "儿歌"}, {5, 2, "童话"}, {11, 4, "游戏"}};
    seed.titles = {{1, 1, "小星星", 0}, {2, 5, "小红帽", 0}, {3, 11, "拼图", 0}};
    const std::string catalog = (dir.path / "catalog.dat").string();
    const build::BuildResult built = build::BuildCatalog(seed, catalog);
    ASSERT_TRUE(built.ok) << built.error;
    EXPECT_EQ(TitleTypeLookup::KindOf(catalog, "小星星").kind, TitleKind::Song);
    EXPECT_EQ(TitleTypeLookup::KindOf(catalog, "小红帽").kind, TitleKind::Story);
    EXPECT_EQ(TitleTypeLookup::KindOf(catalog, "拼图").kind, TitleKind::Game);
    // A name that would break the statement finds nothing and breaks nothing.
    EXPECT_FALSE(TitleTypeLookup::KindOf(catalog, "x' OR '1'='1").ok);
    EXPECT_FALSE(TitleTypeLookup::KindOf(catalog, "没有这个").ok);
    EXPECT_FALSE(TitleTypeLookup::KindOf(catalog, "小%").ok);  // a wildcard is only itself
    EXPECT_FALSE(TitleTypeLookup::KindOf((dir.path / "missing.dat").string(), "小星星").ok);
}

}  // namespace
}  // namespace zorbel::listening
