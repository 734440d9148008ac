#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/dialog.h>
#include <wx/gdicmn.h>
#include <wx/timer.h>
#include <wx/treebase.h>

#include "app/SystemIcon.h"
#include "catalog/CatalogTypeRows.h"
#include "listening/TitleKind.h"
#include "mainwnd/AdList.h"
#include "platform/x11/CopyDataReceiver.h"
#include "web/WebBrowser2.h"

struct DownloadResult;
class CDlgMovie;
class CDlgPlayer;
class CDlgShowAd;
class CDlgSkin;
class CSkinButton;
class wxMenu;
class wxGauge;
class wxTreeCtrl;
class wxTreeEvent;

// The main window: a borderless dialog drawn by the skin engine (template 103) that hosts the
// category buttons, the two trees, the list tabs, the community browser, the download
// progress, the online count and the advertisement link line, and owns the content panels.
// The start-up sequence constructs it, then runs it (CMainWindowRun) as an ordinary top-level
// window; the end of that run is the end of the program.
//
// Construction reads the settings file (cache folder), creates the cache folder and fetches
// the advertisement list; the window's controls are made from the template when the window
// is first initialised (shown), as a dialog's controls come with its first showing.
class CPlimDlg : public wxDialog {
public:
    explicit CPlimDlg(wxWindow* parent = nullptr);
    ~CPlimDlg() override;
    CPlimDlg(const CPlimDlg&) = delete;
    CPlimDlg& operator=(const CPlimDlg&) = delete;

    // Places every child for the current client size: the list tabs, labels, progress bar,
    // trees, browser and the content panels.
    void LayoutChildren();
    // The content panels that exist: the child panels that are none of the template's
    // controls (player, advertisement page, movie page), in creation order.
    std::vector<wxWindow*> ContentPanels() const;

    // A direct child control of this window by its template id; null when there is none.
    // (Panels hold controls with the same ids; they are not searched.)
    wxWindow* GetDlgItem(int id) const;

    // One tick of the advertisement rotation: the link line shows the next entry and the
    // link follows it, cycling through the list. Nothing happens when the list is empty.
    void RotateAdvertisement();

    // The content panels (PlimDlgPanels.cpp). An operation that needs a missing panel creates
    // it; once made, a panel lives as a child of this window until the window ends.
    bool ShowAdPage(const std::string& address);
    bool ShowMoviePage(const std::string& address);
    bool PlayInPanel(const std::string& path);
    // Each returns whether its panel had been visible; false when the panel does not exist.
    bool HidePlayerPanel();
    bool HideAdPanel();
    bool HideMoviePanel();
    // Create a panel's window and keep it in its member; a panel whose window cannot be made
    // is deleted again and its member stays null. A panel that exists already is kept.
    void CreatePlayerPanel();
    void CreateAdPanel();
    void CreateMoviePanel();

    // Frame and commands (PlimDlgFrame.cpp).
    // Own maximise to the primary work area enlarged by 2 pixels on every side, or back to
    // the rectangle before it; either way the community page reloads.
    void ToggleMaximize();
    // AppExiting, the tray icon removed, the window's run ended with 0 (its owner then
    // deletes the window) or, outside a run, the window destroyed. Asks nothing.
    void ExitApplication();
    // Restored if minimised, shown, raised and focused; never hidden on the way.
    void ShowMainWindow();
    // A press at client y starts a window drag only in the caption strip and never while
    // maximised; a double click there toggles the maximise.
    static bool IsCaptionPoint(int y);
    bool ShouldStartCaptionDrag(int y) const;
    static wxRect MaximizedRect(const wxRect& workArea);
    static wxRect WorkArea();
    // The menu button's popup, as it is shown (20000 "设置", separator, 20001, 20002).
    static std::unique_ptr<wxMenu> BuildPopupMenu();
    // Opening an address in the desktop's browser; tests replace it (empty: the browser).
    using OpenAddressHook = std::function<void(const std::string& address)>;
    static void SetOpenAddressHook(OpenAddressHook hook);

    static constexpr int kCaptionHeight = 30;
    static constexpr int kCmdSettings = 20000;
    static constexpr int kCmdVendorSite = 20001;
    static constexpr int kCmdAbout = 20002;
    static constexpr int kCmdOfflineLibrary = 20003;
    static constexpr int kCmdExit = 32777;
    static constexpr int kCmdShowMainWindow = 32779;
    static constexpr int kCmdFeedback = 32787;
    static constexpr int kCmdTraySettings = 32788;
    static constexpr const char* kExitQuestion = "您确定要退出佐贝乐儿童游戏吗？";
    static constexpr const char* kExitCaption = "佐贝乐儿童游戏";
    static constexpr const char* kCommunityPage = "/plimad.asp?from=shop";
    static constexpr const char* kMaxElement = "button.system.max";
    static constexpr const char* kRestoreElement = "button.system.restore";

