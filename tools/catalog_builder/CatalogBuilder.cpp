#include "tools/catalog_builder/CatalogBuilder.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/catalog_builder/CatalogSchema.h"
#include "tools/catalog_builder/TitleName.h"

namespace zorbel::catalogbuild {

namespace fs = std::filesystem;

namespace {

// One connection on the temporary file; closes on every path out.
class Connection {
public:
    ~Connection() {
        if (m_db) sqlite3_close(m_db);
    }

    bool Open(const std::string& path, const std::string& key, std::string* error) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return Fail("cannot open " + path, error);
        if (sqlite3_key(m_db, key.data(), static_cast<int>(key.size())) != SQLITE_OK)
            return Fail("cannot set the key", error);
        // Only takes effect after the key, and must come before anything reads the file.
        const std::string kdf = "PRAGMA kdf_iter = " + std::to_string(kCatalogKdfIter);
        return Exec(kdf.c_str(), error);
    }

    bool Exec(const char* sql, std::string* error) {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
        std::string text = message ? message : sqlite3_errmsg(m_db);
        sqlite3_free(message);
        *error = text + " (in: " + sql + ")";
        return false;
    }

    bool Fail(const std::string& what, std::string* error) {
        *error = what + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
        return false;
    }

    sqlite3* Handle() const { return m_db; }

