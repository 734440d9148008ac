// The main window's quick-list tree on the home view: the recommended titles, the child's
// favourites or the titles played last, under one heading item (itself under the tree's
// hidden root).
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "mainwnd/PlimDlg.h"
#include "offline/OfflineShelf.h"
#include "platform/MemoryTrim.h"
#include "platform/SkinEngine.h"

namespace {

wxTreeItemId AppendItem(wxTreeCtrl* tree, const wxTreeItemId& parent, const std::string& text) {
    const wxTreeItemId item = tree->AppendItem(parent, wxString::FromUTF8(text));
    SkinDLL_TreeCtrl_SetDrawItemSkin(tree, item, "drawitem.item", 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, item, "item.name", text.c_str(), 0);
    return item;
}

struct QuickList {
    const char* heading;
    std::string sql;
    int column;
};

QuickList QuickListOf(const std::string& kind) {
    if (kind == "1")
        return {"最新推荐", zorbel::sql::SqlRecommended(), zorbel::sql::kFileProgramName};
    if (kind == "2")
        return {"宝宝爱玩", zorbel::sql::SqlFavoritesList(CurrentUserId),
                zorbel::sql::kViewProgramName};
    return {"宝宝玩过", zorbel::sql::SqlPlayedList(CurrentUserId), zorbel::sql::kViewProgramName};
}

}  // namespace

void CPlimDlg::LoadQuickList(const std::string& kind) {
    if (m_treeQuick == nullptr) return;
    try {
        const std::string path = zorbel::files::CatalogPath();
        std::error_code error;
        std::unique_ptr<CDbVelaLite> db;
        if (!path.empty() && std::filesystem::is_regular_file(path, error)) {
            db = std::make_unique<CDbVelaLite>();
            if (!db->Open(path, zorbel::files::kCatalogKey)) db.reset();
        }
        if (!db) {
            ShowCatalogFailure();
            return;
        }
        wxTreeCtrl* tree = m_treeQuick;
        m_strShownQuick = kind;
        const zorbel::offline::OfflineShelf shelf(m_strCacheFolder);
        const auto stored = shelf.CachedNames();
        const bool storedOnly = shelf.PlayableOfflineOnly();
        tree->DeleteAllItems();
        SkinDLL_SubclassWindow(tree, "tree.videolist");
        const QuickList list = QuickListOf(kind);
        const wxTreeItemId heading = AppendItem(tree, tree->AddRoot(wxString()), list.heading);
        {
            std::unique_ptr<CSqlStatement> statement(db->Prepare(list.sql));
            if (statement && statement->IsValid())
                while (statement->NextRow()) {
                    const std::string name = statement->ColumnText(list.column);
                    const bool isStored = stored.count(name) != 0;
                    if (storedOnly && !isStored) continue;
                    const wxTreeItemId item = AppendItem(tree, heading, name);
                    if (isStored)
                        SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, item, "item.cached", "1", 0);
                }
        }
        // Damage is told as a catalog that does not open; a lock only reads as empty.
        const bool damaged = db->MetDamage();
        db.reset();
        tree->Expand(heading);
        if (damaged) ShowCatalogFailure();
        zorbel::TrimWorkingSet();
    } catch (...) {
        // A load that fails half-way keeps what it inserted; the user sees no message.
    }
}

void CPlimDlg::OnTabRecommended(wxCommandEvent&) {
    LoadQuickList("1");
}

void CPlimDlg::OnTabFavourites(wxCommandEvent&) {
    LoadQuickList("2");
}

void CPlimDlg::OnTabPlayed(wxCommandEvent&) {
    LoadQuickList("3");
}