    // Timers, updater and copy-data (PlimDlgStartup.cpp).
    // Timer 1581's only tick: stops the timer, starts the updater, runs the deferred start-up.
    void OnDeferredStartupTimer();
    // The three panels, the first catalog loads and the community browser's page; runs once
    // per window, later calls do nothing.
    void DeferredStartup();
    bool HasRunDeferredStartup() const { return m_bDeferredStartupDone; }
    // Starts the maker's updater with the executable's name ("-n" when the user asked for
    // it); never waits for it. False when it could not be started, which nobody reports.
    bool LaunchUpdater(bool onRequest);
    static std::string UpdaterCommandLine(const std::string& exeName, bool onRequest);
    // Listens for copy-data messages from other processes (at initialisation).
    void StartCopyDataReceiver();
    // A copy-data message: the updater's "Tarnup is ok!" ends the program; the rest is ignored.
    void OnCopyData(unsigned long dwData, const std::vector<uint8_t>& bytes);
    const zorbel::x11::CCopyDataReceiver* CopyDataReceiver() const {
        return m_copyDataReceiver.get();
    }

    static constexpr int kCmdOnlineUpdate = 32785;
    static constexpr const char* kShopTeaserPage = "/plimt.asp?from=shop";

    const wxTimer& AdRotationTimer() const { return m_timerAdRotation; }
    const wxTimer& DeferredStartupTimer() const { return m_timerDeferredStartup; }
    // Whether OnInitDialog has run (it runs once, at the first showing).
    bool IsInitialised() const { return m_bInitialised; }

    // Catalog browsing. The type loader fills the catalog tree with the classes and titles of
    // a catalog type ("1" songs .. "4" games); the cartoon loader adds the cartoon classes
    // and cartoons (its caller empties the tree); the quick-list loader fills the quick-list
    // tree with "1" recommended, "2" favourites or, for any other kind, the played titles.
    void LoadCatalogType(const std::string& typeId);
    void LoadCartoonCatalog();
    void LoadQuickList(const std::string& kind);

    // Listening mode (PlimDlgListening.cpp): the list a title was started from, the next
    // title of it that is listened to (a song, story or clip), and starting one the way a
    // click does. Without a list (cartoons, another view since) there is no next title.
    std::optional<std::string> NextListeningTitle();
    bool PlayListeningTitle(const std::string& titleName);
    // The kind of the title about to play: the catalog type shown, or for the quick lists the
    // type of the title's class.
    zorbel::listening::TitleKind KindOfTitle(const std::string& titleName) const;

    static constexpr const char* kWindowTitle = "儿童游戏-佐贝乐";
    static constexpr const char* kTrayTip = "佐贝乐儿童游戏";
    static constexpr const char* kCaptionText = " 佐贝乐儿童游戏";
    static constexpr const char* kMessageCaption = "佐贝乐.儿童游戏";
    static constexpr const char* kAdListPage = "/ada.html";
    static constexpr const char* kShowAdPage = "/plimad.asp?from=showad";
    // The advertisement fetch holds up the whole start-up, so a dead or slow server is given
    // up on quickly; options set for tests that are shorter still are kept.
    static constexpr long kAdConnectTimeoutMs = 2000;
    static constexpr long kAdTotalTimeoutMs = 4000;

    // The members other parts of the main window read and drive, in declaration order.
    std::string m_strAdLink;           // opened by a click on the link line 1040
    bool m_bAdsLoaded = false;         // the list loaded with at least one entry: timer 1580
    std::vector<AdEntry> m_adEntries;  // document order, only appended to
    std::size_t m_adCursor = 0;        // index of the entry the next rotation tick shows
    wxBitmapBundle m_hAppIcon;         // window and tray icon
    CDlgPlayer* m_pPlayerPanel = nullptr;
    CDlgShowAd* m_pAdPanel = nullptr;
    CDlgSkin* m_pSkinDlg = nullptr;
    CDlgMovie* m_pMoviePanel = nullptr;
    wxGauge* m_progress = nullptr;  // bound to 1027
    CSystemIcon m_trayIcon;
    int m_bMaximized = 0;                 // filled the work area by the own maximise
    wxRect m_rcRestore;                   // rectangle before the own maximise
    CWebBrowser2 m_browser;               // its view is control 1032
    wxTreeCtrl* m_treeQuick = nullptr;    // bound to 1022
    wxTreeCtrl* m_treeCatalog = nullptr;  // bound to 1021
    CSkinButton* m_btnTab = nullptr;      // bound to 1033
    std::string m_strCacheFolder;         // the settings value, used as it stands
    int m_nViewMode = 0;                  // which content view shows (category switching)
    std::string m_strViewType;            // the catalog type shown in view mode 1
    std::string m_strShowAdUrl;           // the advertisement panel's page at start-up
    wxTreeCtrl* m_listenTree = nullptr;   // the tree the playing title was picked in
    wxTreeItemId m_listenItem;            // its item there (checked against the tree before use)
    std::string m_listenText;
    std::string m_strShownType;  // the catalog type last loaded into the tree
    zorbel::catalog::CatalogTypeRows m_catalogRows;
    std::string m_strShownQuick;  // the quick list last loaded

protected:
    // Binds the controls to their members: 1027, 1021, 1022, 1033, then 1032.
    virtual void DoDataExchange();

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnTimer(wxTimerEvent& event);

