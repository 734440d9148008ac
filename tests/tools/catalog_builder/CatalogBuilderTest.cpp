#include "tools/catalog_builder/CatalogBuilder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "TempFolder.h"
#include "tools/catalog_builder/SeedReader.h"
#include "tools/catalog_builder/SyntheticCatalog.h"

namespace cb = zorbel::catalogbuild;

namespace {

// Opens a catalog the way the program does: key, then the derivation rounds, then the schema
// read that shows a wrong key.
class Catalog {
public:
    Catalog(const std::string& path, const std::string& key, bool setKdfIter = true) {
        m_rc = sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        if (m_rc != SQLITE_OK) return;
        m_rc = sqlite3_key(m_db, key.data(), static_cast<int>(key.size()));
        if (m_rc != SQLITE_OK) return;
        if (setKdfIter)
            m_rc = sqlite3_exec(m_db, "PRAGMA kdf_iter = 4000", nullptr, nullptr, nullptr);
        if (m_rc != SQLITE_OK) return;
        sqlite3_stmt* st = nullptr;
        m_rc = sqlite3_prepare_v2(m_db, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
        sqlite3_finalize(st);
    }
    ~Catalog() { sqlite3_close(m_db); }

    int OpenResult() const { return m_rc; }
    sqlite3* Db() const { return m_db; }

    bool Exec(const std::string& sql) {
        return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // The program's way of reading: SELECT *, then columns by position.
    struct Rows {
        std::vector<std::vector<std::string>> text;
        std::vector<std::vector<int>> ints;
        int columns = -1;
        bool prepared = false;
    };
    Rows Select(const std::string& sql) {
        Rows rows;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return rows;
        rows.prepared = true;
        rows.columns = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> t;
            std::vector<int> n;
            for (int c = 0; c < rows.columns; ++c) {
                const unsigned char* v = sqlite3_column_text(st, c);
                t.push_back(v ? reinterpret_cast<const char*>(v) : "(null)");
                n.push_back(sqlite3_column_int(st, c));
            }
            rows.text.push_back(t);
            rows.ints.push_back(n);
        }
        sqlite3_finalize(st);
        return rows;
    }

    int Count(const std::string& sql) {
        const Rows r = Select(sql);
        return r.ints.empty() ? -1 : r.ints[0][0];
    }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_ERROR;
};

cb::CatalogSeed SmallSeed() {
    const cb::SeedReadResult r = cb::SeedReader().ReadText(
        "class\t1\t1\t经典儿歌\n"
        "class\t2\t1\t英文儿歌\n"
        "class\t4\t4\t推荐游戏\n"
        "class\t5\t2\t童话故事\n"
        "title\t10\t1\t小星星\t3\n"
        "title\t11\t1\t两只老虎\n"
        "title\t12\t2\t字母歌\t1\n"
        "title\t20\t4\t小猫钓鱼\t7\n"
        "title\t21\t4\t打地鼠\n"
        "title\t22\t4\t找不同\n"
        "title\t30\t5\t小红帽\n"
        "movieclass\t1\t经典动画\n"
        "movieclass\t2\t英语动画\n"
        "movie\t1\t1\t大闹天宫\t${WEB}/cartoons/monkey-king.html\n"
        "movie\t2\t2\t快乐学单词\t${WEB}/cartoons/happy-words.html\n"
        "skin\t0\t0\t0\tskin.texture11\t\t\n",
        "small.tsv");
    EXPECT_TRUE(r.ok) << r.error;
    return r.seed;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void RandomOfOne(sqlite3_context* ctx, int, sqlite3_value**) {
    sqlite3_int64 value = 0;
    sqlite3_randomness(sizeof value, &value);
    sqlite3_result_int64(ctx, value);
}

class CatalogBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_dir.Path().empty());
        m_out = m_dir.File("ZorbelPlim.dat");
    }
    TempFolder m_dir;
    std::string m_out;
};

}  // namespace

