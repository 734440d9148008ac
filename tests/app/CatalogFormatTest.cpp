// The database layer and the catalog statements against a catalog made by the catalog
// builder, the way the shipped catalog is made.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "tests/platform/TempDir.h"
#include "tools/catalog_builder/CatalogBuilder.h"

namespace {

using namespace zorbel::sql;
using zorbel::test::TempDir;
using V = std::vector<std::string>;
namespace build = zorbel::catalogbuild;

class CatalogFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        build::CatalogSeed seed;
        seed.classes = {{4, 1, "推荐"}, {5, 1, "儿歌"}, {6, 4, "游戏"}};
        seed.titles = {{11, 4, "小兔子乖乖", 7},
                       {12, 5, "两只老虎", 0},
                       {13, 5, "数鸭子", 2},
                       {14, 6, "拼图", 0}};
        seed.movieClasses = {{1, "动画"}};
        seed.movies = {{1, 1, "小猪", "http://127.0.0.1:8517/pig.html"}};
        seed.skins = {{5, -5, 10, "木纹", "blue", ""}};
        build::BuildResult result = build::BuildCatalog(seed, m_path);
        ASSERT_TRUE(result.ok) << result.error;
    }

    V Rows(const std::string& sql, int column) {
        V rows;
        CDbVelaLite db;
        EXPECT_TRUE(db.Open(m_path, zorbel::files::kCatalogKey));
        std::unique_ptr<CSqlStatement> st(db.Prepare(sql));
        EXPECT_TRUE(st->IsValid()) << sql;
        while (st->NextRow()) rows.push_back(st->ColumnText(column));
        return rows;
    }

    bool Exec(const std::string& sql) {
        CDbVelaLite db;
        return db.Open(m_path, zorbel::files::kCatalogKey) && db.ExecuteSql(sql);
    }

    TempDir m_dir;
    std::string m_path = m_dir.File("ZorbelPlim.dat");
};

TEST_F(CatalogFormatTest, OpensOnlyWithTheCatalogKey) {
    EXPECT_TRUE(CDbVelaLite().Open(m_path, zorbel::files::kCatalogKey));
    EXPECT_FALSE(CDbVelaLite().Open(m_path, "R807@391t"));
    EXPECT_FALSE(CDbVelaLite().Open(m_path, nullptr));
}

TEST_F(CatalogFormatTest, EveryReadFindsItsColumnAtItsPosition) {
    EXPECT_EQ(Rows(SqlSkinRowsFor(""), kSkinHue), V{"5"});
    EXPECT_EQ(Rows(SqlSkinRowsFor(""), kSkinSaturation), V{"-5"});
    EXPECT_EQ(Rows(SqlSkinRowsFor(""), kSkinBrightness), V{"10"});
    EXPECT_EQ(Rows(SqlSkinRowsFor(""), kSkinTexture), V{"木纹"});
    EXPECT_EQ(Rows(SqlClassesOfType("1"), kClassName), (V{"推荐", "儿歌"}));
    EXPECT_EQ(Rows(SqlClassesOfType("1"), kClassId), (V{"4", "5"}));
    EXPECT_EQ(Rows(SqlTitlesOfClass(5), kFileProgramName), (V{"两只老虎", "数鸭子"}));
    EXPECT_EQ(Rows(SqlMovieClasses(), kMovieClassName), V{"动画"});
    EXPECT_EQ(Rows(SqlMovieClasses(), kMovieClassId), V{"1"});
    EXPECT_EQ(Rows(SqlMoviesOfClass(1), kMovieName), V{"小猪"});
    EXPECT_EQ(Rows(SqlMoviesOfClass(1), kMovieAddress), V{"http://127.0.0.1:8517/pig.html"});
    EXPECT_EQ(Rows(SqlRecommended(), kFileProgramName), V{"小兔子乖乖"});
    EXPECT_EQ(Rows(SqlTitleByName("两只老虎"), kFileId), V{"12"});
    EXPECT_EQ(Rows(SqlTitleByName("小兔子乖乖"), kFileClicks), V{"7"});
}

TEST_F(CatalogFormatTest, PlaysFavouritesAndSkinsAreWrittenAndListed) {
    const std::string id = Rows(SqlTitleByName("数鸭子"), kFileId).at(0);
    ASSERT_TRUE(Exec(SqlUpdateClicks(3, id)));
    ASSERT_TRUE(Exec(SqlInsertPlayed(id, CurrentUserId)));
    ASSERT_TRUE(Exec(SqlUpdatePlayed(1, id)));
    EXPECT_EQ(Rows(SqlTitleByName("数鸭子"), kFileClicks), V{"3"});
    EXPECT_EQ(Rows(SqlPlayedOf(id), kRecordFileId), V{id});
    EXPECT_EQ(Rows(SqlPlayedOf(id), kRecordClicks), V{"1"});
    EXPECT_EQ(Rows(SqlPlayedList(CurrentUserId), kViewProgramName), V{"数鸭子"});

    ASSERT_TRUE(Exec(SqlInsertFavorite("12", CurrentUserId)));
    ASSERT_TRUE(Exec(SqlUpdateFavorite(4, "12")));
    EXPECT_EQ(Rows(SqlFavoriteOf("12"), kRecordClicks), V{"4"});
    EXPECT_EQ(Rows(SqlFavoritesList(CurrentUserId), kViewProgramName), V{"两只老虎"});

    ASSERT_TRUE(Exec(SqlUpdateSkin(1, 2, 3, "纸", "green", CurrentUserId)));
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), kSkinTexture), V{"纸"});
    ASSERT_TRUE(Exec(SqlInsertSkin(0, 0, 0, "x", "y", "someone")));
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), kSkinHue), V{"1"});
}

}  // namespace
