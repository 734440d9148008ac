#include "mainwnd/PlimDlg.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include <gdk/gdk.h>

#include <wx/app.h>
#include <wx/iconbndl.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "app/StartupSequence.h"
#include "catalog/DownloadState.h"
#include "mainwnd/OnlineCount.h"
#include "mainwnd/PlimIds.h"
#include "platform/HostConfig.h"
#include "platform/MemoryTrim.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/VelaspiderApp.h"
#include "platform/templates/DialogTemplate.h"
#include "platform/templates/TemplateBuilder.h"
#include "platform/x11/InstanceMarker.h"

using namespace zorbel::plim;

CPlimDlg* MainDialog = nullptr;

// clang-format off
wxBEGIN_EVENT_TABLE(CPlimDlg, wxDialog)
    EVT_BUTTON            (kIdClose,                     CPlimDlg::OnCloseButton)
    EVT_BUTTON            (kIdMaximize,                  CPlimDlg::OnMaximizeButton)
    EVT_BUTTON            (kIdMinimize,                  CPlimDlg::OnMinimizeButton)
    EVT_BUTTON            (kIdMenu,                      CPlimDlg::OnMenuButton)
    EVT_BUTTON            (kIdFeedback,                  CPlimDlg::OnFeedback)
    EVT_BUTTON            (kIdSkin,                      CPlimDlg::OnSkinButton)

    EVT_RADIOBUTTON       (kIdCategoryHome,              CPlimDlg::OnCategoryHome)
    EVT_RADIOBUTTON       (kIdCategorySongs,             CPlimDlg::OnCategorySongs)
    EVT_RADIOBUTTON       (kIdCategoryStories,           CPlimDlg::OnCategoryStories)
    EVT_RADIOBUTTON       (kIdCategoryKnowledge,         CPlimDlg::OnCategoryKnowledge)
    EVT_RADIOBUTTON       (kIdCategoryGames,             CPlimDlg::OnCategoryGames)
    EVT_RADIOBUTTON       (kIdCategoryCartoons,          CPlimDlg::OnCategoryCartoons)
    EVT_RADIOBUTTON       (kIdCategoryCommunity,         CPlimDlg::OnCategoryCommunity)

    EVT_RADIOBUTTON       (kIdTabRecommended,            CPlimDlg::OnTabRecommended)
    EVT_RADIOBUTTON       (kIdTabFavourites,             CPlimDlg::OnTabFavourites)
    EVT_RADIOBUTTON       (kIdTabPlayed,                 CPlimDlg::OnTabPlayed)

    EVT_TEXT              (kIdStatusEdit,                CPlimDlg::OnStatusChanged)
    EVT_TREE_SEL_CHANGED  (kIdCatalogTree,               CPlimDlg::OnCatalogTreeSelChanged)
    EVT_TREE_SEL_CHANGED  (kIdQuickTree,                 CPlimDlg::OnQuickTreeSelChanged)

    EVT_BUTTON            (kIdAdLink,                    CPlimDlg::OnAdLinkClick)
    EVT_BUTTON            (wxID_OK,                      CPlimDlg::OnOK)

    EVT_MENU              (CPlimDlg::kCmdExit,           CPlimDlg::OnExitCommand)
    EVT_MENU              (CPlimDlg::kCmdShowMainWindow, CPlimDlg::OnShowMainWindowCommand)
    EVT_MENU              (kCmdOnlineUpdate,             CPlimDlg::OnOnlineUpdate)
    EVT_MENU              (CPlimDlg::kCmdFeedback,       CPlimDlg::OnFeedback)
    EVT_MENU              (CPlimDlg::kCmdTraySettings,   CPlimDlg::OnSettings)
    EVT_MENU              (CPlimDlg::kCmdSettings,       CPlimDlg::OnSettings)
    EVT_MENU              (CPlimDlg::kCmdVendorSite,     CPlimDlg::OnVendorSite)
    EVT_MENU              (CPlimDlg::kCmdAbout,          CPlimDlg::OnAbout)
    EVT_MENU              (CPlimDlg::kCmdOfflineLibrary, CPlimDlg::OnOfflineLibrary)

    EVT_CLOSE             (                              CPlimDlg::OnCloseWindow)
    EVT_TRAY_NOTIFY       (kTrayMessage,                 CPlimDlg::OnTrayNotify)
    EVT_SIZE              (                              CPlimDlg::OnSize)
    EVT_LEFT_DOWN         (                              CPlimDlg::OnLeftDown)
    EVT_LEFT_DCLICK       (                              CPlimDlg::OnLeftDClick)
    EVT_MOVE              (                              CPlimDlg::OnMove)
    EVT_TIMER             (kTimerAdRotation,             CPlimDlg::OnTimer)
    EVT_TIMER             (kTimerDeferredStartup,        CPlimDlg::OnTimer)

    // Events of the browser control
    EVT_NEW_WINDOW3       (kIdBrowser,                   CPlimDlg::OnBrowserNewWindow3)
    EVT_DOCUMENT_COMPLETE (kIdBrowser,                   CPlimDlg::OnBrowserDocumentComplete)

    // wx sends the dialog's initialisation as an event.
    EVT_INIT_DIALOG       (                              CPlimDlg::OnInitDialog)
    // Escape: the dialog's own cancel would end the modal run without clearing up.
    EVT_BUTTON            (wxID_CANCEL,                  CPlimDlg::OnCancel)
    EVT_CHAR_HOOK         (                              CPlimDlg::OnCharHook)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
