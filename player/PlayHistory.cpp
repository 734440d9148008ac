#include "player/PlayHistory.h"

#include <filesystem>
#include <memory>
#include <utility>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "platform/MessageBoxStyle.h"

namespace {

using zorbel::WriteOutcome;
using zorbel::sql::kFileClicks;
using zorbel::sql::kFileId;
using zorbel::sql::kRecordClicks;
using zorbel::sql::kRecordFileId;

// The catalog at path, opened with the catalog key; null when there is none to open.
std::unique_ptr<CDbVelaLite> OpenCatalog(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return nullptr;
    auto db = std::make_unique<CDbVelaLite>();
    if (!db->Open(path, zorbel::files::kCatalogKey)) return nullptr;
    return db;
}

// Rows of a query, handed one by one to onRow; the number of rows. An empty statement text
// (a builder refused its values) is skipped and yields no row.
template <typename OnRow>
int ForEachRow(CDbVelaLite& db, const std::string& sql, OnRow onRow) {
    if (sql.empty()) return 0;
    std::unique_ptr<CSqlStatement> statement(db.Prepare(sql));
    int rows = 0;
    while (statement && statement->NextRow()) {
        onRow(*statement);
        ++rows;
    }
    return rows;
}

bool Execute(CDbVelaLite& db, const std::string& sql) {
    return !sql.empty() && db.ExecuteSql(sql);
}

// Why a write on db did not land: damage before a lock, since trying again cannot mend it.
WriteOutcome Trouble(const CDbVelaLite& db) {
    if (db.MetDamage()) return WriteOutcome::kDataFailure;
    if (db.MetLock()) return WriteOutcome::kLocked;
    return WriteOutcome::kNotWritten;
}

std::string Format(const char* before, const std::string& title, const char* after) {
    return std::string(before) + title + after;
}

}  // namespace

CPlayHistory::CPlayHistory() = default;

CPlayHistory::CPlayHistory(std::string catalogPath) : m_strCatalogPath(std::move(catalogPath)) {}

CPlayHistory::~CPlayHistory() = default;

std::string CPlayHistory::CatalogFile() const {
    return m_strCatalogPath.empty() ? zorbel::files::CatalogPath() : m_strCatalogPath;
}

CPlayHistory::FavoriteResult CPlayHistory::AddFavorite(
    const std::string& title, const std::function<void(const FavoriteResult&)>& beforeUpdate) {
    FavoriteResult result;
    result.title = title;
    std::unique_ptr<CDbVelaLite> db = OpenCatalog(CatalogFile());
    if (!db) {
        result.outcome = FavoriteOutcome::DataFailure;
        return result;
    }
    // The lookups below would only wait for the same lock again.
    if (db->MetLock()) {
        result.outcome = FavoriteOutcome::Locked;
        return result;
    }

    // When several titles match, the last row decides.
    std::string fileId;
    ForEachRow(*db, zorbel::sql::SqlTitleByName(title),
               [&](CSqlStatement& row) { fileId = row.ColumnText(kFileId); });

    int clicks = 0;
    const int favourites =
        ForEachRow(*db, zorbel::sql::SqlFavoriteOf(fileId), [&](CSqlStatement& row) {
            fileId = row.ColumnText(kRecordFileId);
            clicks = row.ColumnInt(kRecordClicks);
        });
    // A lookup that failed tells nothing about the title: no notice of it, no write.
    if (db->MetDamage() || db->MetLock()) {
        result.outcome = Trouble(*db) == WriteOutcome::kLocked ? FavoriteOutcome::Locked
                                                               : FavoriteOutcome::DataFailure;
        return result;
    }
    if (favourites > 0) {
        result.outcome = FavoriteOutcome::AlreadyFavourite;
        if (beforeUpdate) beforeUpdate(result);
        Execute(*db, zorbel::sql::SqlUpdateFavorite(clicks + 1, fileId));
        if (db->MetLock()) result.outcome = FavoriteOutcome::Locked;
        if (db->MetDamage()) result.outcome = FavoriteOutcome::DataFailure;
        return result;
    }

    const bool added = Execute(*db, zorbel::sql::SqlInsertFavorite(fileId, CurrentUserId));
    if (db->MetLock())
        result.outcome = FavoriteOutcome::Locked;
    else if (db->MetDamage())
        result.outcome = FavoriteOutcome::DataFailure;
    else
        result.outcome = added ? FavoriteOutcome::Added : FavoriteOutcome::AddFailed;
    return result;
}