TEST_F(CatalogBuilderTest, OpensWithTheKeyOnly) {
    const cb::BuildResult built = cb::BuildCatalog(SmallSeed(), m_out, "R807@391T");
    ASSERT_TRUE(built.ok) << built.error;

    EXPECT_EQ(Catalog(m_out, "R807@391T").OpenResult(), SQLITE_OK);
    EXPECT_EQ(Catalog(m_out, "R807@391X").OpenResult(), SQLITE_NOTADB);
    EXPECT_NE(Catalog(m_out, "").OpenResult(), SQLITE_OK);
    // The program sets 4000 derivation rounds after the key; the file must be made that way.
    EXPECT_EQ(Catalog(m_out, "R807@391T", false).OpenResult(), SQLITE_NOTADB);

    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open_v2(m_out.c_str(), &plain, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(plain, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr),
              SQLITE_NOTADB)
        << "the file is enciphered";
    sqlite3_finalize(st);
    sqlite3_close(plain);
}

TEST_F(CatalogBuilderTest, DefaultKeyIsTheProgramsKey) {
    ASSERT_TRUE(cb::BuildCatalog(SmallSeed(), m_out).ok);
    EXPECT_EQ(Catalog(m_out, "R807@391T").OpenResult(), SQLITE_OK);
}

TEST_F(CatalogBuilderTest, ColumnsSitWhereTheProgramReadsThem) {
    ASSERT_TRUE(cb::BuildCatalog(SmallSeed(), m_out).ok);
    Catalog db(m_out, cb::kCatalogKey);
    ASSERT_EQ(db.OpenResult(), SQLITE_OK);

    Catalog::Rows classes = db.Select("SELECT * FROM T_Raruri_Class WHERE f_TypeID=1");
    ASSERT_EQ(classes.text.size(), 2u);
    std::set<std::pair<int, std::string>> got;
    for (std::size_t i = 0; i < classes.text.size(); ++i)
        got.insert({classes.ints[i][1], classes.text[i][2]});
    EXPECT_EQ(got, (std::set<std::pair<int, std::string>>{{1, "经典儿歌"}, {2, "英文儿歌"}}));

    Catalog::Rows titles = db.Select("SELECT * FROM T_Raruri_FileList WHERE f_ClassID=1");
    ASSERT_EQ(titles.text.size(), 2u);
    std::set<std::tuple<std::string, std::string, int>> titleRows;
    for (std::size_t i = 0; i < titles.text.size(); ++i)
        titleRows.insert({titles.text[i][0], titles.text[i][2], titles.ints[i][4]});
    EXPECT_EQ(titleRows, (std::set<std::tuple<std::string, std::string, int>>{
                             {"10", "小星星", 3}, {"11", "两只老虎", 0}}));

    Catalog::Rows byName =
        db.Select("SELECT * FROM T_Raruri_FileList WHERE f_ProgramName LIKE '小猫钓鱼'");
    ASSERT_EQ(byName.text.size(), 1u);
    EXPECT_EQ(byName.text[0][0], "20");
    EXPECT_EQ(byName.ints[0][4], 7);

    Catalog::Rows movieClasses = db.Select("SELECT * FROM T_Raruri_MovieClass");
    ASSERT_EQ(movieClasses.text.size(), 2u);
    EXPECT_EQ(movieClasses.ints[0][0], 1);
    EXPECT_EQ(movieClasses.text[0][1], "经典动画");

    Catalog::Rows movies = db.Select("SELECT * FROM T_Raruri_MovieList WHERE f_ClassID=2");
    ASSERT_EQ(movies.text.size(), 1u);
    EXPECT_EQ(movies.text[0][2], "快乐学单词");
    EXPECT_EQ(movies.text[0][3], "http://127.0.0.1:8517/cartoons/happy-words.html");

    Catalog::Rows skins = db.Select("SELECT * FROM T_Sys_Skins WHERE f_UserID LIKE ''");
    ASSERT_EQ(skins.text.size(), 1u);
    EXPECT_EQ(skins.columns, 7);
    EXPECT_EQ(skins.ints[0][1], 0);
    EXPECT_EQ(skins.ints[0][2], 0);
    EXPECT_EQ(skins.ints[0][3], 0);
    EXPECT_EQ(skins.text[0][4], "skin.texture11");

    EXPECT_EQ(db.Select("SELECT * FROM T_Raruri_Played").columns, 5);
    EXPECT_EQ(db.Select("SELECT * FROM T_Raruri_Favorites").columns, 5);
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Raruri_Played"), 0);
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Raruri_Favorites"), 0);
}