// No caption and no frame: the skin engine draws both. A window of its own in the task bar,
// which the window manager may minimise.
constexpr long kMainWindowStyle = wxBORDER_NONE | wxDIALOG_NO_PARENT | wxMINIMIZE_BOX;

// The fetch's own limits, except where the defaults (set by tests) are shorter still.
CVelaspiderApp::Options AdListFetchOptions() {
    CVelaspiderApp::Options options = CVelaspiderApp::DefaultOptions();
    const auto cap = [](long value, long limit) {
        return value > 0 ? std::min(value, limit) : limit;
    };
    options.connectTimeoutMs = cap(options.connectTimeoutMs, CPlimDlg::kAdConnectTimeoutMs);
    options.totalTimeoutMs = cap(options.totalTimeoutMs, CPlimDlg::kAdTotalTimeoutMs);
    return options;
}

}  // namespace

CPlimDlg::CPlimDlg(wxWindow* parent)
    : m_timerAdRotation(this, kTimerAdRotation),
      m_timerDeferredStartup(this, kTimerDeferredStartup) {
    CreateMainWindow(parent);
    m_hAppIcon = CSystemIcon::LoadAppIcon();
    DownloadBusy = 0;
    ReadSettings();
}

CPlimDlg::~CPlimDlg() {
    m_timerAdRotation.Stop();
    m_timerDeferredStartup.Stop();
    // The controls go while the members that refer to them (browser, bound pointers) still
    // exist; the panels and the skin dialog end with them, as children of this window.
    DestroyChildren();
    m_progress = nullptr;
    m_treeQuick = nullptr;
    m_treeCatalog = nullptr;
    m_btnTab = nullptr;
    // Nobody may reach a window that is gone through the process-wide pointer.
    if (MainDialog == this) MainDialog = nullptr;
}

void CPlimDlg::CreateMainWindow(wxWindow* parent) {
    const zorbel::templates::DialogTemplate* tmpl =
        zorbel::templates::FindDialogTemplate(kTemplateId);
    // The title comes in OnInitDialog, as the template's is empty.
    Create(parent, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, kMainWindowStyle);
    // Without decoration the toolkit also withholds every window-manager function; the
    // window must still be movable, minimisable (button, tray) and closable.
    m_gdkFunc |= GDK_FUNC_MOVE | GDK_FUNC_MINIMIZE | GDK_FUNC_CLOSE;
    // The size comes with the controls at the first showing: a size set before the window
    // is first shown kept openbox from ever minimising it.
    if (tmpl != nullptr) SetFont(zorbel::templates::TemplateFont(*tmpl));
}

