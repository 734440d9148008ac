#include "tests/app/TestCatalog.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace zorbel::test {

namespace {

bool Run(sqlite3* db, const std::string& sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    if (error) *error = message ? message : "unknown error";
    sqlite3_free(message);
    return false;
}

sqlite3* OpenForWriting(const std::string& path, const char* key, int kdfIter, bool create,
                        std::string* error) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        if (error) *error = db ? sqlite3_errmsg(db) : "open failed";
        sqlite3_close(db);
        return nullptr;
    }
    if (key) {
        sqlite3_key(db, key, static_cast<int>(std::strlen(key)));
        if (!Run(db, "PRAGMA kdf_iter = " + std::to_string(kdfIter), error)) {
            sqlite3_close(db);
            return nullptr;
        }
    }
    return db;
}

}  // namespace

const char* CatalogSchemaSql() {
    return R"SQL(
CREATE TABLE T_Sys_Skins (f_ID INTEGER PRIMARY KEY, f_H INTEGER, f_S INTEGER, f_B INTEGER,
  f_texture TEXT, f_Theme TEXT, f_UserID TEXT);
CREATE TABLE T_Raruri_Class (f_ID INTEGER PRIMARY KEY, f_ClassID INTEGER, f_ClassName TEXT,
  f_TypeID INTEGER);
CREATE TABLE T_Raruri_FileList (f_FileID INTEGER PRIMARY KEY, f_ClassID INTEGER,
  f_ProgramName TEXT, f_Note TEXT, f_Clicks INTEGER DEFAULT 0);
CREATE INDEX I_FileList_Class ON T_Raruri_FileList(f_ClassID);
CREATE TABLE T_Raruri_MovieClass (f_ClassID INTEGER PRIMARY KEY, f_ClassName TEXT);
CREATE TABLE T_Raruri_MovieList (f_ID INTEGER PRIMARY KEY, f_ClassID INTEGER, f_Name TEXT,
  f_Url TEXT);
CREATE TABLE T_Raruri_Played (f_ID INTEGER PRIMARY KEY, f_FileID INTEGER, f_PlayTime TEXT,
  f_Clicks INTEGER, f_UserID TEXT);
CREATE TABLE T_Raruri_Favorites (f_ID INTEGER PRIMARY KEY, f_FileID INTEGER, f_FavTime TEXT,
  f_Clicks INTEGER, f_UserID TEXT);
CREATE VIEW V_Raruri_Played AS SELECT p.f_ID, p.f_FileID, p.f_PlayTime, p.f_Clicks,
  p.f_UserID, f.f_ProgramName FROM T_Raruri_Played p JOIN T_Raruri_FileList f
  ON f.f_FileID = p.f_FileID;
CREATE VIEW V_Raruri_Favorites AS SELECT v.f_ID, v.f_FileID, v.f_FavTime, v.f_Clicks,
  v.f_UserID, f.f_ProgramName FROM T_Raruri_Favorites v JOIN T_Raruri_FileList f
  ON f.f_FileID = v.f_FileID;
)SQL";
}

bool CreateCatalog(const std::string& path, const char* key, const std::string& extraSql,
                   std::string* error, bool withSchema, int kdfIter) {
    std::remove(path.c_str());
    sqlite3* db = OpenForWriting(path, key, kdfIter, true, error);
    if (!db) return false;
    bool ok = (!withSchema || Run(db, CatalogSchemaSql(), error)) &&
              (extraSql.empty() || Run(db, extraSql, error));
    sqlite3_close(db);
    return ok;
}

bool FillSyntheticCatalog(const std::string& path, const char* key, int typeCount,
                          int classesPerType, int titles, std::string* error) {
    sqlite3* db = OpenForWriting(path, key, 4000, false, error);
    if (!db) return false;
    bool ok = Run(db, "BEGIN", error);
    sqlite3_stmt* cls = nullptr;
    sqlite3_stmt* file = nullptr;
    ok = ok &&
         sqlite3_prepare_v2(db, "INSERT INTO T_Raruri_Class VALUES (NULL, ?, ?, ?)", -1, &cls,
                            nullptr) == SQLITE_OK &&
         sqlite3_prepare_v2(db, "INSERT INTO T_Raruri_FileList VALUES (NULL, ?, ?, '', ?)", -1,
                            &file, nullptr) == SQLITE_OK;
    const int classCount = typeCount * classesPerType;
    for (int c = 1; ok && c <= classCount; ++c) {
        const std::string name = "类别 " + std::to_string(c);
        sqlite3_bind_int(cls, 1, c);
        sqlite3_bind_text(cls, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(cls, 3, (c - 1) / classesPerType + 1);
        ok = sqlite3_step(cls) == SQLITE_DONE && sqlite3_reset(cls) == SQLITE_OK;
    }
    for (int t = 0; ok && classCount > 0 && t < titles; ++t) {
        const std::string name = "标题 " + std::to_string(t);
        // Titles come class by class, as a catalog is put together.
        sqlite3_bind_int(file, 1,
                         static_cast<int>(static_cast<long long>(t) * classCount / titles) + 1);
        sqlite3_bind_text(file, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(file, 3, t % 97);
        ok = sqlite3_step(file) == SQLITE_DONE && sqlite3_reset(file) == SQLITE_OK;
    }
    if (!ok && error && error->empty()) *error = sqlite3_errmsg(db);
    sqlite3_finalize(cls);
    sqlite3_finalize(file);
    ok = ok && Run(db, "COMMIT", error);
    sqlite3_close(db);
    return ok;
}

bool DamageFile(const std::string& path, long offset, int count) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file || !file.seekg(0, std::ios::end) || file.tellg() < offset + count) return false;
    file.seekp(offset);
    for (int i = 0; i < count; ++i) file.put(static_cast<char>(0xA5 ^ i));
    return static_cast<bool>(file.flush());
}

bool DamageTable(const std::string& path, const char* key, const std::string& table) {
    sqlite3* db = OpenForWriting(path, key, 4000, false, nullptr);
    if (!db) return false;
    // The first column of the first row of sql, or 0.
    auto first = [db](const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        long value = 0;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            value = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        return value;
    };
    const long page = first("SELECT rootpage FROM sqlite_master WHERE name = '" + table + "'");
    const long pageSize = first("PRAGMA page_size");
    sqlite3_close(db);
    // The middle of the page: past any header, inside the enciphered content.
    return page > 0 && pageSize > 0 && DamageFile(path, (page - 1) * pageSize + pageSize / 2);
}

}  // namespace zorbel::test
