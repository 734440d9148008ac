// The category buttons along the top of the main window switch the content area between the
// home view (0), a catalog type (1), the cartoons (2) and the community page (3).
#include <cstdlib>
#include <string>

#include <wx/treectrl.h>

#include "app/SettingsFiles.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "parent/ParentGate.h"
#include "platform/HostConfig.h"
#include "platform/MemoryTrim.h"
#include "platform/skin/CSkinButton.h"
#include "player/DlgPlayer.h"

using namespace zorbel::plim;

namespace {

constexpr const char* kCommunityPage = "/plimad.asp?from=shop";

void ShowItem(CPlimDlg* dialog, int id, bool show) {
    if (wxWindow* window = dialog->GetDlgItem(id)) window->Show(show);
}

void ShowQuickList(CPlimDlg* dialog, bool show) {
    ShowItem(dialog, kIdQuickTree, show);
    ShowItem(dialog, kIdTabRecommended, show);
    ShowItem(dialog, kIdTabFavourites, show);
    ShowItem(dialog, kIdTabPlayed, show);
}

void ShowNavCaption(CPlimDlg* dialog, const char* caption) {
    wxWindow* button = dialog->GetDlgItem(kIdNavCaption);
    if (button == nullptr) return;
    button->Show();
    button->SetLabel(wxString::FromUTF8(caption));
    button->Refresh();
}

}  // namespace

void CPlimDlg::ShowCatalogTypeView(const char* caption, const char* typeId) {
    ShowQuickList(this, false);
    ShowNavCaption(this, caption);
    ShowItem(this, kIdCatalogTree, true);
    m_nViewMode = 1;
    m_strViewType = typeId;
    ShowItem(this, kIdBrowser, false);
    if (m_treeCatalog != nullptr) m_treeCatalog->DeleteAllItems();
    if (m_pPlayerPanel != nullptr && m_pPlayerPanel->IsActive() != 0) {
        PlayInPanel(std::string());
        HideAdPanel();
    } else {
        HidePlayerPanel();
        ShowAdPage(m_strShowAdUrl);
    }
    HideMoviePanel();
    LoadCatalogType(typeId);
    zorbel::TrimWorkingSet();
}

void CPlimDlg::OnCategorySongs(wxCommandEvent&) {
    ShowCatalogTypeView("听儿歌", "1");
}

void CPlimDlg::OnCategoryStories(wxCommandEvent&) {
    ShowCatalogTypeView("讲故事", "2");
}

void CPlimDlg::OnCategoryKnowledge(wxCommandEvent&) {
    ShowCatalogTypeView("学知识", "3");
}

void CPlimDlg::OnCategoryGames(wxCommandEvent&) {
    ShowCatalogTypeView("玩游戏", "4");
}

void CPlimDlg::OnCategoryHome(wxCommandEvent&) {
    if (m_treeCatalog != nullptr) m_treeCatalog->DeleteAllItems();
    ShowQuickList(this, true);
    ShowItem(this, kIdNavCaption, false);
    ShowItem(this, kIdBrowser, false);
    ShowItem(this, kIdCatalogTree, false);
    m_nViewMode = 0;
    HidePlayerPanel();
    ShowAdPage(m_strShowAdUrl);
    HideMoviePanel();
}

void CPlimDlg::OnCategoryCartoons(wxCommandEvent&) {
    ShowQuickList(this, false);
    ShowItem(this, kIdNavCaption, false);
    ShowItem(this, kIdCatalogTree, true);
    ShowNavCaption(this, "动画片");
    ShowItem(this, kIdBrowser, false);
    m_nViewMode = 2;
    HidePlayerPanel();
    HideAdPanel();
    ShowMoviePage(std::string());
    if (m_treeCatalog != nullptr) m_treeCatalog->DeleteAllItems();
    LoadCartoonCatalog();
    zorbel::TrimWorkingSet();
}

void CPlimDlg::OnCategoryCommunity(wxCommandEvent&) {
    if (!zorbel::parent::ParentGate::Allow(this, "去儿童团")) {
        // The button went down with the click; the view did not change, so neither may it.
        int id = kIdCategoryHome;
        if (m_nViewMode == 2) id = kIdCategoryCartoons;
        if (m_nViewMode == 3) id = kIdCategoryCommunity;
        if (m_nViewMode == 1) {
            const int byType[] = {kIdCategorySongs, kIdCategoryStories, kIdCategoryKnowledge,
                                  kIdCategoryGames};
            const int type = std::atoi(m_strViewType.c_str());
            if (type >= 1 && type <= 4) id = byType[type - 1];
        }
        if (auto* button = dynamic_cast<CSkinButton*>(GetDlgItem(id))) button->SetValue(true);
        return;
    }
    ShowQuickList(this, false);
    ShowItem(this, kIdNavCaption, false);
    ShowItem(this, kIdCatalogTree, false);
    m_nViewMode = 3;
    HidePlayerPanel();
    HideAdPanel();
    HideMoviePanel();
    ShowItem(this, kIdBrowser, true);
    zorbel::TrimWorkingSet();
    try {
        const std::string webServer = zorbel::files::LoadHosts().webServer;
        m_browser.Navigate(webServer + kCommunityPage);
    } catch (...) {
        // The page's own failures are its business; the view stays switched.
    }
}
