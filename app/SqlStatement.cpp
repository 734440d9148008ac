#include "app/SqlStatement.h"

#include <sqlite3.h>

#include "app/DbVelaLite.h"

namespace {

// Room for the usual title and class names, so that consecutive values share one buffer.
constexpr std::size_t kTextReserve = 256;

}  // namespace

CSqlStatement::CSqlStatement(const char* sql, sqlite3* db, CDbVelaLite* owner) : m_pOwner(owner) {
    m_strText.reserve(kTextReserve);
    if (!sql || !db) {
        m_nLastResult = SQLITE_MISUSE;
        return;
    }
    const int result = sqlite3_prepare_v2(db, sql, -1, &m_pStmt, nullptr);
    if (result != SQLITE_OK) {
        // A failed prepare may still have produced a handle; it is not kept.
        if (m_pStmt) sqlite3_finalize(m_pStmt);
        m_pStmt = nullptr;
    }
    Remember(result);
}

CSqlStatement::~CSqlStatement() {
    if (m_pStmt) sqlite3_finalize(m_pStmt);
}

bool CSqlStatement::IsBusyResult(int result) {
    const int primary = result & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool CSqlStatement::IsDamageResult(int result) {
    switch (result & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_FORMAT:
            return true;
        default:
            return false;
    }
}

void CSqlStatement::Remember(int result) {
    m_nLastResult = result;
    if (m_pOwner) m_pOwner->Note(result);
}

bool CSqlStatement::NextRow() {
    if (!m_pStmt) return false;
    const int result = sqlite3_step(m_pStmt);
    Remember(result);
    switch (result) {
        case SQLITE_ROW:
            return true;
        case SQLITE_DONE:
            sqlite3_reset(m_pStmt);
            return false;
        default:
            return false;
    }
}

bool CSqlStatement::Rebind(int index, int value) {
    if (!m_pStmt) return false;
    sqlite3_reset(m_pStmt);
    return sqlite3_bind_int(m_pStmt, index, value) == SQLITE_OK;
}

bool CSqlStatement::Execute() {
    if (!m_pStmt) return false;
    const int result = sqlite3_step(m_pStmt);
    Remember(result);
    if (result != SQLITE_DONE) return false;
    sqlite3_reset(m_pStmt);
    return true;
}

int CSqlStatement::ColumnInt(int column) {
    if (!m_pStmt) return 0;
    return sqlite3_column_int(m_pStmt, column);
}

const char* CSqlStatement::ColumnText(int column) {
    const unsigned char* value = m_pStmt ? sqlite3_column_text(m_pStmt, column) : nullptr;
    // assign() keeps the buffer when the value fits, so an earlier pointer shows the new value.
    if (value)
        m_strText.assign(reinterpret_cast<const char*>(value));
    else
        m_strText.assign("(null)");
    return m_strText.c_str();
}

int CSqlStatement::ColumnCount() {
    if (!m_pStmt) return 0;
    return sqlite3_column_count(m_pStmt);
}
