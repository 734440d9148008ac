#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/CatalogFiles.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "tests/app/CatalogLock.h"
#include "tests/app/TestCatalog.h"
#include "tests/platform/TempDir.h"

namespace {

using zorbel::test::CatalogLock;
using zorbel::test::CreateCatalog;
using zorbel::test::TempDir;

const char* const kKey = zorbel::files::kCatalogKey;

class DbVelaLiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.File("ZorbelPlim.dat");
        std::string error;
        ASSERT_TRUE(CreateCatalog(m_path, kKey,
                                  "CREATE TABLE T (n INTEGER, s TEXT);"
                                  "INSERT INTO T VALUES (1, 'one');"
                                  "INSERT INTO T VALUES (2, NULL);"
                                  "INSERT INTO T VALUES (3, '100% %s %d');",
                                  &error, false))
            << error;
    }

    std::unique_ptr<CDbVelaLite> OpenCatalog() {
        auto db = std::make_unique<CDbVelaLite>();
        EXPECT_TRUE(db->Open(m_path.c_str(), kKey));
        return db;
    }

    TempDir m_dir;
    std::string m_path;
};

TEST_F(DbVelaLiteTest, OpensWithTheCatalogKeyAndReadsRows) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT * FROM T ORDER BY n"));
    ASSERT_TRUE(st);
    EXPECT_TRUE(st->IsValid());
    EXPECT_EQ(st->ColumnCount(), 2);
    ASSERT_TRUE(st->NextRow());
    EXPECT_EQ(st->ColumnInt(0), 1);
    EXPECT_STREQ(st->ColumnText(1), "one");
    EXPECT_STREQ(st->ColumnText(0), "1");
}

TEST_F(DbVelaLiteTest, OpenFailsForWrongKeyMissingFileAndNonDatabases) {
    EXPECT_FALSE(CDbVelaLite().Open(m_path.c_str(), "wrong key"));
    EXPECT_FALSE(CDbVelaLite().Open(m_path.c_str(), nullptr));  // enciphered, no key

    const std::string missing = m_dir.File("missing.dat");
    EXPECT_FALSE(CDbVelaLite().Open(missing.c_str(), kKey));
    EXPECT_FALSE(std::filesystem::exists(missing)) << "Open must never create a catalog";

    EXPECT_FALSE(CDbVelaLite().Open(m_dir.Path().c_str(), kKey));  // a folder

    const std::string text = m_dir.File("notes.txt");
    std::ofstream(text) << "this is not a database, just some text of a certain length\n";
    EXPECT_FALSE(CDbVelaLite().Open(text.c_str(), kKey));
    EXPECT_FALSE(CDbVelaLite().Open(text.c_str(), nullptr));

    const std::string empty = m_dir.File("empty.dat");
    std::ofstream(empty).close();
    EXPECT_FALSE(CDbVelaLite().Open(empty.c_str(), kKey)) << "an empty file holds no catalog";

    EXPECT_FALSE(CDbVelaLite().Open("", kKey));
    EXPECT_FALSE(CDbVelaLite().Open(static_cast<const char*>(nullptr), kKey));
}

TEST_F(DbVelaLiteTest, PlainDatabaseOpensWithoutKeyButNotWithOne) {
    const std::string plain = m_dir.File("plain.db");
    ASSERT_TRUE(CreateCatalog(plain, nullptr, "CREATE TABLE X (a);", nullptr, false));
    EXPECT_TRUE(CDbVelaLite().Open(plain.c_str(), nullptr));
    EXPECT_FALSE(CDbVelaLite().Open(plain.c_str(), kKey));
}

TEST_F(DbVelaLiteTest, CatalogKeyedWithAnotherDerivationCostDoesNotOpen) {
    // Every connection states the catalog's cost instead of paying the library's default.
    const std::string slow = m_dir.File("slow.dat");
    ASSERT_TRUE(CreateCatalog(slow, kKey, "CREATE TABLE X (a);", nullptr, false, 64000));
    EXPECT_FALSE(CDbVelaLite().Open(slow.c_str(), kKey));
}

TEST_F(DbVelaLiteTest, FailedOpenLeavesAnObjectThatFailsQuietly) {
    CDbVelaLite db;
    EXPECT_FALSE(db.Open(m_path.c_str(), "wrong"));
    std::unique_ptr<CSqlStatement> st(db.Prepare("SELECT * FROM T"));
    ASSERT_TRUE(st);
    EXPECT_FALSE(st->NextRow());
    EXPECT_FALSE(db.ExecuteSql("INSERT INTO T VALUES (9, 'x')"));

    CDbVelaLite never;
    std::unique_ptr<CSqlStatement> st2(never.Prepare("SELECT 1"));
    ASSERT_TRUE(st2);
    EXPECT_FALSE(st2->IsValid());
    EXPECT_FALSE(st2->NextRow());
}

