// Selecting a title in either tree plays it: from the cache at once, or after the download
// worker has fetched it. The worker's "100%" in the status edit is what plays a download; a
// cache hit writes the same text so that both roads end in one place.
#include <filesystem>
#include <string>
#include <system_error>

#include <wx/gauge.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "catalog/TitleDownload.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MemoryTrim.h"
#include "platform/MessageBox.h"
#include "platform/WebAddress.h"
#include "player/DlgPlayer.h"

using namespace zorbel::plim;

namespace {

constexpr const char* kReady = "100%";
constexpr const char* kBusyText = "别急，看看右下方，还有东东在下载呢，一个一个来吧：）";

// Classes (catalog tree) and the heading (quick list) hang from the tree's hidden root;
// only their children are titles.
bool IsTitle(wxTreeCtrl* tree, const wxTreeItemId& item) {
    if (tree == nullptr || !item.IsOk()) return false;
    const wxTreeItemId parent = tree->GetItemParent(item);
    return parent.IsOk() && parent != tree->GetRootItem();
}

std::string ItemText(wxTreeCtrl* tree, const wxTreeItemId& item) {
    return tree->GetItemText(item).utf8_string();
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The community browser, or the template's stand-in where there is no web view.
void HideBrowser(CPlimDlg* dialog) {
    if (wxWindow* browser = dialog->GetDlgItem(kIdBrowser)) browser->Hide();
}

}  // namespace

void CPlimDlg::OnCatalogTreeSelChanged(wxTreeEvent& event) {
    const wxTreeItemId item = event.GetItem();
    if (IsTitle(m_treeCatalog, item)) {
        HideBrowser(this);
        if (m_nViewMode == 2) {
            // A cartoon's item text is its page address; it never goes near the cache. A
            // path lies on the configured web site.
            HideAdPanel();
            HidePlayerPanel();
            ShowMoviePage(zorbel::ResolveSiteAddress(ItemText(m_treeCatalog, item),
                                                     zorbel::files::LoadHosts().webSite));
            return;
        }
        NoteListenSource(m_treeCatalog, item);
        if (!ActivateTitle(ItemText(m_treeCatalog, item))) return;
    }
    zorbel::TrimWorkingSet();
}

void CPlimDlg::OnQuickTreeSelChanged(wxTreeEvent& event) {
    const wxTreeItemId item = event.GetItem();
    if (!IsTitle(m_treeQuick, item)) return;
    HideBrowser(this);
    NoteListenSource(m_treeQuick, item);
    ActivateTitle(ItemText(m_treeQuick, item));
}

bool CPlimDlg::ActivateTitle(const std::string& titleName) {
    // A name that would reach outside the cache folder is neither looked up nor fetched.
    if (!zorbel::files::IsSafeTitleName(titleName)) return true;
    const std::string cachedPath = zorbel::files::TitlePath(m_strCacheFolder, titleName);
    auto* status = dynamic_cast<wxTextCtrl*>(GetDlgItem(kIdStatusEdit));
    if (FileExists(cachedPath)) {
        SetCurrentTitlePath(cachedPath);
        // Set even when it already reads "100%": every setting notifies, so every hit plays.
        if (status != nullptr) status->SetValue(kReady);
        return true;
    }
    // A title that is not cached shows the advertisement page while it downloads (unless a
    // movie is playing or paused). The page goes up once the download has started: showing it
    // (and loading the page) first held up the title's request by as long as that took.
    const bool playerActive = m_pPlayerPanel != nullptr && m_pPlayerPanel->IsActive() != 0;
    auto showAdvertisement = [this, playerActive] {
        if (playerActive) return;
        HidePlayerPanel();
        ShowAdPage(std::string());
    };
    if (DownloadBusy.load() != 0) {
        showAdvertisement();
        zorbel::AppMessageBox(this, kBusyText, kMessageCaption, zorbel::kMbIconInformation);
        return false;
    }
    const TitleDownload download = TitleDownload::Prepare(m_strCacheFolder, titleName,
                                                          zorbel::files::LoadHosts().contentServer);
    bool started = false;
    if (download.ok) {
        SetDownloadUrl(download.url);
        SetCurrentTitlePath(download.titlePath);
        auto failed = [titleName](const DownloadResult& result) {
            if (MainDialog != nullptr) MainDialog->ShowDownloadFailure(titleName, result);
        };
        // A cut download keeps what it has for the next click; a title whose bytes are not
        // the server's is never stored.
        started = StartDownloadWorker(this, DownloadOptions::OfflineLibrary(),
                                      CWindowDownloadUi::ProgressDelivery::Coalesced, failed);
    }
    showAdvertisement();
    HideMoviePanel();
    if (download.ok && m_progress != nullptr) m_progress->Show(started);
    return true;
}

void CPlimDlg::ShowDownloadFailure(const std::string& titleName, const DownloadResult& result) {
    // The same title must answer the next click: a selected item sends nothing when it is
    // clicked again.
    for (wxTreeCtrl* tree : {m_treeCatalog, m_treeQuick}) {
        if (tree == nullptr) continue;
        tree->Unselect();
        tree->UnselectAll();
    }
    const bool missing = result.httpStatus == 404 || result.httpStatus == 410;
    const std::string text =
        missing ? "“" + titleName + "”还没有准备好哦，先去玩玩别的吧！"
                : "哎呀，“" + titleName + "”没有下载下来。请检查一下网络，再点它试试吧！";
    zorbel::AppMessageBox(this, text, kExitCaption, zorbel::kMbIconInformation);
}

void CPlimDlg::OnStatusChanged(wxCommandEvent&) {
    auto* status = dynamic_cast<wxTextCtrl*>(GetDlgItem(kIdStatusEdit));
    if (status == nullptr || status->GetValue() != kReady) return;
    if (m_nViewMode != 0 && m_nViewMode != 1) return;
    if (m_progress != nullptr) {
        m_progress->Hide();
        m_progress->SetValue(0);
    }
    HideBrowser(this);
    HideAdPanel();
    HideMoviePanel();
    const std::string path = GetCurrentTitlePath();
    const std::size_t slash = path.rfind('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    if (file.size() > 4) MarkStoredTitle(file.substr(0, file.size() - 4));
    PlayInPanel(path);
    zorbel::TrimWorkingSet();
}
