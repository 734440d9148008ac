#pragma once

#include <string>

struct sqlite3;
class CSqlStatement;

// One connection to the enciphered catalog database. Every catalog operation makes its own
// (with new), opens it, runs its statements and deletes it; deleting closes the database.
// Nothing here shows a message, logs or throws: every failure is a false or empty result.
class CDbVelaLite {
public:
    CDbVelaLite();
    virtual ~CDbVelaLite();
    CDbVelaLite(const CDbVelaLite&) = delete;
    CDbVelaLite& operator=(const CDbVelaLite&) = delete;

    // Opens an existing database file for reading and writing with key (null for a plain
    // database). False when the file is missing, is no database or one without any table
    // (an empty file), cannot be opened, is locked by a writer, or the key does not decipher
    // it; the catalog is never created here.
    bool Open(const char* path, const char* key);

    // A new statement for sql on this connection, for the caller to delete. It exists (with no
    // handle) even when the text is rejected; null only when memory ran out.
    CSqlStatement* Prepare(const char* sql);

    // Prepare, Execute, delete: true when the statement ran to completion. For INSERT and
    // UPDATE.
    bool ExecuteSql(const char* sql);

    bool Open(const std::string& path, const char* key) { return Open(path.c_str(), key); }
    CSqlStatement* Prepare(const std::string& sql) { return Prepare(sql.c_str()); }
    bool ExecuteSql(const std::string& sql) { return ExecuteSql(sql.c_str()); }

    // The connection, for code that talks to the database directly (tests, tools).
    sqlite3* Handle() const { return m_pDb; }

    // Key derivation rounds of the catalog. The catalog is made with this cost and every
    // connection states it, so opening one costs about 2 ms instead of 30.
    static constexpr int kKdfIterations = 4000;

private:
    sqlite3* m_pDb = nullptr;
};
