#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CDbVelaLite;

namespace zorbel::catalog {

// One class of a catalog type, with the names of its titles in the catalog's order.
struct TitleClass {
    std::string name;
    std::vector<std::string> titles;
};
using TypeRows = std::vector<TitleClass>;

// One state of a file on disk: a write or a replacement changes at least one part of it.
struct FileStamp {
    bool ok = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileStamp& other) const;
};
FileStamp StampFile(const std::string& path);

// Reads the classes of a catalog type and their titles. Reading stops at the first failure and
// keeps what came before it; the connection's MetLock and MetDamage tell whether there was one.
TypeRows ReadCatalogType(CDbVelaLite& db, const std::string& typeId);

// What each catalog type held when it was last read whole, for as long as the catalog file
// stays as it was then. A category click re-read and deciphered the whole catalog each time:
// most of the click's processor time with a large one.
class CatalogTypeRows {
public:
    // The rows of typeId as kept for a file in the state stamp, or null.
    const TypeRows* Find(const std::string& typeId, const FileStamp& stamp) const;
    // Keeps rows read from the file in the state stamp (rows of an older state go) and returns
    // them. A stamp of a file that could not be looked at keeps nothing and leaves rows as they
    // are: null.
    const TypeRows* Keep(const std::string& typeId, const FileStamp& stamp, TypeRows&& rows);

private:
    FileStamp m_stamp;
    std::map<std::string, TypeRows> m_rows;
};

}  // namespace zorbel::catalog
