#pragma once

#include <string>

struct sqlite3;

namespace zorbel::test {

// Another program's hold on a catalog: a connection of its own that begins a transaction of
// the given kind ("EXCLUSIVE" keeps readers out too, "IMMEDIATE" only other writers) and keeps
// it until Release or destruction. Release may come from another thread.
class CatalogLock {
public:
    CatalogLock(const std::string& path, const char* key, const char* kind = "EXCLUSIVE");
    ~CatalogLock();
    CatalogLock(const CatalogLock&) = delete;
    CatalogLock& operator=(const CatalogLock&) = delete;

    bool Held() const { return m_held; }
    void Release();

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};

}  // namespace zorbel::test
