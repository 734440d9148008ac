// Favourites and play history written into a real catalog, found the way the program finds
// it: through the per-user data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "platform/MessageBoxStyle.h"
#include "platform/VelaPfcSystem.h"
#include "player/PlayHistory.h"
#include "tests/app/CatalogLock.h"
#include "tests/app/TestCatalog.h"
#include "tests/platform/TempDir.h"
#include "tools/catalog_builder/CatalogBuilder.h"

namespace {

namespace build = zorbel::catalogbuild;
using zorbel::test::TempDir;
using Outcome = CPlayHistory::FavoriteOutcome;
using zorbel::WriteOutcome;
using zorbel::test::CatalogLock;

struct RecordRow {
    std::string fileId;
    std::string time;
    int clicks = -1;
    std::string userId;
    bool idIsNumber = false;
};

class PlayHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_data.Path().empty());
        const char* old = std::getenv("XDG_DATA_HOME");
        m_hadXdg = old != nullptr;
        if (old) m_oldXdg = old;
        setenv("XDG_DATA_HOME", m_data.Path().c_str(), 1);
        // An executable folder with no shipped catalog, so a missing one stays missing.
        CVelaPfcSystem::SetExeFolderOverride(m_exe.Path());
        std::filesystem::create_directories(m_data.File("Zorbel"));
        m_catalog = m_data.File("Zorbel/ZorbelPlim.dat");
        ASSERT_EQ(zorbel::files::CatalogPath(), m_catalog);
    }

    void TearDown() override {
        if (m_hadXdg)
            setenv("XDG_DATA_HOME", m_oldXdg.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        CVelaPfcSystem::SetExeFolderOverride("");
    }

    void BuildCatalog() {
        build::CatalogSeed seed;
        seed.classes = {{1, 1, "儿歌"}, {6, 4, "游戏"}};
        seed.titles = {{11, 1, "小兔子乖乖", 7},
                       {12, 1, "两只老虎", 0},
                       {13, 6, "数鸭子", 2},
                       {14, 6, "拼图", 5}};
        const build::BuildResult result = build::BuildCatalog(seed, m_catalog);
        ASSERT_TRUE(result.ok) << result.error;
    }

    bool Exec(const std::string& sql) {
        CDbVelaLite db;
        return db.Open(m_catalog, zorbel::files::kCatalogKey) && db.ExecuteSql(sql);
    }

    // Adds a title whose name the builder would refuse (quotes, wildcards).
    void AddTitle(int fileId, const std::string& name, int clicks) {
        ASSERT_TRUE(Exec("INSERT INTO T_Raruri_FileList VALUES (" + std::to_string(fileId) +
                         ", 1, '" + zorbel::sql::Quote(name) + "', '', " + std::to_string(clicks) +
                         ")"));
    }

    std::vector<RecordRow> Records(const std::string& table) {
        std::vector<RecordRow> rows;
        CDbVelaLite db;
        EXPECT_TRUE(db.Open(m_catalog, zorbel::files::kCatalogKey));
        std::unique_ptr<CSqlStatement> st(
            db.Prepare("SELECT *, typeof(f_ID) FROM " + table + " ORDER BY f_ID"));
        while (st->NextRow()) {
            RecordRow row;
            row.fileId = st->ColumnText(1);
            row.time = st->ColumnText(2);
            row.clicks = st->ColumnInt(3);
            row.userId = st->ColumnText(4);
            row.idIsNumber = std::string(st->ColumnText(5)) == "integer";
            rows.push_back(row);
        }
        return rows;
    }

    int TitleClicks(int fileId) {
        CDbVelaLite db;
        EXPECT_TRUE(db.Open(m_catalog, zorbel::files::kCatalogKey));
        std::unique_ptr<CSqlStatement> st(db.Prepare(
            "SELECT f_Clicks FROM T_Raruri_FileList WHERE f_FileID=" + std::to_string(fileId)));
        return st->NextRow() ? st->ColumnInt(0) : -1;
    }

    TempDir m_data;
    TempDir m_exe;
    std::string m_catalog;
    std::string m_oldXdg;
    bool m_hadXdg = false;
};

