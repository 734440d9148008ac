#include "catalog/CatalogTypeRows.h"

#include <sys/stat.h>

#include <memory>

#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"

namespace zorbel::catalog {

bool FileStamp::operator==(const FileStamp& other) const {
    return ok == other.ok && device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}

FileStamp StampFile(const std::string& path) {
    FileStamp stamp;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return stamp;
    stamp.ok = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    stamp.changedNs = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
    return stamp;
}

TypeRows ReadCatalogType(CDbVelaLite& db, const std::string& typeId) {
    TypeRows rows;
    const std::string classesSql = sql::SqlClassesOfType(typeId);
    if (classesSql.empty()) return rows;
    std::unique_ptr<CSqlStatement> classes(db.Prepare(classesSql));
    if (!classes || !classes->IsValid()) return rows;
    // One statement for the titles of every class: preparing it anew for each of a hundred
    // classes cost as much as reading their titles. One that did not prepare (a lock, say) is
    // tried again for the next class, as a fresh one would be.
    std::unique_ptr<CSqlStatement> titles;
    while (classes->NextRow()) {
        TitleClass& titleClass = rows.emplace_back();
        titleClass.name = classes->ColumnText(sql::kClassName);
        if (!titles || !titles->IsValid()) titles.reset(db.Prepare(sql::SqlTitlesOfBoundClass()));
        if (!titles || !titles->Rebind(1, classes->ColumnInt(sql::kClassId))) continue;
        while (titles->NextRow())
            titleClass.titles.push_back(titles->ColumnText(sql::kFileProgramName));
    }
    return rows;
}

const TypeRows* CatalogTypeRows::Find(const std::string& typeId, const FileStamp& stamp) const {
    if (!stamp.ok || !(stamp == m_stamp)) return nullptr;
    auto found = m_rows.find(typeId);
    return found == m_rows.end() ? nullptr : &found->second;
}

const TypeRows* CatalogTypeRows::Keep(const std::string& typeId, const FileStamp& stamp,
                                      TypeRows&& rows) {
    if (!stamp.ok) return nullptr;
    if (!(stamp == m_stamp)) {
        m_rows.clear();
        m_stamp = stamp;
    }
    TypeRows& kept = m_rows[typeId];
    kept = std::move(rows);
    return &kept;
}

}  // namespace zorbel::catalog
