#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement of the catalog database. Made by CDbVelaLite::Prepare; the caller
// deletes it, always before the connection it came from. A text the database rejects still
// gives a statement: it has no handle, returns no rows and executes nothing.
class CSqlStatement {
public:
    CSqlStatement(const char* sql, sqlite3* db);
    virtual ~CSqlStatement();
    CSqlStatement(const CSqlStatement&) = delete;
    CSqlStatement& operator=(const CSqlStatement&) = delete;

    // Advances to the next row. False at the end of the rows (the statement is then reset,
    // so the next call starts over at the first row), on any error and when busy.
    bool NextRow();

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

private:
    sqlite3_stmt* m_pStmt = nullptr;
    std::string m_strText;
};