TEST_F(PlayHistoryTest, NewFavouriteGetsOneRowWithCountZero) {
    BuildCatalog();
    const auto result = CPlayHistory().AddFavorite("两只老虎");
    EXPECT_EQ(result.outcome, Outcome::Added);
    EXPECT_EQ(result.title, "两只老虎");
    const auto rows = Records("T_Raruri_Favorites");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].idIsNumber);
    EXPECT_EQ(rows[0].fileId, "12");
    EXPECT_EQ(rows[0].time.size(), 19u) << rows[0].time;
    EXPECT_EQ(rows[0].clicks, 0);
    EXPECT_EQ(rows[0].userId, "");
    // The favourite button never touches the title's own count.
    EXPECT_EQ(TitleClicks(12), 0);
}

TEST_F(PlayHistoryTest, KnownFavouriteIsCountedAfterTheNoticeWithANewTime) {
    BuildCatalog();
    ASSERT_TRUE(
        Exec("INSERT INTO T_Raruri_Favorites VALUES (NULL, 13, '2000-01-01 00:00:00', "
             "2, '')"));
    int clicksDuringNotice = -1;
    const auto result =
        CPlayHistory().AddFavorite("数鸭子", [&](const CPlayHistory::FavoriteResult& seen) {
            EXPECT_EQ(seen.outcome, Outcome::AlreadyFavourite);
            clicksDuringNotice = Records("T_Raruri_Favorites").at(0).clicks;
        });
    EXPECT_EQ(result.outcome, Outcome::AlreadyFavourite);
    EXPECT_EQ(clicksDuringNotice, 2);
    const auto rows = Records("T_Raruri_Favorites");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].clicks, 3);
    EXPECT_NE(rows[0].time, "2000-01-01 00:00:00");
    EXPECT_EQ(rows[0].time.size(), 19u);

    // Without a notice step the count still rises, once per press.
    EXPECT_EQ(CPlayHistory().AddFavorite("数鸭子").outcome, Outcome::AlreadyFavourite);
    EXPECT_EQ(Records("T_Raruri_Favorites").at(0).clicks, 4);
}

TEST_F(PlayHistoryTest, FavouriteOfNoTitleFails) {
    BuildCatalog();
    const auto empty = CPlayHistory().AddFavorite("");
    EXPECT_EQ(empty.outcome, Outcome::AddFailed);
    EXPECT_EQ(empty.title, "");
    EXPECT_EQ(CPlayHistory().AddFavorite("没有这个").outcome, Outcome::AddFailed);
    EXPECT_TRUE(Records("T_Raruri_Favorites").empty());
}

TEST_F(PlayHistoryTest, ThreePlaysCountFromZeroAndRaiseTheTitleByThree) {
    BuildCatalog();
    CPlayHistory history;
    std::vector<int> counts;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(history.RecordPlay("拼图"), WriteOutcome::kWritten);
        const auto rows = Records("T_Raruri_Played");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].fileId, "14");
        EXPECT_EQ(rows[0].userId, "");
        counts.push_back(rows[0].clicks);
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(TitleClicks(14), 5 + 3);
    EXPECT_EQ(TitleClicks(13), 2);
}

TEST_F(PlayHistoryTest, PlayOfAnUnknownTitleWritesNothingAndSaysNothing) {
    BuildCatalog();
    EXPECT_EQ(CPlayHistory().RecordPlay("没有这个"), WriteOutcome::kNotWritten);
    EXPECT_EQ(CPlayHistory().RecordPlay(""), WriteOutcome::kNotWritten);
    EXPECT_TRUE(Records("T_Raruri_Played").empty());
}

TEST_F(PlayHistoryTest, MissingOrUnreadableCatalogIsADataFailure) {
    // No catalog at all: nothing is created in its place.
    EXPECT_EQ(CPlayHistory().AddFavorite("拼图").outcome, Outcome::DataFailure);
    EXPECT_EQ(CPlayHistory().RecordPlay("拼图"), WriteOutcome::kDataFailure);
    EXPECT_FALSE(std::filesystem::exists(m_catalog));

    // A file that is no catalog of ours.
    BuildCatalog();
    std::filesystem::resize_file(m_catalog, 100);
    EXPECT_EQ(CPlayHistory().AddFavorite("拼图").outcome, Outcome::DataFailure);
    EXPECT_EQ(CPlayHistory().RecordPlay("拼图"), WriteOutcome::kDataFailure);
}