WriteOutcome CPlayHistory::StoreFavorite(const std::string& title) {
    switch (AddFavorite(title).outcome) {
        case FavoriteOutcome::AlreadyFavourite:
        case FavoriteOutcome::Added:
            return WriteOutcome::kWritten;
        case FavoriteOutcome::AddFailed:
            return WriteOutcome::kNotWritten;
        case FavoriteOutcome::Locked:
            return WriteOutcome::kLocked;
        case FavoriteOutcome::DataFailure:
            break;
    }
    return WriteOutcome::kDataFailure;
}

WriteOutcome CPlayHistory::RecordPlay(const std::string& title) {
    std::unique_ptr<CDbVelaLite> db = OpenCatalog(CatalogFile());
    if (!db) return WriteOutcome::kDataFailure;
    if (db->MetLock()) return WriteOutcome::kLocked;

    // The title's count and the history row land together or not at all: a play that met a
    // lock half-way is tried again whole and must not count twice.
    if (!db->ExecuteSql("BEGIN IMMEDIATE")) return Trouble(*db);

    std::string fileId;
    int clicks = 0;
    const int titles = ForEachRow(*db, zorbel::sql::SqlTitleByName(title), [&](CSqlStatement& row) {
        fileId = row.ColumnText(kFileId);
        clicks = row.ColumnInt(kFileClicks);
    });
    if (titles > 0) Execute(*db, zorbel::sql::SqlUpdateClicks(clicks + 1, fileId));

    clicks = 0;
    const int played = ForEachRow(*db, zorbel::sql::SqlPlayedOf(fileId), [&](CSqlStatement& row) {
        fileId = row.ColumnText(kRecordFileId);
        clicks = row.ColumnInt(kRecordClicks);
    });
    bool recorded = false;
    if (!db->MetDamage() && !db->MetLock()) {
        recorded = played > 0 ? Execute(*db, zorbel::sql::SqlUpdatePlayed(clicks + 1, fileId))
                              : Execute(*db, zorbel::sql::SqlInsertPlayed(fileId, CurrentUserId));
    }

    if (db->MetDamage() || db->MetLock() || !db->ExecuteSql("COMMIT")) {
        db->ExecuteSql("ROLLBACK");
        return Trouble(*db);
    }
    return recorded ? WriteOutcome::kWritten : WriteOutcome::kNotWritten;
}

CPlayHistory::Notice CPlayHistory::FavoriteNotice(const FavoriteResult& result,
                                                  const std::string& siteName) {
    Notice notice;
    notice.caption = kFavoriteCaption;
    switch (result.outcome) {
        case FavoriteOutcome::DataFailure:
            return DataFailureNotice(siteName);
        case FavoriteOutcome::AlreadyFavourite:
            notice.text = Format("您已经为宝宝收藏过“", result.title, "”咯！");
            notice.style = zorbel::kMbOk | zorbel::kMbIconInformation;
            break;
        case FavoriteOutcome::Added:
        case FavoriteOutcome::Locked:
            notice.text = Format("哇哇，成功为宝宝收藏“", result.title, "”咯！");
            notice.style = zorbel::kMbOk | zorbel::kMbIconWarning;
            break;
        case FavoriteOutcome::AddFailed:
            notice.text = Format("555~~~，为宝宝收藏“", result.title, "”没有成功哦！");
            notice.style = zorbel::kMbOk | zorbel::kMbIconWarning;
            break;
    }
    return notice;
}

CPlayHistory::Notice CPlayHistory::DataFailureNotice(const std::string& siteName) {
    Notice notice;
    notice.text = "CODE:1002，程序数据被损坏，请联系" + siteName + "解决！";
    notice.caption = kDataFailureCaption;
    notice.style = zorbel::kMbOk | zorbel::kMbIconError;
    notice.ownedByPlayer = true;
    return notice;
}

std::string CPlayHistory::VendorSiteName() {
    return zorbel::files::LoadHosts().vendorSiteName;
}