    bool Close(std::string* error) {
        const int rc = sqlite3_close(m_db);
        if (rc != SQLITE_OK) return Fail("cannot close the catalog", error);
        m_db = nullptr;
        return true;
    }

private:
    sqlite3* m_db = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db) {
        sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    void Int(int index, int value) { sqlite3_bind_int(m_stmt, index, value); }
    void Text(int index, const std::string& value) {
        sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }
    // Runs the bound insert and readies the statement for the next row.
    bool Run(std::string* error) {
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (rc == SQLITE_DONE) return true;
        *error = sqlite3_errmsg(m_db);
        return false;
    }
    sqlite3_stmt* Handle() const { return m_stmt; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

bool Prepared(Statement& st, sqlite3* db, std::string* error) {
    if (st.Ok()) return true;
    *error = std::string("cannot prepare an insert: ") + sqlite3_errmsg(db);
    return false;
}

bool InsertRows(sqlite3* db, const CatalogSeed& seed, std::string* error) {
    std::string why;
    {
        Statement st(
            db, "INSERT INTO T_Raruri_Class(f_ClassID, f_ClassName, f_TypeID) VALUES (?, ?, ?)");
        if (!Prepared(st, db, error)) return false;
        for (const SeedClass& c : seed.classes) {
            if (c.typeId < 1 || c.typeId > 4) {
                *error = "class " + std::to_string(c.classId) + " has type " +
                         std::to_string(c.typeId) + ", not 1 to 4";
                return false;
            }
            st.Int(1, c.classId);
            st.Text(2, c.name);
            st.Int(3, c.typeId);
            if (!st.Run(&why)) {
                *error = "class " + std::to_string(c.classId) + ": " + why;
                return false;
            }
        }
    }
    {
        Statement st(db,
                     "INSERT INTO T_Raruri_FileList(f_FileID, f_ClassID, f_ProgramName, "
                     "f_Describe, f_Clicks) "
                     "VALUES (?, ?, ?, '', ?)");
        if (!Prepared(st, db, error)) return false;
        for (const SeedTitle& t : seed.titles) {
            if (const std::string p = TitleNameProblem(t.name); !p.empty()) {
                *error = "title " + std::to_string(t.fileId) + ": " + p;
                return false;
            }
            st.Int(1, t.fileId);
            st.Int(2, t.classId);
            st.Text(3, t.name);
            st.Int(4, t.clicks);
            if (!st.Run(&why)) {
                *error = "title " + std::to_string(t.fileId) + " (" + t.name + "): " + why;
                return false;
            }
        }
    }
    {
        Statement st(db, "INSERT INTO T_Raruri_MovieClass(f_ClassID, f_ClassName) VALUES (?, ?)");
        if (!Prepared(st, db, error)) return false;
        for (const SeedMovieClass& c : seed.movieClasses) {
            st.Int(1, c.classId);
            st.Text(2, c.name);
            if (!st.Run(&why)) {
                *error = "movie class " + std::to_string(c.classId) + ": " + why;
                return false;
            }
        }
    }
    {
        Statement st(db,
                     "INSERT INTO T_Raruri_MovieList(f_ID, f_ClassID, f_MovieName, f_Url) VALUES "
                     "(?, ?, ?, ?)");
        if (!Prepared(st, db, error)) return false;
        for (const SeedMovie& m : seed.movies) {
            st.Int(1, m.id);
            st.Int(2, m.classId);
            st.Text(3, m.name);
            st.Text(4, m.address);
            if (!st.Run(&why)) {
                *error = "movie " + std::to_string(m.id) + ": " + why;
                return false;
            }
        }
    }
    {
        Statement st(db,
                     "INSERT INTO T_Sys_Skins(f_H, f_S, f_B, f_texture, f_Theme, f_UserID) VALUES "
                     "(?, ?, ?, ?, ?, ?)");
        if (!Prepared(st, db, error)) return false;
        for (const SeedSkin& s : seed.skins) {
            st.Int(1, s.h);
            st.Int(2, s.s);
            st.Int(3, s.b);
            st.Text(4, s.texture);
            st.Text(5, s.theme);
            st.Text(6, s.userId);
            if (!st.Run(&why)) {
                *error = "skin row: " + why;
                return false;
            }
        }
    }
    return true;
}

// A title or cartoon in a class that does not exist would never be shown.
bool CheckReferences(sqlite3* db, std::string* error) {
    struct Check {
        const char* sql;
        const char* what;
        const char* classWhat;
    };
    const Check checks[] = {
        {"SELECT f_FileID, f_ClassID FROM T_Raruri_FileList "
         "WHERE f_ClassID NOT IN (SELECT f_ClassID FROM T_Raruri_Class) LIMIT 1",
         "title ", "class "},
        {"SELECT f_ID, f_ClassID FROM T_Raruri_MovieList "
         "WHERE f_ClassID NOT IN (SELECT f_ClassID FROM T_Raruri_MovieClass) LIMIT 1",
         "movie ", "movie class "},
    };
    for (const Check& c : checks) {
        Statement st(db, c.sql);
        if (!st.Ok()) {
            *error = std::string("cannot check the classes: ") + sqlite3_errmsg(db);
            return false;
        }
        if (sqlite3_step(st.Handle()) == SQLITE_ROW) {
            *error = std::string(c.what) + std::to_string(sqlite3_column_int(st.Handle(), 0)) +
                     " names " + c.classWhat + std::to_string(sqlite3_column_int(st.Handle(), 1)) +
                     ", which does not exist";
            return false;
        }
    }
    return true;
}

// Reads the finished file back the way the program opens it: a wrong key or kdf setting shows
// as SQLITE_NOTADB when the schema is read.
bool Verify(const std::string& path, const std::string& key, int expectedTitles,
            std::string* error) {
    Connection db;
    if (!db.Open(path, key, error)) return false;
    Statement st(db.Handle(), "SELECT count(*) FROM T_Raruri_FileList");
    if (!st.Ok() || sqlite3_step(st.Handle()) != SQLITE_ROW) {
        *error = std::string("the written catalog does not read back with its key: ") +
                 sqlite3_errmsg(db.Handle());
        return false;
    }
    const int titles = sqlite3_column_int(st.Handle(), 0);
    if (titles != expectedTitles) {
        *error = "the written catalog holds " + std::to_string(titles) + " titles instead of " +
                 std::to_string(expectedTitles);
        return false;
    }
    return true;
}

void RemoveQuietly(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
}

}  // namespace

BuildResult BuildCatalog(const CatalogSeed& seed, const std::string& outputPath,
                         const std::string& key) {
    BuildResult result;
    if (outputPath.empty()) {
        result.error = "no output file given";
        return result;
    }
    if (key.empty()) {
        result.error = "the catalog key is empty";
        return result;
    }

    const fs::path out(outputPath);
    std::error_code ec;
    if (fs::is_directory(out, ec)) {
        result.error = outputPath + " is a folder";
        return result;
    }
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    fs::create_directories(folder, ec);
    if (ec) {
        result.error = "cannot create the folder " + folder.string() + ": " + ec.message();
        return result;
    }

    std::string temp = (folder / ("." + out.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        result.error = "cannot create a file in " + folder.string() + ": " + std::strerror(errno);
        return result;
    }
    close(fd);

    std::string error;
    bool ok = false;
    {
        Connection db;
        ok = db.Open(temp, key, &error) && db.Exec("BEGIN", &error);
        for (const char* ddl : CatalogSchemaStatements()) {
            if (!ok) break;
            ok = db.Exec(ddl, &error);
        }
        ok = ok && InsertRows(db.Handle(), seed, &error) && CheckReferences(db.Handle(), &error) &&
             db.Exec("COMMIT", &error) && db.Close(&error);
    }
    ok = ok && Verify(temp, key, static_cast<int>(seed.titles.size()), &error);

    if (ok) {
        // mkstemp makes the file private; the catalog is shipped and copied like any data file.
        const mode_t mask = umask(0);
        umask(mask);
        if (chmod(temp.c_str(), 0666 & ~mask) != 0) {
            ok = false;
            error = std::string("cannot set the file's permissions: ") + std::strerror(errno);
        }
    }
    if (ok && std::rename(temp.c_str(), outputPath.c_str()) != 0) {
        ok = false;
        error = "cannot move the catalog to " + outputPath + ": " + std::strerror(errno);
    }
    if (!ok) {
        RemoveQuietly(temp);
        result.error = error;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace zorbel::catalogbuild