TEST_F(PlayHistoryTest, DamagedTitleListIsADataFailureNotAnUnknownTitle) {
    BuildCatalog();
    ASSERT_TRUE(
        zorbel::test::DamageTable(m_catalog, zorbel::files::kCatalogKey, "T_Raruri_FileList"));
    EXPECT_EQ(CPlayHistory().RecordPlay("拼图"), WriteOutcome::kDataFailure);
    EXPECT_EQ(CPlayHistory().AddFavorite("拼图").outcome, Outcome::DataFailure);
    EXPECT_EQ(CPlayHistory().StoreFavorite("拼图"), WriteOutcome::kDataFailure);
    EXPECT_TRUE(Records("T_Raruri_Played").empty());
    EXPECT_TRUE(Records("T_Raruri_Favorites").empty());
}

TEST_F(PlayHistoryTest, LockedCatalogWritesNothingAndTheLaterTryCountsOnce) {
    BuildCatalog();
    bool noticed = false;
    for (const char* kind : {"EXCLUSIVE", "IMMEDIATE"}) {
        CatalogLock lock(m_catalog, zorbel::files::kCatalogKey, kind);
        ASSERT_TRUE(lock.Held()) << kind;
        EXPECT_EQ(CPlayHistory().RecordPlay("拼图"), WriteOutcome::kLocked) << kind;
        EXPECT_EQ(CPlayHistory().AddFavorite("拼图", [&](auto&) { noticed = true; }).outcome,
                  Outcome::Locked)
            << kind;
        EXPECT_EQ(CPlayHistory().StoreFavorite("数鸭子"), WriteOutcome::kLocked) << kind;
    }
    EXPECT_FALSE(noticed);
    EXPECT_EQ(TitleClicks(14), 5);
    EXPECT_TRUE(Records("T_Raruri_Played").empty());

    EXPECT_EQ(CPlayHistory().RecordPlay("拼图"), WriteOutcome::kWritten);
    EXPECT_EQ(CPlayHistory().StoreFavorite("拼图"), WriteOutcome::kWritten);
    EXPECT_EQ(CPlayHistory().StoreFavorite("拼图"), WriteOutcome::kWritten);
    EXPECT_EQ(TitleClicks(14), 6);
    ASSERT_EQ(Records("T_Raruri_Played").size(), 1u);
    ASSERT_EQ(Records("T_Raruri_Favorites").size(), 1u);
    EXPECT_EQ(Records("T_Raruri_Favorites")[0].clicks, 1);
}

TEST_F(PlayHistoryTest, CatalogDeletedBetweenPlaysIsReportedOnTheNextOne) {
    BuildCatalog();
    CPlayHistory history;
    EXPECT_EQ(history.RecordPlay("拼图"), WriteOutcome::kWritten);
    std::filesystem::remove(m_catalog);
    EXPECT_EQ(history.RecordPlay("拼图"), WriteOutcome::kDataFailure);
}

TEST_F(PlayHistoryTest, NamesWithQuotesAndWildcardsMatchOnlyThemselves) {
    BuildCatalog();
    AddTitle(21, "Tom's 猫", 1);
    AddTitle(22, "猫_1", 0);
    AddTitle(23, "猫x1", 0);
    AddTitle(24, "100%", 0);
    AddTitle(25, "1000", 0);

    EXPECT_EQ(CPlayHistory().RecordPlay("Tom's 猫"), WriteOutcome::kWritten);
    EXPECT_EQ(TitleClicks(21), 2);
    EXPECT_EQ(CPlayHistory().AddFavorite("Tom's 猫").outcome, Outcome::Added);

    EXPECT_EQ(CPlayHistory().RecordPlay("猫_1"), WriteOutcome::kWritten);
    EXPECT_EQ(CPlayHistory().RecordPlay("100%"), WriteOutcome::kWritten);
    EXPECT_EQ(TitleClicks(22), 1);
    EXPECT_EQ(TitleClicks(23), 0);
    EXPECT_EQ(TitleClicks(24), 1);
    EXPECT_EQ(TitleClicks(25), 0);

    const auto played = Records("T_Raruri_Played");
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].fileId, "21");
    EXPECT_EQ(played[1].fileId, "22");
    EXPECT_EQ(played[2].fileId, "24");
    const auto favourites = Records("T_Raruri_Favorites");
    ASSERT_EQ(favourites.size(), 1u);
    EXPECT_EQ(favourites[0].fileId, "21");

    // A name made to end the statement early changes nothing else.
    EXPECT_EQ(CPlayHistory().AddFavorite("x' OR '1'='1").outcome, Outcome::AddFailed);
    EXPECT_EQ(CPlayHistory().RecordPlay("'; DELETE FROM T_Raruri_Played; --"),
              WriteOutcome::kNotWritten);
    EXPECT_EQ(Records("T_Raruri_Played").size(), 3u);
    EXPECT_EQ(Records("T_Raruri_Favorites").size(), 1u);
}