TEST_F(CatalogBuilderTest, ProgramWritesAndViewsWork) {
    ASSERT_TRUE(cb::BuildCatalog(SmallSeed(), m_out).ok);
    Catalog db(m_out, cb::kCatalogKey);
    ASSERT_EQ(db.OpenResult(), SQLITE_OK);

    // A play: clicks on the title, then the history row, then a repeat.
    EXPECT_TRUE(db.Exec("UPDATE T_Raruri_FileList SET f_Clicks=8 WHERE f_FileID=20"));
    EXPECT_EQ(
        db.Select("SELECT * FROM T_Raruri_FileList WHERE f_ProgramName LIKE '小猫钓鱼'").ints[0][4],
        8);
    EXPECT_TRUE(db.Exec(
        "INSERT INTO T_Raruri_Played VALUES (NULL, 20, (datetime('now', 'localtime')), 0, '')"));
    Catalog::Rows played = db.Select("SELECT * FROM T_Raruri_Played WHERE f_FileID=20");
    ASSERT_EQ(played.text.size(), 1u);
    EXPECT_EQ(played.text[0][1], "20");
    EXPECT_EQ(played.ints[0][3], 0);
    EXPECT_TRUE(
        db.Exec("UPDATE T_Raruri_Played SET f_Clicks=1, f_PlayTime=(datetime('now', 'localtime')) "
                "WHERE f_FileID=20"));
    EXPECT_TRUE(
        db.Exec("INSERT INTO T_Raruri_Played VALUES (NULL, 30, '2000-01-01 00:00:00', 0, '')"));

    Catalog::Rows recent = db.Select(
        "SELECT * FROM V_Raruri_Played WHERE f_UserID='' ORDER BY f_PlayTime DESC limit 22");
    ASSERT_EQ(recent.text.size(), 2u);
    EXPECT_EQ(recent.text[0][5], "小猫钓鱼");
    EXPECT_EQ(recent.text[1][5], "小红帽");
    EXPECT_TRUE(db.Select("SELECT * FROM V_Raruri_Played WHERE f_UserID='someone' ORDER BY "
                          "f_PlayTime DESC limit 22")
                    .text.empty());

    EXPECT_TRUE(db.Exec(
        "INSERT INTO T_Raruri_Favorites VALUES (NULL, 12, (datetime('now', 'localtime')), 0, '')"));
    EXPECT_TRUE(
        db.Exec("UPDATE T_Raruri_Favorites SET f_Clicks=1, f_FavTime=(datetime('now', "
                "'localtime')) WHERE f_FileID=12"));
    Catalog::Rows fav = db.Select("SELECT * FROM T_Raruri_Favorites WHERE f_FileID=12");
    ASSERT_EQ(fav.text.size(), 1u);
    EXPECT_EQ(fav.text[0][1], "12");
    EXPECT_EQ(fav.ints[0][3], 1);
    Catalog::Rows favs =
        db.Select("SELECT * FROM V_Raruri_Favorites WHERE f_UserID='' ORDER BY f_FavTime DESC");
    ASSERT_EQ(favs.text.size(), 1u);
    EXPECT_EQ(favs.text[0][5], "字母歌");

    // Saved appearance: the skin dialog updates the row, or inserts one for a user without a row.
    EXPECT_TRUE(
        db.Exec("UPDATE T_Sys_Skins SET f_H=10, f_S=-20, f_B=30, f_texture='skin.texture3', "
                "f_Theme='blue' WHERE f_UserID=''"));
    Catalog::Rows skin = db.Select("SELECT * FROM T_Sys_Skins WHERE f_UserID LIKE ''");
    ASSERT_EQ(skin.text.size(), 1u);
    EXPECT_EQ(skin.ints[0][1], 10);
    EXPECT_EQ(skin.ints[0][2], -20);
    EXPECT_EQ(skin.ints[0][3], 30);
    EXPECT_EQ(skin.text[0][4], "skin.texture3");
    EXPECT_EQ(skin.text[0][5], "blue");
    EXPECT_TRUE(
        db.Exec("INSERT INTO T_Sys_Skins VALUES (NULL, 1, 2, 3, 'skin.texture1', '', 'other')"));
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Sys_Skins"), 2);
}