TEST_F(DbVelaLiteTest, NullTextReadsAsNullWordAndPercentStaysAsItIs) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT s FROM T ORDER BY n"));
    ASSERT_TRUE(st->NextRow());
    ASSERT_TRUE(st->NextRow());
    EXPECT_STREQ(st->ColumnText(0), "(null)");
    EXPECT_EQ(st->ColumnInt(0), 0);
    ASSERT_TRUE(st->NextRow());
    EXPECT_STREQ(st->ColumnText(0), "100% %s %d");
    // Columns that do not exist read as NULL too.
    EXPECT_STREQ(st->ColumnText(7), "(null)");
    EXPECT_STREQ(st->ColumnText(-1), "(null)");
}

TEST_F(DbVelaLiteTest, NextRowAfterTheLastRowStartsOver) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT n FROM T ORDER BY n"));
    std::vector<int> first, second;
    while (st->NextRow()) first.push_back(st->ColumnInt(0));
    while (st->NextRow()) second.push_back(st->ColumnInt(0));
    EXPECT_EQ(first, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(second, first);
}

TEST_F(DbVelaLiteTest, ExecuteOnASelectReturnsFalseAndStaysOnTheRow) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT n FROM T ORDER BY n"));
    EXPECT_FALSE(st->Execute());
    EXPECT_EQ(st->ColumnInt(0), 1);
    ASSERT_TRUE(st->NextRow());
    EXPECT_EQ(st->ColumnInt(0), 2);

    // A SELECT without rows runs to completion like any other statement.
    std::unique_ptr<CSqlStatement> none(db->Prepare("SELECT n FROM T WHERE n > 10"));
    EXPECT_TRUE(none->Execute());
}

TEST_F(DbVelaLiteTest, SecondColumnTextOverwritesTheFirstInPlace) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT 'first value', 'second'"));
    ASSERT_TRUE(st->NextRow());
    const char* first = st->ColumnText(0);
    EXPECT_STREQ(first, "first value");
    const char* second = st->ColumnText(1);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "second");

    // A value longer than the buffer still reads correctly.
    const std::string longText(5000, 'x');
    std::unique_ptr<CSqlStatement> big(db->Prepare("SELECT '" + longText + "'"));
    ASSERT_TRUE(big->NextRow());
    EXPECT_EQ(std::string(big->ColumnText(0)), longText);
}

TEST_F(DbVelaLiteTest, RejectedTextGivesAStatementWithoutRows) {
    auto db = OpenCatalog();
    for (const char* bad : {"SELEC * FROM T", "SELECT * FROM NoSuchTable", "", "'"}) {
        std::unique_ptr<CSqlStatement> st(db->Prepare(bad));
        ASSERT_TRUE(st) << bad;
        EXPECT_FALSE(st->IsValid()) << bad;
        EXPECT_FALSE(st->NextRow()) << bad;
        EXPECT_FALSE(st->Execute()) << bad;
        EXPECT_EQ(st->ColumnCount(), 0) << bad;
        EXPECT_EQ(st->ColumnInt(0), 0) << bad;
        EXPECT_STREQ(st->ColumnText(0), "(null)") << bad;
    }
    EXPECT_FALSE(db->ExecuteSql("UPDATE NoSuchTable SET a=1"));
    std::unique_ptr<CSqlStatement> nullText(db->Prepare(static_cast<const char*>(nullptr)));
    ASSERT_TRUE(nullText);
    EXPECT_FALSE(nullText->NextRow());
}

TEST_F(DbVelaLiteTest, ExecuteSqlWritesAndTheWriteIsKeptEnciphered) {
    {
        auto db = OpenCatalog();
        EXPECT_TRUE(db->ExecuteSql("INSERT INTO T VALUES (4, 'four')"));
        EXPECT_TRUE(db->ExecuteSql(std::string("UPDATE T SET s='uno' WHERE n=1")));
    }
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT s FROM T WHERE n IN (1, 4) ORDER BY n"));
    ASSERT_TRUE(st->NextRow());
    EXPECT_STREQ(st->ColumnText(0), "uno");
    ASSERT_TRUE(st->NextRow());
    EXPECT_STREQ(st->ColumnText(0), "four");
    EXPECT_FALSE(CDbVelaLite().Open(m_path.c_str(), nullptr));
}