    // Construction steps.
    void CreateMainWindow(wxWindow* parent);
    void ReadSettings();
    void LoadAdvertisements(const std::string& url);

    // OnInitDialog steps.
    void CreateControls();
    void SkinControls();
    void ShowOnlineCount();
    void StartTimers();

    // Catalog browsing: list tabs, tree selections, the download's "100%" and the category
    // buttons.
    void ShowCatalogFailure();
    void FillCatalogTree(const zorbel::catalog::TypeRows& rows);
    void OnTabRecommended(wxCommandEvent& event);
    void OnTabFavourites(wxCommandEvent& event);
    void OnTabPlayed(wxCommandEvent& event);
    void OnCatalogTreeSelChanged(wxTreeEvent& event);
    void OnQuickTreeSelChanged(wxTreeEvent& event);
    void NoteListenSource(wxTreeCtrl* tree, const wxTreeItemId& item);
    // The item still in tree that was noted, or an invalid id when the tree has changed.
    wxTreeItemId FindListenItem() const;
    // Plays a title from the cache or starts its download; false when a running download
    // refused it.
    bool ActivateTitle(const std::string& titleName);
    // After a download of titleName failed: a friendly notice, and no title stays selected.
    void ShowDownloadFailure(const std::string& titleName, const DownloadResult& result);
    void OnStatusChanged(wxCommandEvent& event);
    void ShowCatalogTypeView(const char* caption, const char* typeId);
    void OnCategoryHome(wxCommandEvent& event);
    void OnCategorySongs(wxCommandEvent& event);
    void OnCategoryStories(wxCommandEvent& event);
    void OnCategoryKnowledge(wxCommandEvent& event);
    void OnCategoryGames(wxCommandEvent& event);
    void OnCategoryCartoons(wxCommandEvent& event);
    void OnCategoryCommunity(wxCommandEvent& event);

    // Frame and commands (PlimDlgFrame.cpp).
    bool ConfirmExit();
    void MaximizeToWorkArea();
    void RestoreFromMaximize();
    static void OpenAddress(const std::string& address);
    void OnCloseButton(wxCommandEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    void OnExitCommand(wxCommandEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnMaximizeButton(wxCommandEvent& event);
    void OnMinimizeButton(wxCommandEvent& event);
    void OnShowMainWindowCommand(wxCommandEvent& event);
    void OnTrayNotify(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnMenuButton(wxCommandEvent& event);
    void OnFeedback(wxCommandEvent& event);
    void OnSkinButton(wxCommandEvent& event);
    void OnAdLinkClick(wxCommandEvent& event);
    void OnSettings(wxCommandEvent& event);
    void OnVendorSite(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);

    // The offline library: its window, the trees following its switch and its marks, and a
    // class queue left by an earlier run.
    void OnOfflineLibrary(wxCommandEvent& event);
    void RefreshOfflineView();
    void MarkStoredTitle(const std::string& titleName);
    void ResumeOfflineQueue();
    void OnBrowserNewWindow3(CWebBrowserEvent& event);
    void OnBrowserDocumentComplete(CWebBrowserEvent& event);
    wxRect m_rcMaximized;         // where the own maximise put the window
    int m_nMoveCorrections = 0;   // position corrections against the window manager
    bool m_bExitStarted = false;  // ExitApplication has run: a second call does nothing
    static constexpr int kMaxMoveCorrections = 3;

    wxTimer m_timerAdRotation;
    wxTimer m_timerDeferredStartup;
    bool m_bInitialised = false;
    bool m_bDeferredStartupDone = false;
    std::unique_ptr<zorbel::x11::CCopyDataReceiver> m_copyDataReceiver;
    void OnOnlineUpdate(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};

// The one main window, set when it is initialised; other windows show and hide it.
extern CPlimDlg* MainDialog;