TEST_F(CatalogBuilderTest, RecommendedStatementWorksWithOneArgumentRandom) {
    ASSERT_TRUE(cb::BuildCatalog(cb::MakeSyntheticSeed(2000, cb::kDefaultWebBase), m_out).ok);
    Catalog db(m_out, cb::kCatalogKey);
    ASSERT_EQ(db.OpenResult(), SQLITE_OK);
    ASSERT_EQ(sqlite3_create_function(db.Db(), "RANDOM", 1, SQLITE_UTF8, nullptr, RandomOfOne,
                                      nullptr, nullptr),
              SQLITE_OK);

    const char* recommended =
        "SELECT * FROM T_Raruri_FileList  WHERE f_ClassID=4 ORDER BY RANDOM(f_ProgramName) DESC "
        "limit 22";
    const Catalog::Rows first = db.Select(recommended);
    ASSERT_TRUE(first.prepared);
    ASSERT_EQ(first.text.size(), 22u);
    std::set<std::string> names;
    for (const auto& row : first.text) names.insert(row[2]);
    EXPECT_EQ(names.size(), 22u);
    for (const auto& row : first.ints) EXPECT_EQ(row[1], 4);

    // Class 4 holds far more than 22 titles, so repeated lists cannot all be the same one.
    bool differs = false;
    for (int i = 0; i < 5 && !differs; ++i) differs = db.Select(recommended).text != first.text;
    EXPECT_TRUE(differs);
}

TEST_F(CatalogBuilderTest, TitleLookupByClassUsesTheIndex) {
    ASSERT_TRUE(cb::BuildCatalog(SmallSeed(), m_out).ok);
    Catalog db(m_out, cb::kCatalogKey);
    ASSERT_EQ(db.OpenResult(), SQLITE_OK);
    std::string plan;
    for (const auto& row :
         db.Select("EXPLAIN QUERY PLAN SELECT * FROM T_Raruri_FileList WHERE f_ClassID=4").text)
        plan += row.back();
    EXPECT_NE(plan.find("IX_Raruri_FileList_ClassID"), std::string::npos) << plan;
}

TEST_F(CatalogBuilderTest, DemoSeedBuilds) {
    const cb::SeedReadResult read = cb::SeedReader().ReadFile(
        std::string(ZORBEL_SOURCE_DIR) + "/tools/catalog_builder/demo_catalog.tsv");
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_TRUE(cb::BuildCatalog(read.seed, m_out).ok);
    Catalog db(m_out, cb::kCatalogKey);
    ASSERT_EQ(db.OpenResult(), SQLITE_OK);
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Raruri_FileList"),
              static_cast<int>(read.seed.titles.size()));
    EXPECT_GE(db.Count("SELECT count(*) FROM T_Raruri_FileList WHERE f_ClassID=4"), 4);
    for (const char* type : {"1", "2", "3", "4"})
        EXPECT_FALSE(db.Select(std::string("SELECT * FROM T_Raruri_Class WHERE f_TypeID=") + type)
                         .text.empty());
}

TEST_F(CatalogBuilderTest, FailedBuildLeavesNothingBehind) {
    cb::CatalogSeed seed = SmallSeed();
    seed.titles.push_back({10, 1, "又一个", 0});  // file id 10 is taken
    const cb::BuildResult built = cb::BuildCatalog(seed, m_out);
    EXPECT_FALSE(built.ok);
    EXPECT_NE(built.error.find("title 10"), std::string::npos) << built.error;
    EXPECT_EQ(m_dir.Listing(), "");
}

