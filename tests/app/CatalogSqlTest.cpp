#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "tests/app/TestCatalog.h"
#include "tests/platform/TempDir.h"

namespace {

using namespace zorbel::sql;
using zorbel::test::TempDir;

TEST(CatalogSqlText, StatementsAreTheCatalogsOwn) {
    EXPECT_EQ(SqlSkinRowsFor(""), "SELECT * FROM T_Sys_Skins WHERE f_UserID LIKE ''");
    EXPECT_EQ(SqlUpdateSkin(-10, 20, 30, "wood", "blue", ""),
              "UPDATE T_Sys_Skins SET f_H=-10, f_S=20, f_B=30, f_texture='wood', "
              "f_Theme='blue' WHERE f_UserID=''");
    EXPECT_EQ(SqlInsertSkin(1, 2, 3, "tex", "theme", ""),
              "INSERT INTO T_Sys_Skins VALUES (NULL, 1, 2, 3, 'tex', 'theme', '')");
    EXPECT_EQ(SqlClassesOfType("1"), "SELECT * FROM T_Raruri_Class WHERE f_TypeID=1");
    EXPECT_EQ(SqlTitlesOfClass(17), "SELECT * FROM T_Raruri_FileList WHERE f_ClassID=17");
    EXPECT_EQ(SqlTitlesOfBoundClass(), "SELECT * FROM T_Raruri_FileList WHERE f_ClassID=?");
    EXPECT_EQ(SqlMovieClasses(), "SELECT * FROM T_Raruri_MovieClass");
    EXPECT_EQ(SqlMoviesOfClass(3), "SELECT * FROM T_Raruri_MovieList WHERE f_ClassID=3");
    EXPECT_EQ(SqlRecommended(),
              "SELECT * FROM T_Raruri_FileList  WHERE f_ClassID=4 ORDER BY "
              "RANDOM(f_ProgramName) DESC limit 22");
    EXPECT_EQ(SqlFavoritesList(""),
              "SELECT * FROM V_Raruri_Favorites WHERE f_UserID='' ORDER BY f_FavTime DESC");
    EXPECT_EQ(SqlPlayedList(""),
              "SELECT * FROM V_Raruri_Played WHERE f_UserID='' ORDER BY f_PlayTime DESC "
              "limit 22");
    EXPECT_EQ(SqlTitleByName("小兔子乖乖"),
              "SELECT * FROM T_Raruri_FileList WHERE f_ProgramName LIKE '小兔子乖乖'");
    EXPECT_EQ(SqlUpdateClicks(8, "42"),
              "UPDATE T_Raruri_FileList SET f_Clicks=8 WHERE f_FileID=42");
    EXPECT_EQ(SqlPlayedOf("42"), "SELECT * FROM T_Raruri_Played WHERE f_FileID=42");
    EXPECT_EQ(SqlUpdatePlayed(2, "42"),
              "UPDATE T_Raruri_Played SET f_Clicks=2, f_PlayTime=(datetime('now', 'localtime')) "
              "WHERE f_FileID=42");
    EXPECT_EQ(SqlInsertPlayed("42", ""),
              "INSERT INTO T_Raruri_Played VALUES (NULL, 42, (datetime('now', 'localtime')), 0, "
              "'')");
    EXPECT_EQ(SqlFavoriteOf("42"), "SELECT * FROM T_Raruri_Favorites WHERE f_FileID=42");
    EXPECT_EQ(SqlUpdateFavorite(5, "42"),
              "UPDATE T_Raruri_Favorites SET f_Clicks=5, f_FavTime=(datetime('now', "
              "'localtime')) WHERE f_FileID=42");
    EXPECT_EQ(SqlInsertFavorite("42", ""),
              "INSERT INTO T_Raruri_Favorites VALUES (NULL, 42, (datetime('now', 'localtime')), "
              "0, '')");
}

TEST(CatalogSqlText, QuotesAreDoubledAndWildcardsEscaped) {
    EXPECT_EQ(Quote("Tom's 'day'"), "Tom''s ''day''");
    EXPECT_EQ(Quote(std::string("ab\0'; DROP", 10)), "ab");
    EXPECT_EQ(SqlTitleByName("Tom's"),
              "SELECT * FROM T_Raruri_FileList WHERE f_ProgramName LIKE 'Tom''s'");
    EXPECT_EQ(SqlTitleByName("100%_a\\b"),
              "SELECT * FROM T_Raruri_FileList WHERE f_ProgramName LIKE '100\\%\\_a\\\\b' "
              "ESCAPE '\\'");
    // A backslash alone is no wildcard and keeps the plain form.
    EXPECT_EQ(SqlTitleByName("a\\b"),
              "SELECT * FROM T_Raruri_FileList WHERE f_ProgramName LIKE 'a\\b'");
    EXPECT_EQ(SqlInsertSkin(0, 0, 0, "it's", "x'", "u'"),
              "INSERT INTO T_Sys_Skins VALUES (NULL, 0, 0, 0, 'it''s', 'x''', 'u''')");
    EXPECT_EQ(SqlFavoritesList("o'k"),
              "SELECT * FROM V_Raruri_Favorites WHERE f_UserID='o''k' ORDER BY f_FavTime DESC");
}

TEST(CatalogSqlText, IdsThatAreNoPlainIntegersGiveNoStatement) {
    for (const char* bad : {"", "-", "1 OR 1=1", "1;DROP TABLE T_Raruri_Played", "(null)", " 1",
                            "1 ", "+1", "0x10", "1.5", "1234567890123456789"}) {
        EXPECT_FALSE(IsPlainInteger(bad)) << bad;
        EXPECT_EQ(SqlUpdateClicks(1, bad), "") << bad;
        EXPECT_EQ(SqlPlayedOf(bad), "") << bad;
        EXPECT_EQ(SqlUpdatePlayed(1, bad), "") << bad;
        EXPECT_EQ(SqlInsertPlayed(bad, ""), "") << bad;
        EXPECT_EQ(SqlFavoriteOf(bad), "") << bad;
        EXPECT_EQ(SqlUpdateFavorite(1, bad), "") << bad;
        EXPECT_EQ(SqlInsertFavorite(bad, ""), "") << bad;
        EXPECT_EQ(SqlClassesOfType(bad), "") << bad;
    }
    for (const char* good : {"0", "7", "-3", "123456789012345678", "007"})
        EXPECT_TRUE(IsPlainInteger(good)) << good;
    EXPECT_EQ(SqlPlayedOf("-3"), "SELECT * FROM T_Raruri_Played WHERE f_FileID=-3");
}

// The statements against a catalog with the program's tables.
class CatalogSqlOnCatalog : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.File("ZorbelPlim.dat");
        std::string error;
        ASSERT_TRUE(zorbel::test::CreateCatalog(
            m_path, zorbel::files::kCatalogKey,
            "INSERT INTO T_Raruri_Class VALUES (NULL, 4, '推荐', 1);"
            "INSERT INTO T_Raruri_Class VALUES (NULL, 5, '儿歌', 1);"
            "INSERT INTO T_Raruri_Class VALUES (NULL, 6, '故事', 2);"
            "INSERT INTO T_Raruri_FileList VALUES (1, 5, 'Tom''s Day', '', 0);"
            "INSERT INTO T_Raruri_FileList VALUES (2, 5, 'Tom''s Day Out', '', 3);"
            "INSERT INTO T_Raruri_FileList VALUES (3, 5, '100%', '', 0);"
            "INSERT INTO T_Raruri_FileList VALUES (4, 5, '100 fun', '', 0);"
            "INSERT INTO T_Raruri_FileList VALUES (5, 5, 'a_b', '', 0);"
            "INSERT INTO T_Raruri_FileList VALUES (6, 5, 'axb', '', 0);"
            "INSERT INTO T_Raruri_MovieClass VALUES (9, '动画');"
            "INSERT INTO T_Raruri_MovieList VALUES (NULL, 9, '小猪', 'http://x/pig.html');",
            &error))
            << error;
        for (int i = 0; i < 30; ++i) {
            ASSERT_TRUE(Exec("INSERT INTO T_Raruri_FileList VALUES (" + std::to_string(100 + i) +
                             ", 4, 'rec " + std::to_string(i) + "', '', 0)"));
        }
    }

    bool Exec(const std::string& sql) {
        CDbVelaLite db;
        return db.Open(m_path, zorbel::files::kCatalogKey) && db.ExecuteSql(sql);
    }

    // Column `column` of every row, as text.
    std::vector<std::string> Rows(const std::string& sql, int column) {
        std::vector<std::string> rows;
        CDbVelaLite db;
        EXPECT_TRUE(db.Open(m_path, zorbel::files::kCatalogKey));
        std::unique_ptr<CSqlStatement> st(db.Prepare(sql));
        while (st && st->NextRow()) rows.push_back(st->ColumnText(column));
        return rows;
    }

    TempDir m_dir;
    std::string m_path;
};

