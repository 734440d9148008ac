#include "tests/app/CatalogLock.h"

#include <sqlite3.h>

#include <cstring>

namespace zorbel::test {

CatalogLock::CatalogLock(const std::string& path, const char* key, const char* kind) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return;
    if (key) sqlite3_key(m_db, key, static_cast<int>(std::strlen(key)));
    const std::string sql = std::string("PRAGMA kdf_iter = 4000; BEGIN ") + kind;
    m_held = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

CatalogLock::~CatalogLock() {
    Release();
}

void CatalogLock::Release() {
    if (m_held) sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    m_held = false;
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
}

}  // namespace zorbel::test