TEST_F(DbVelaLiteTest, LockedDatabaseIsBusyNeverDamagedAndOpensAllTheSame) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> select(db->Prepare("SELECT * FROM T"));
    std::unique_ptr<CSqlStatement> insert(db->Prepare("INSERT INTO T VALUES (5, 'five')"));
    ASSERT_TRUE(select->IsValid());
    ASSERT_TRUE(insert->IsValid());

    CatalogLock lock(m_path, kKey);
    ASSERT_TRUE(lock.Held());
    EXPECT_FALSE(select->NextRow());
    EXPECT_TRUE(select->IsBusy());
    EXPECT_FALSE(select->IsDamaged());
    EXPECT_FALSE(insert->Execute());
    EXPECT_EQ(insert->LastResult(), SQLITE_BUSY);
    EXPECT_FALSE(db->ExecuteSql("INSERT INTO T VALUES (6, 'six')"));
    EXPECT_TRUE(db->MetLock());
    EXPECT_FALSE(db->MetDamage());

    // A connection opened under the lock cannot check its key yet: it opens, says so, and
    // reads with the key once the lock is gone.
    CDbVelaLite during;
    EXPECT_TRUE(during.Open(m_path.c_str(), kKey));
    EXPECT_TRUE(during.MetLock());
    EXPECT_FALSE(during.MetDamage());
    std::unique_ptr<CSqlStatement> early(during.Prepare("SELECT count(*) FROM T"));
    EXPECT_TRUE(early->IsBusy());
    EXPECT_FALSE(early->NextRow());
    lock.Release();

    std::unique_ptr<CSqlStatement> count(during.Prepare("SELECT count(*) FROM T"));
    ASSERT_TRUE(count->NextRow());
    EXPECT_EQ(count->ColumnInt(0), 3);
    EXPECT_EQ(count->LastResult(), SQLITE_ROW);
    EXPECT_FALSE(count->IsBusy());
    // A wrong key still fails, as soon as there is no lock to hide it.
    EXPECT_FALSE(CDbVelaLite().Open(m_path.c_str(), "wrong key"));
    // A fresh open starts without the old connection's troubles.
    EXPECT_TRUE(during.Open(m_path.c_str(), kKey));
    EXPECT_FALSE(during.MetLock());
}

TEST_F(DbVelaLiteTest, LockReleasedWithinTheBusyTimeoutIsWaitedFor) {
    CatalogLock lock(m_path, kKey);
    ASSERT_TRUE(lock.Held());
    std::thread release([&lock] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        lock.Release();
    });
    CDbVelaLite db;
    db.SetBusyTimeout(10000);
    const bool opened = db.Open(m_path.c_str(), kKey);
    release.join();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(db.MetLock());
}

TEST_F(DbVelaLiteTest, DamagedPageEndsTheRowsWithAnErrorNotWithTheEnd) {
    const std::string big = m_dir.File("big.dat");
    std::string error;
    ASSERT_TRUE(CreateCatalog(big, kKey, "", &error)) << error;
    ASSERT_TRUE(zorbel::test::FillSyntheticCatalog(big, kKey, 1, 4, 3000, &error)) << error;
    ASSERT_TRUE(zorbel::test::DamageFile(big, std::filesystem::file_size(big) / 2));

    // Read as the tree reads it, class by class: one class meets the damaged page.
    CDbVelaLite db;
    ASSERT_TRUE(db.Open(big.c_str(), kKey)) << "the schema page is whole";
    int rows = 0;
    int damaged = 0;
    for (int classId = 1; classId <= 4; ++classId) {
        std::unique_ptr<CSqlStatement> titles(db.Prepare(
            "SELECT * FROM T_Raruri_FileList WHERE f_ClassID=" + std::to_string(classId)));
        while (titles->NextRow()) ++rows;
        EXPECT_FALSE(titles->IsBusy());
        if (!titles->IsDamaged()) continue;
        ++damaged;
        EXPECT_EQ(titles->LastResult() & 0xff, SQLITE_CORRUPT);
    }
    EXPECT_EQ(damaged, 1);
    EXPECT_LT(rows, 3000);
    EXPECT_TRUE(db.MetDamage());
    EXPECT_FALSE(db.MetLock());

    // Neither a rejected text nor a query that stays off the damaged page is damage.
    CDbVelaLite other;
    ASSERT_TRUE(other.Open(big.c_str(), kKey));
    std::unique_ptr<CSqlStatement> rejected(other.Prepare("SELECT * FROM NoSuchTable"));
    EXPECT_FALSE(rejected->NextRow());
    EXPECT_EQ(rejected->LastResult(), SQLITE_ERROR);
    std::unique_ptr<CSqlStatement> classes(other.Prepare("SELECT * FROM T_Raruri_Class"));
    while (classes->NextRow()) {
    }
    EXPECT_EQ(classes->LastResult(), SQLITE_DONE);
    EXPECT_FALSE(other.MetDamage());

    // The damaged schema page: the catalog does not open at all.
    ASSERT_TRUE(zorbel::test::DamageFile(big, 100));
    EXPECT_FALSE(CDbVelaLite().Open(big.c_str(), kKey));
}

TEST_F(DbVelaLiteTest, OneArgumentRandomIsAvailable) {
    auto db = OpenCatalog();
    std::unique_ptr<CSqlStatement> st(db->Prepare("SELECT RANDOM(s), RANDOM() FROM T"));
    ASSERT_TRUE(st->IsValid());
    std::set<std::string> values;
    while (st->NextRow()) values.insert(st->ColumnText(0));
    EXPECT_EQ(values.size(), 3u);
}

}  // namespace