TEST_F(CatalogSqlOnCatalog, NamesWithQuotesAndWildcardsFindOnlyTheirOwnRow) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Rows(SqlTitleByName("Tom's Day"), kFileId), V{"1"});
    EXPECT_EQ(Rows(SqlTitleByName("100%"), kFileId), V{"3"});
    EXPECT_EQ(Rows(SqlTitleByName("a_b"), kFileId), V{"5"});
    EXPECT_EQ(Rows(SqlTitleByName("axb"), kFileId), V{"6"});
    EXPECT_EQ(Rows(SqlTitleByName("' OR ''='"), kFileId), V{});
    EXPECT_EQ(Rows(SqlTitleByName("Tom's Day Out"), kFileClicks), V{"3"});
}

TEST_F(CatalogSqlOnCatalog, CatalogReadsTakeTheDocumentedColumns) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Rows(SqlClassesOfType("1"), kClassName), (V{"推荐", "儿歌"}));
    EXPECT_EQ(Rows(SqlClassesOfType("1"), kClassId), (V{"4", "5"}));
    EXPECT_EQ(Rows(SqlTitlesOfClass(5), kFileProgramName).size(), 6u);
    // One bound statement gives every class what its own statement gives, in the same order.
    CDbVelaLite db;
    ASSERT_TRUE(db.Open(m_path, zorbel::files::kCatalogKey));
    std::unique_ptr<CSqlStatement> bound(db.Prepare(SqlTitlesOfBoundClass()));
    for (int classId : {5, 4, 6, 5}) {
        ASSERT_TRUE(bound->Rebind(1, classId));
        V rows;
        while (bound->NextRow()) rows.push_back(bound->ColumnText(kFileProgramName));
        EXPECT_EQ(rows, Rows(SqlTitlesOfClass(classId), kFileProgramName)) << classId;
    }
    EXPECT_FALSE(bound->Rebind(2, 5)) << "no second parameter";
    EXPECT_EQ(Rows(SqlMovieClasses(), kMovieClassName), V{"动画"});
    EXPECT_EQ(Rows(SqlMovieClasses(), kMovieClassId), V{"9"});
    EXPECT_EQ(Rows(SqlMoviesOfClass(9), kMovieName), V{"小猪"});
    EXPECT_EQ(Rows(SqlMoviesOfClass(9), kMovieAddress), V{"http://x/pig.html"});
}

