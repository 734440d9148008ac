#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;
class CDbVelaLite;

// One prepared statement of the catalog database. Made by CDbVelaLite::Prepare; the caller
// deletes it, always before the connection it came from. A text the database rejects still
// gives a statement: it has no handle, returns no rows and executes nothing.
//
// The statement remembers how its last prepare or step ended, so that a caller can tell "no
// rows" from "locked by another program" and from "damaged data"; it also tells its
// connection (CDbVelaLite::MetLock, MetDamage).
class CSqlStatement {
public:
    // owner, when given, hears of every lock and every damage the statement meets.
    CSqlStatement(const char* sql, sqlite3* db, CDbVelaLite* owner = nullptr);
    virtual ~CSqlStatement();
    CSqlStatement(const CSqlStatement&) = delete;
    CSqlStatement& operator=(const CSqlStatement&) = delete;

    // Advances to the next row. False at the end of the rows (the statement is then reset,
    // so the next call starts over at the first row), on any error and when busy.
    bool NextRow();

    // Starts the statement over with `value` in its parameter `index` (numbered from 1), so
    // one prepared statement serves many values. False when the statement has no handle or
    // no such parameter. What the last step met was told when it met it.
    bool Rebind(int index, int value);

    // Runs a statement that returns no rows; true only when it ran to completion. A
    // statement that yields a row returns false and stays on that row.
    bool Execute();

    // Columns are numbered from 0 in the order of the table's or view's definition.
    int ColumnInt(int column);

    // The column's value as text, "(null)" for NULL (and for a column that does not exist or
    // a statement that is not on a row). The text lives in this statement's buffer: it stays
    // valid until the next ColumnText call on this statement or its deletion, and that next
    // call overwrites it in place when the new value fits. Callers copy what they keep.
    const char* ColumnText(int column);

    int ColumnCount();

    // Whether the database accepted the text.
    bool IsValid() const { return m_pStmt != nullptr; }

    // The database's result for the last prepare or step: SQLITE_OK after preparing,
    // SQLITE_ROW, SQLITE_DONE or the error. A statement without a handle keeps the result of
    // its prepare (SQLITE_MISUSE when there was no text or no connection).
    int LastResult() const { return m_nLastResult; }
    // Another connection held a lock the statement needed: nothing was read or written, and
    // the data are not at fault.
    bool IsBusy() const { return IsBusyResult(m_nLastResult); }
    // The data failed (a damaged page, no database or the wrong key, an I/O error): what was
    // read is not all there is. A rejected text is no damage: it only yields no rows.
    bool IsDamaged() const { return IsDamageResult(m_nLastResult); }

    static bool IsBusyResult(int result);
    static bool IsDamageResult(int result);

private:
    void Remember(int result);

    sqlite3_stmt* m_pStmt = nullptr;
    std::string m_strText;
    CDbVelaLite* m_pOwner = nullptr;
    int m_nLastResult = 0;
};
