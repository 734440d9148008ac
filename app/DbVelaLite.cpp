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

    // Keying always succeeds; a wrong key (or a file that is no database) only shows when the
    // schema is read. A database without any table (an empty file, say) is no catalog either:
    // it is damaged data, not an empty catalog.
    sqlite3_stmt* check = nullptr;
    bool ok = sqlite3_prepare_v2(m_pDb, "SELECT count(*) FROM sqlite_master", -1, &check,
                                 nullptr) == SQLITE_OK &&
              sqlite3_step(check) == SQLITE_ROW && sqlite3_column_int(check, 0) > 0;
    if (check) sqlite3_finalize(check);
    if (!ok) return false;

    return sqlite3_create_function(m_pDb, "RANDOM", 1, SQLITE_UTF8, nullptr, &RandomWithArgument,
                                   nullptr, nullptr) == SQLITE_OK;
}

CSqlStatement* CDbVelaLite::Prepare(const char* sql) {
    return new (std::nothrow) CSqlStatement(sql, m_pDb);
}

bool CDbVelaLite::ExecuteSql(const char* sql) {
    CSqlStatement* statement = Prepare(sql);
    if (!statement) return false;
    bool ok = statement->Execute();
    delete statement;
    return ok;
}