TEST_F(PlayHistoryTest, SeveralMatchesTakeTheLastRow) {
    BuildCatalog();
    // ASCII letters match regardless of case; the row returned last decides.
    AddTitle(31, "Happy", 0);
    AddTitle(32, "HAPPY", 4);
    EXPECT_EQ(CPlayHistory().AddFavorite("happy").outcome, Outcome::Added);
    EXPECT_EQ(Records("T_Raruri_Favorites").at(0).fileId, "32");
    EXPECT_EQ(CPlayHistory().RecordPlay("happy"), WriteOutcome::kWritten);
    EXPECT_EQ(TitleClicks(32), 5);
    EXPECT_EQ(TitleClicks(31), 0);
}

TEST_F(PlayHistoryTest, ExplicitCatalogPathIsUsedInsteadOfTheUsersOne) {
    TempDir other;
    build::CatalogSeed seed;
    seed.classes = {{1, 1, "儿歌"}};
    seed.titles = {{5, 1, "别处", 0}};
    const std::string path = other.File("ZorbelPlim.dat");
    ASSERT_TRUE(build::BuildCatalog(seed, path).ok);
    EXPECT_EQ(CPlayHistory(path).RecordPlay("别处"), WriteOutcome::kWritten);
    EXPECT_EQ(CPlayHistory().RecordPlay("别处"),
              WriteOutcome::kDataFailure);  // the user's catalog is missing
}

TEST(PlayHistoryNotices, EachOutcomeHasItsTextCaptionAndIcon) {
    using R = CPlayHistory::FavoriteResult;
    auto already = CPlayHistory::FavoriteNotice(R{Outcome::AlreadyFavourite, "拼图"}, "site");
    EXPECT_EQ(already.text, "您已经为宝宝收藏过“拼图”咯！");
    EXPECT_EQ(already.caption, "佐贝乐儿童游戏");
    EXPECT_EQ(already.style, zorbel::kMbOk | zorbel::kMbIconInformation);
    EXPECT_FALSE(already.ownedByPlayer);

    auto added = CPlayHistory::FavoriteNotice(R{Outcome::Added, "拼图"}, "site");
    EXPECT_EQ(added.text, "哇哇，成功为宝宝收藏“拼图”咯！");
    EXPECT_EQ(added.caption, "佐贝乐儿童游戏");
    EXPECT_EQ(added.style, 48);
    EXPECT_FALSE(added.ownedByPlayer);

    // A favourite kept for a locked catalog lands once it is free.
    EXPECT_EQ(CPlayHistory::FavoriteNotice(R{Outcome::Locked, "拼图"}, "site").text, added.text);

    auto failed = CPlayHistory::FavoriteNotice(R{Outcome::AddFailed, ""}, "site");
    EXPECT_EQ(failed.text, "555~~~，为宝宝收藏“”没有成功哦！");
    EXPECT_EQ(failed.style, 48);

    auto data = CPlayHistory::FavoriteNotice(R{Outcome::DataFailure, "拼图"}, "zorbel.example");
    EXPECT_EQ(data.text, "CODE:1002，程序数据被损坏，请联系zorbel.example解决！");
    EXPECT_EQ(data.caption, "佐贝乐.儿童游戏");
    EXPECT_EQ(data.style, 16);
    EXPECT_TRUE(data.ownedByPlayer);
}

TEST(PlayHistoryNotices, SiteNameComesFromTheSettingsFile) {
    TempDir exe;
    {
        std::FILE* f = std::fopen(exe.File("Zorbel.ini").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("[HOSTS]\nVendorSiteName=zorbel.example\n", f);
        std::fclose(f);
    }
    CVelaPfcSystem::SetExeFolderOverride(exe.Path());
    EXPECT_EQ(CPlayHistory::VendorSiteName(), "zorbel.example");
    CVelaPfcSystem::SetExeFolderOverride(TempDir().Path());
    EXPECT_EQ(CPlayHistory::VendorSiteName(), "zorbel.localhost");
    CVelaPfcSystem::SetExeFolderOverride("");
}

}  // namespace
