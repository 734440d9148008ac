#pragma once

#include <string>

struct sqlite3;
class CSqlStatement;

// One connection to the enciphered catalog database. Every catalog operation makes its own
// (with new), opens it, runs its statements and deletes it; deleting closes the database.
// Nothing here shows a message, logs or throws: every failure is a false or empty result, and
// MetLock and MetDamage tell the callers which failures were a lock and which were damage.
class CDbVelaLite {
public:
    CDbVelaLite();
    virtual ~CDbVelaLite();
    CDbVelaLite(const CDbVelaLite&) = delete;
    CDbVelaLite& operator=(const CDbVelaLite&) = delete;

    // Opens an existing database file for reading and writing with key (null for a plain
    // database). False when the file is missing, is no database or one without any table
    // (an empty file), cannot be opened, or the key does not decipher it; the catalog is never
    // created here. A file that another connection keeps locked past the busy timeout opens
    // all the same, with MetLock set: a lock is no damage, and the first statement that gets
    // through reads with the key.
    bool Open(const char* path, const char* key);

    // How long a statement waits for another connection's lock before it gives up busy, in
    // milliseconds; takes effect at once and for later opens. kBusyTimeoutMs unless set.
    void SetBusyTimeout(int milliseconds);

    // Since Open: whether the key check or a statement of this connection met another
    // connection's lock, and whether one found the data damaged (a damaged page, no database,
    // an I/O error; see CSqlStatement::IsDamaged). A rejected text is neither.
    bool MetLock() const { return m_bMetLock; }
    bool MetDamage() const { return m_bMetDamage; }

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

    // Every catalog operation runs on the UI thread: a lock held for longer than this reads
    // as busy rather than freezing the window.
    static constexpr int kBusyTimeoutMs = 100;

private:
    friend class CSqlStatement;
    // A statement's result, for MetLock and MetDamage.
    void Note(int result);

    sqlite3* m_pDb = nullptr;
    int m_nBusyTimeoutMs = kBusyTimeoutMs;
    bool m_bMetLock = false;
    bool m_bMetDamage = false;
};