TEST_F(CatalogBuilderTest, FailedBuildKeepsTheEarlierFile) {
    ASSERT_TRUE(cb::BuildCatalog(SmallSeed(), m_out).ok);
    const std::string before = ReadAll(m_out);

    cb::CatalogSeed seed = SmallSeed();
    seed.titles.push_back({99, 77, "无家可归", 0});
    const cb::BuildResult built = cb::BuildCatalog(seed, m_out);
    EXPECT_FALSE(built.ok);
    EXPECT_NE(built.error.find("title 99 names class 77"), std::string::npos) << built.error;
    EXPECT_EQ(ReadAll(m_out), before);
    EXPECT_EQ(m_dir.Listing(), "ZorbelPlim.dat;");
}

TEST_F(CatalogBuilderTest, RefusesWhatCannotBecomeACatalog) {
    cb::CatalogSeed badName = SmallSeed();
    badName.titles.push_back({98, 1, "a/b", 0});
    EXPECT_FALSE(cb::BuildCatalog(badName, m_out).ok);

    cb::CatalogSeed badType = SmallSeed();
    badType.classes.push_back({
        9,
        7,
        "七",
    });
    EXPECT_FALSE(cb::BuildCatalog(badType, m_out).ok);

    cb::CatalogSeed orphanMovie = SmallSeed();
    orphanMovie.movies.push_back({9, 9, "无", "http://x/a.html"});
    const cb::BuildResult movie = cb::BuildCatalog(orphanMovie, m_out);
    EXPECT_FALSE(movie.ok);
    EXPECT_NE(movie.error.find("movie 9 names movie class 9"), std::string::npos) << movie.error;

    EXPECT_FALSE(cb::BuildCatalog(SmallSeed(), m_out, "").ok);
    EXPECT_FALSE(cb::BuildCatalog(SmallSeed(), m_dir.Path()).ok) << "the output is a folder";
    EXPECT_EQ(m_dir.Listing(), "");
}

TEST_F(CatalogBuilderTest, ReplacesAnOldFileAndCreatesMissingFolders) {
    { std::ofstream(m_out) << "not a catalog"; }
    ASSERT_TRUE(cb::BuildCatalog(SmallSeed(), m_out).ok);
    EXPECT_EQ(Catalog(m_out, cb::kCatalogKey).OpenResult(), SQLITE_OK);

    const std::string nested = m_dir.File("app/data/ZorbelPlim.dat");
    const mode_t old = umask(022);
    const cb::BuildResult built = cb::BuildCatalog(SmallSeed(), nested);
    umask(old);
    ASSERT_TRUE(built.ok) << built.error;
    struct stat st {};
    ASSERT_EQ(stat(nested.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "the catalog is copied and installed like any data file";
}

TEST_F(CatalogBuilderTest, SyntheticCatalogHasTheTitlesAskedFor) {
    const cb::CatalogSeed seed = cb::MakeSyntheticSeed(5000, cb::kDefaultWebBase);
    const cb::BuildResult built = cb::BuildCatalog(seed, m_out);
    ASSERT_TRUE(built.ok) << built.error;
    Catalog db(m_out, cb::kCatalogKey);
    ASSERT_EQ(db.OpenResult(), SQLITE_OK);
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Raruri_FileList"), 5000);
    EXPECT_EQ(db.Count("SELECT count(DISTINCT f_ProgramName) FROM T_Raruri_FileList"), 5000);
    EXPECT_EQ(db.Count("SELECT count(DISTINCT f_TypeID) FROM T_Raruri_Class"), 4);
    EXPECT_GE(db.Count("SELECT count(*) FROM T_Raruri_Class"), 20);
    EXPECT_EQ(db.Count("SELECT f_TypeID FROM T_Raruri_Class WHERE f_ClassID=4"), 4);
    EXPECT_GT(db.Count("SELECT count(*) FROM T_Raruri_FileList WHERE f_ClassID=4"), 22);
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Raruri_FileList WHERE f_ClassID NOT IN "
                       "(SELECT f_ClassID FROM T_Raruri_Class)"),
              0);
    EXPECT_GT(db.Count("SELECT count(*) FROM T_Raruri_MovieList"), 0);
    EXPECT_EQ(db.Count("SELECT count(*) FROM T_Sys_Skins WHERE f_UserID=''"), 1);
}
