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
    std::unique_ptr<CSqlStatement> statement(db.Prepare(sql::SqlTypeOfTitle(titleName)));
    if (!statement || !statement->IsValid() || !statement->NextRow()) return result;
    result.ok = true;
    result.kind = KindOfType(statement->ColumnInt(0));
    return result;
}

}  // namespace zorbel::listening