void CPlimDlg::ReadSettings() {
    // PfcSystem does not exist yet: the settings files are found without it. A path too
    // long for the settings buffer comes back empty and reads as a missing value.
    const zorbel::files::SettingsFiles settings = zorbel::files::LocateSettings();
    const zorbel::HostConfig hosts = zorbel::HostConfig::Load(settings.ReadOrder());
    m_strShowAdUrl = hosts.webServer + kShowAdPage;

    // An installed program's settings name no cache folder: each user's default folder is
    // meant then, and nothing is reported. The app folder's own file must name one.
    bool missing = false;
    bool ownDefault = false;
    m_strCacheFolder = zorbel::files::EffectiveCacheFolder(settings, &missing, &ownDefault);
    if (missing) {
        zorbel::AppMessageBox(nullptr,
                              "CODE:1001，程序被损坏，请联系" + hosts.vendorSiteName + "解决！",
                              kMessageCaption, zorbel::kMbOk);
    }

    // One level of a folder the settings name: a missing parent makes later downloads fail,
    // which they report. The per-user default folder is the program's own to make.
    std::error_code error;
    if (!m_strCacheFolder.empty() && !std::filesystem::exists(m_strCacheFolder, error)) {
        if (ownDefault)
            std::filesystem::create_directories(m_strCacheFolder, error);
        else
            std::filesystem::create_directory(m_strCacheFolder, error);
    }

    LoadAdvertisements(hosts.webSite + kAdListPage);
}

void CPlimDlg::LoadAdvertisements(const std::string& url) {
    try {
        std::string text;
        {
            std::unique_ptr<CVelaspiderApp> spider(new CVelaspiderApp(AdListFetchOptions()));
            text = spider->FetchPage(url);
        }
        if (text.empty()) return;
        if (zorbel::mainwnd::AppendAdEntries(text, m_adEntries) == 0) return;
        m_adCursor = 0;
        m_strAdLink = m_adEntries.front().url;
        m_bAdsLoaded = true;
    } catch (...) {
        // Entries read before the failure stay, but the list is never shown.
    }
}

void CPlimDlg::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    // Every later showing of the window sends this again; the window is initialised once.
    if (m_bInitialised) return;
    m_bInitialised = true;

    CreateControls();
    Centre();
    DoDataExchange();

    // The window manager owns the window menu here, and the resources carry no string 101
    // for the about item: the menu stays as it is.

    wxIconBundle icons;
    for (int size : {16, 32, 48}) icons.AddIcon(m_hAppIcon.GetIcon(wxSize(size, size)));
    SetIcons(icons);

    SetTitle(wxString::FromUTF8(kWindowTitle));

    // A second start finds this window by the marker named after the executable.
    zorbel::x11::CInstanceMarker::Set(this, std::string(wxTheApp->GetAppName().utf8_str()));

    LayoutChildren();
    SkinControls();

    // The thread's main window is this one.
    SkinDLL_DirectUI_SetSubItemValue(this, "item.texture", SkinTexture.c_str(), 1);

    if (wxWindow* browser = GetDlgItem(kIdBrowser)) browser->Hide();

    ShowOnlineCount();

    m_trayIcon.Create(this, kTrayMessage, kTrayTip, m_hAppIcon, kTrayIconId);

    StartTimers();
    StartCopyDataReceiver();
    ResumeOfflineQueue();
}

void CPlimDlg::ShowOnlineCount() {
    if (wxWindow* label = GetDlgItem(kIdOnlineLabel)) {
        const std::string text =
            zorbel::mainwnd::OnlineCountText(zorbel::mainwnd::NextOnlineCount());
        label->SetLabel(wxString::FromUTF8(text));
    }
}

void CPlimDlg::StartTimers() {
    if (m_bAdsLoaded) m_timerAdRotation.Start(kTimerAdRotationMs);
    m_timerDeferredStartup.Start(kTimerDeferredStartupMs);
}

void CPlimDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    LayoutChildren();
}

void CPlimDlg::OnTimer(wxTimerEvent& event) {
    switch (event.GetId()) {
        case kTimerAdRotation:
            RotateAdvertisement();
            break;
        case kTimerDeferredStartup:
            OnDeferredStartupTimer();
            break;
        default:
            break;
    }
    event.Skip();
}

void CPlimDlg::RotateAdvertisement() {
    if (m_adEntries.empty()) return;
    if (m_adCursor >= m_adEntries.size()) m_adCursor = 0;
    const AdEntry& entry = m_adEntries[m_adCursor];
    m_strAdLink = entry.url;
    if (wxWindow* link = GetDlgItem(kIdAdLink)) link->SetLabel(wxString::FromUTF8(entry.text));
    ++m_adCursor;
    zorbel::TrimWorkingSet();
}
