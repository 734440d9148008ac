#include "app/DbVelaLite.h"

#include <sqlite3.h>

#include <cstring>
#include <new>
#include <string>

#include "app/SqlStatement.h"
#include "platform/VelacodeApp.h"

namespace {

// The recommended list asks for RANDOM(x), a form the database library does not offer;
// the argument carries no meaning there.
void RandomWithArgument(sqlite3_context* context, int /*argc*/, sqlite3_value** /*argv*/) {
    sqlite3_int64 value = 0;
    sqlite3_randomness(sizeof value, &value);
    sqlite3_result_int64(context, value);
}

}  // namespace

CDbVelaLite::CDbVelaLite() = default;

CDbVelaLite::~CDbVelaLite() {
    if (m_pDb) sqlite3_close(m_pDb);
}

bool CDbVelaLite::Open(const char* path, const char* key) {
    if (m_pDb) {
        sqlite3_close(m_pDb);
        m_pDb = nullptr;
    }
    m_bMetLock = m_bMetDamage = false;
    // An empty name would open a private temporary database that looks like a good one.
    if (!path || !*path) return false;

    std::string encoded;
    {
        CVelacodeApp* code = new (std::nothrow) CVelacodeApp;
        if (!code) return false;
        encoded = code->PathEncode(path);
        delete code;
    }

    // Read-write without create: a missing file is a failure, not a new empty catalog.
    // The handle of a failed open stays here so that the destructor closes it; it must not
    // be keyed, which crashes the cipher library.
    if (sqlite3_open_v2(encoded.c_str(), &m_pDb, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return false;
    if (key) {
        if (sqlite3_key(m_pDb, key, static_cast<int>(std::strlen(key))) != SQLITE_OK) return false;
        // Only takes effect after the key is set.
        const std::string kdf = "PRAGMA kdf_iter = " + std::to_string(kKdfIterations);
        if (sqlite3_exec(m_pDb, kdf.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    }

    sqlite3_busy_timeout(m_pDb, m_nBusyTimeoutMs);

    // Keying always succeeds; a wrong key (or a file that is no database) only shows when the
    // schema is read. A database without any table (an empty file, say) is no catalog either:
    // it is damaged data, not an empty catalog. Another program's write lock stops the read
    // too; the file is then taken as the catalog it was (a lock is no damage).
    sqlite3_stmt* check = nullptr;
    int result =
        sqlite3_prepare_v2(m_pDb, "SELECT count(*) FROM sqlite_master", -1, &check, nullptr);
    if (result == SQLITE_OK) result = sqlite3_step(check);
    const bool hasTables = result == SQLITE_ROW && sqlite3_column_int(check, 0) > 0;
    if (check) sqlite3_finalize(check);
    if (CSqlStatement::IsBusyResult(result))
        m_bMetLock = true;
    else if (!hasTables)
        return false;

    return sqlite3_create_function(m_pDb, "RANDOM", 1, SQLITE_UTF8, nullptr, &RandomWithArgument,
                                   nullptr, nullptr) == SQLITE_OK;
}

void CDbVelaLite::SetBusyTimeout(int milliseconds) {
    m_nBusyTimeoutMs = milliseconds;
    if (m_pDb) sqlite3_busy_timeout(m_pDb, milliseconds);
}

void CDbVelaLite::Note(int result) {
    if (CSqlStatement::IsBusyResult(result))
        m_bMetLock = true;
    else if (CSqlStatement::IsDamageResult(result))
        m_bMetDamage = true;
}

CSqlStatement* CDbVelaLite::Prepare(const char* sql) {
    return new (std::nothrow) CSqlStatement(sql, m_pDb, this);
}

bool CDbVelaLite::ExecuteSql(const char* sql) {
    CSqlStatement* statement = Prepare(sql);
    if (!statement) return false;
    bool ok = statement->Execute();
    delete statement;
    return ok;
}
