// The main window's side of the offline library: its window from the menu, the trees following
// the "playable offline" switch, the mark of a title just stored and the class queue a
// previous run left.
#include <memory>
#include <string>
#include <vector>

#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SettingsFiles.h"
#include "app/SqlStatement.h"
#include "mainwnd/PlimDlg.h"
#include "offline/DlgOfflineLibrary.h"
#include "offline/OfflineQueueRunner.h"
#include "parent/ParentGate.h"
#include "platform/SkinEngine.h"

namespace {

// Every class of a catalog type with all its titles, stored or not.
std::vector<CDlgOfflineLibrary::ClassTitles> ClassesOfType(const std::string& typeId) {
    std::vector<CDlgOfflineLibrary::ClassTitles> classes;
    CDbVelaLite db;
    if (!db.Open(zorbel::files::CatalogPath(), zorbel::files::kCatalogKey)) return classes;
    std::vector<std::pair<int, std::string>> ids;
    {
        std::unique_ptr<CSqlStatement> rows(db.Prepare(zorbel::sql::SqlClassesOfType(typeId)));
        while (rows && rows->IsValid() && rows->NextRow())
            ids.emplace_back(rows->ColumnInt(zorbel::sql::kClassId),
                             rows->ColumnText(zorbel::sql::kClassName));
    }
    std::unique_ptr<CSqlStatement> titles(db.Prepare(zorbel::sql::SqlTitlesOfBoundClass()));
    for (const auto& [id, name] : ids) {
        CDlgOfflineLibrary::ClassTitles entry{name, {}};
        if (titles && titles->IsValid() && titles->Rebind(1, id)) {
            while (titles->NextRow())
                entry.titles.push_back(titles->ColumnText(zorbel::sql::kFileProgramName));
        }
        if (!entry.titles.empty()) classes.push_back(std::move(entry));
    }
    return classes;
}

}  // namespace

void CPlimDlg::OnOfflineLibrary(wxCommandEvent&) {
    // Deleting titles and filling the disk are a grown-up's business.
    if (!zorbel::parent::ParentGate::Allow(this, "打开离线宝库")) return;
    COfflineQueueRunner::Get().Configure(m_strCacheFolder,
                                         zorbel::files::LoadHosts().contentServer);
    const std::string type = m_nViewMode == 1 && !m_strViewType.empty() ? m_strViewType
                             : m_strShownType.empty()                   ? std::string("1")
                                                                        : m_strShownType;
    CDlgOfflineLibrary dialog(this, m_strCacheFolder, ClassesOfType(type),
                              [this] { RefreshOfflineView(); });
    dialog.ShowModal();
}

void CPlimDlg::RefreshOfflineView() {
    // Cartoons are web pages: nothing of them is kept, so their tree stays as it is.
    if (m_nViewMode != 2 && !m_strShownType.empty()) LoadCatalogType(m_strShownType);
    if (!m_strShownQuick.empty()) LoadQuickList(m_strShownQuick);
}

void CPlimDlg::MarkStoredTitle(const std::string& titleName) {
    for (wxTreeCtrl* tree : {m_treeCatalog, m_treeQuick}) {
        if (tree == nullptr) continue;
        const wxTreeItemId item = tree->GetSelection();
        if (!item.IsOk() || tree->GetItemText(item).utf8_string() != titleName) continue;
        SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, item, "item.cached", "1", 0);
        tree->Refresh();
    }
}

void CPlimDlg::ResumeOfflineQueue() {
    if (m_strCacheFolder.empty()) return;
    COfflineQueueRunner::Get().Configure(m_strCacheFolder,
                                         zorbel::files::LoadHosts().contentServer);
    // After the start-up has settled: a click of the child's own goes first anyway.
    CallAfter([] { COfflineQueueRunner::Get().ResumeSaved(); });
}