TEST_F(CatalogSqlOnCatalog, RecommendedGivesUpTo22TitlesOfClass4InRandomOrder) {
    std::set<std::vector<std::string>> orders;
    for (int run = 0; run < 4; ++run) {
        std::vector<std::string> rows = Rows(SqlRecommended(), kFileProgramName);
        ASSERT_EQ(rows.size(), 22u);
        for (const std::string& name : rows) EXPECT_EQ(name.rfind("rec ", 0), 0u) << name;
        orders.insert(rows);
    }
    EXPECT_GT(orders.size(), 1u);
}

TEST_F(CatalogSqlOnCatalog, PlaysAndFavouritesAreRecordedAndListed) {
    using V = std::vector<std::string>;
    ASSERT_TRUE(Exec(SqlInsertPlayed("1", CurrentUserId)));
    ASSERT_TRUE(Exec(SqlInsertPlayed("3", CurrentUserId)));
    ASSERT_TRUE(
        Exec("UPDATE T_Raruri_Played SET f_PlayTime='2000-01-01 00:00:00' WHERE f_FileID=1"));
    EXPECT_EQ(Rows(SqlPlayedList(CurrentUserId), kViewProgramName), (V{"100%", "Tom's Day"}));
    EXPECT_EQ(Rows(SqlPlayedOf("3"), kRecordFileId), V{"3"});
    EXPECT_EQ(Rows(SqlPlayedOf("3"), kRecordClicks), V{"0"});
    ASSERT_TRUE(Exec(SqlUpdatePlayed(1, "3")));
    EXPECT_EQ(Rows(SqlPlayedOf("3"), kRecordClicks), V{"1"});
    ASSERT_TRUE(Exec(SqlUpdateClicks(7, "3")));
    EXPECT_EQ(Rows(SqlTitleByName("100%"), kFileClicks), V{"7"});

    ASSERT_TRUE(Exec(SqlInsertFavorite("6", CurrentUserId)));
    ASSERT_TRUE(Exec(SqlUpdateFavorite(2, "6")));
    EXPECT_EQ(Rows(SqlFavoriteOf("6"), kRecordClicks), V{"2"});
    EXPECT_EQ(Rows(SqlFavoritesList(CurrentUserId), kViewProgramName), V{"axb"});
    EXPECT_EQ(Rows(SqlFavoritesList("someone else"), kViewProgramName), V{});
}

TEST_F(CatalogSqlOnCatalog, SkinRowIsInsertedThenUpdatedWithQuotedTexts) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), kSkinHue), V{});
    ASSERT_TRUE(Exec(SqlInsertSkin(10, -20, 30, "木纹's", "blue", CurrentUserId)));
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), kSkinTexture), V{"木纹's"});
    ASSERT_TRUE(Exec(SqlUpdateSkin(1, 2, 3, "plain", "it's", CurrentUserId)));
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), kSkinBrightness), V{"3"});
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), 5), V{"it's"});
    // The empty user id matches only rows whose owner is empty.
    ASSERT_TRUE(Exec(SqlInsertSkin(9, 9, 9, "x", "y", "other")));
    EXPECT_EQ(Rows(SqlSkinRowsFor(CurrentUserId), kSkinHue), V{"1"});
}

}  // namespace
