#include "listening/TitleTypeLookup.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"

namespace zorbel::listening {

TitleKindResult TitleTypeLookup::KindOf(const std::string& catalogPath,
                                        const std::string& titleName) {
    TitleKindResult result;
    std::error_code error;
    if (catalogPath.empty() || !std::filesystem::is_regular_file(catalogPath, error)) return result;
    CDbVelaLite db;
    if (!db.Open(catalogPath, files::kCatalogKey)) return result;
    const std::string sql =
        "SELECT c.f_TypeID FROM T_Raruri_FileList f, T_Raruri_Class c "
        "WHERE f.f_ClassID=c.f_ClassID AND f.f_ProgramName='" +
        sql::Quote(titleName) + "' LIMIT 1";
    std::unique_ptr<CSqlStatement> statement(db.Prepare(sql));
    if (!statement || !statement->IsValid() || !statement->NextRow()) return result;
    result.ok = true;
    result.kind = KindOfType(statement->ColumnInt(0));
    return result;
}

}  // namespace zorbel::listening
