// The main window's catalog tree: one catalog type, or the cartoons, read from the catalog
// database. The tree's visible root is a hidden item (the toolkit tree has a single root);
// classes lie under it and titles under their classes.
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <wx/treectrl.h>
#include <wx/wupdlock.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "catalog/CatalogTypeRows.h"
#include "mainwnd/PlimDlg.h"
#include "offline/OfflineShelf.h"
#include "platform/MemoryTrim.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"

namespace {

constexpr const char* kTreeElement = "tree.videolist";
constexpr const char* kItemElement = "drawitem.item";
constexpr const char* kItemLabel = "item.name";
constexpr const char* kItemCached = "item.cached";

// The hidden root the top-level items go under, made when the tree has none.
wxTreeItemId HiddenRoot(wxTreeCtrl* tree) {
    wxTreeItemId root = tree->GetRootItem();
    if (!root.IsOk()) root = tree->AddRoot(wxString());
    return root;
}

wxTreeItemId AppendItem(wxTreeCtrl* tree, const wxTreeItemId& parent, const std::string& text,
                        const std::string& label) {
    const wxTreeItemId item = tree->AppendItem(parent, wxString::FromUTF8(text));
    SkinDLL_TreeCtrl_SetDrawItemSkin(tree, item, kItemElement, 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, item, kItemLabel, label.c_str(), 0);
    return item;
}

bool CatalogFileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// The catalog connection of one load, or null when the file is missing or does not open. A
// catalog that another program holds locked opens and reads as empty: a lock is no damage.
std::unique_ptr<CDbVelaLite> OpenCatalog() {
    const std::string path = zorbel::files::CatalogPath();
    if (!CatalogFileExists(path)) return nullptr;
    auto db = std::make_unique<CDbVelaLite>();
    if (!db->Open(path, zorbel::files::kCatalogKey)) return nullptr;
    return db;
}

// Runs sql and hands each row to addRow; the statement goes before the connection does.
template <typename AddRow>
void ForEachRow(CDbVelaLite& db, const std::string& sql, AddRow addRow) {
    if (sql.empty()) return;
    std::unique_ptr<CSqlStatement> statement(db.Prepare(sql));
    if (!statement || !statement->IsValid()) return;
    while (statement->NextRow()) addRow(*statement);
}

}  // namespace

void CPlimDlg::ShowCatalogFailure() {
    const std::string siteName = zorbel::files::LoadHosts().vendorSiteName;
    zorbel::AppMessageBox(this, "CODE:1002，程序数据被损坏，请联系" + siteName + "解决！",
                          kMessageCaption, zorbel::kMbOk);
}

void CPlimDlg::LoadCatalogType(const std::string& typeId) {
    if (m_treeCatalog == nullptr) return;
    try {
        using namespace zorbel::catalog;
        // Stamped before the read: a write during it leaves a stamp that no longer matches.
        const FileStamp stamp = StampFile(zorbel::files::CatalogPath());
        const TypeRows* rows = m_catalogRows.Find(typeId, stamp);
        TypeRows read;
        bool damaged = false;
        if (rows == nullptr) {
            std::unique_ptr<CDbVelaLite> db = OpenCatalog();
            if (!db) {
                ShowCatalogFailure();
                return;
            }
            read = ReadCatalogType(*db, typeId);
            // Damage found half-way is told as a catalog that does not open; what was read
            // stays. Only a whole read, not cut short by a lock, stands for the file.
            damaged = db->MetDamage();
            if (!damaged && !db->MetLock())
                rows = m_catalogRows.Keep(typeId, stamp, std::move(read));
        }
        m_strShownType = typeId;
        FillCatalogTree(rows != nullptr ? *rows : read);
        if (damaged) ShowCatalogFailure();
        zorbel::TrimWorkingSet();
    } catch (...) {
        // A load that fails half-way keeps what it inserted; the user sees no message.
    }
}

void CPlimDlg::FillCatalogTree(const zorbel::catalog::TypeRows& rows) {
    wxTreeCtrl* tree = m_treeCatalog;
    // Stored titles carry the skin's mark; with the "playable offline" switch on, only they
    // (and the classes holding some) are shown.
    const zorbel::offline::OfflineShelf shelf(m_strCacheFolder);
    const auto stored = shelf.CachedNames();
    const bool storedOnly = shelf.PlayableOfflineOnly();
    // Each row's look asks for a repaint of the whole tree; with ten thousand rows that alone
    // cost more than the rows. The frozen tree is drawn once, when thawed.
    wxWindowUpdateLocker noUpdates(tree);
    tree->DeleteAllItems();
    SkinDLL_SubclassWindow(tree, kTreeElement);
    const wxTreeItemId root = HiddenRoot(tree);
    int classCount = 0;
    for (const zorbel::catalog::TitleClass& titleClass : rows) {
        const wxTreeItemId classItem = AppendItem(tree, root, titleClass.name, titleClass.name);
        for (const std::string& name : titleClass.titles) {
            const bool isStored = stored.count(name) != 0;
            if (storedOnly && !isStored) continue;
            const wxTreeItemId item = AppendItem(tree, classItem, name, name);
            if (isStored) SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, item, kItemCached, "1", 0);
        }
        if (storedOnly && !tree->ItemHasChildren(classItem)) {
            tree->Delete(classItem);
            continue;
        }
        if (classCount == 0) tree->Expand(classItem);
        ++classCount;
    }
}

void CPlimDlg::LoadCartoonCatalog() {
    if (m_treeCatalog == nullptr) return;
    try {
        std::unique_ptr<CDbVelaLite> db = OpenCatalog();
        if (!db) {
            ShowCatalogFailure();
            return;
        }
        wxTreeCtrl* tree = m_treeCatalog;
        bool damaged = false;
        {
            // As for the type loader: drawn once, when thawed.
            wxWindowUpdateLocker noUpdates(tree);
            SkinDLL_SubclassWindow(tree, kTreeElement);
            const wxTreeItemId root = HiddenRoot(tree);
            int classCount = 0;
            ForEachRow(*db, zorbel::sql::SqlMovieClasses(), [&](CSqlStatement& row) {
                const std::string label = row.ColumnText(zorbel::sql::kMovieClassName);
                const wxTreeItemId classItem = AppendItem(tree, root, label, label);
                const int classId = row.ColumnInt(zorbel::sql::kMovieClassId);
                ForEachRow(*db, zorbel::sql::SqlMoviesOfClass(classId), [&](CSqlStatement& movie) {
                    // The label comes first: ColumnText reuses the statement's buffer.
                    const std::string name = movie.ColumnText(zorbel::sql::kMovieName);
                    const std::string address = movie.ColumnText(zorbel::sql::kMovieAddress);
                    AppendItem(tree, classItem, address, name);
                });
                if (classCount == 0) tree->Expand(classItem);
                ++classCount;
            });
            damaged = db->MetDamage();
        }
        db.reset();
        if (damaged) ShowCatalogFailure();
    } catch (...) {
        // As for the type loader: the items inserted so far stay.
    }
}
