// The main window's frame (caption drag, own maximise, minimise, close with a question),
// its command table, its browser's events and the notification-area callback.
#include "mainwnd/PlimDlg.h"

#include <gtk/gtk.h>

#include <memory>
#include <utility>

#include <wx/app.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "app/SettingsFiles.h"
#include "app/DlgSettings.h"
#include "catalog/DownloadState.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/PlimIds.h"
#include "parent/ParentGate.h"
#include "platform/DesktopBrowser.h"
#include "platform/HostConfig.h"
#include "platform/MainWindowRun.h"
#include "platform/MemoryTrim.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/WebAddress.h"
#include "ui/DlgSkin.h"
#include "web/DlgFeedback.h"

using namespace zorbel::plim;

namespace {

CPlimDlg::OpenAddressHook& OpenHook() {
    static CPlimDlg::OpenAddressHook hook;
    return hook;
}

// The maker's hosts as the settings file names them, read when needed: the file may have
// changed since start-up.
zorbel::HostConfig Hosts() {
    return zorbel::files::LoadHosts();
}

}  // namespace

void CPlimDlg::SetOpenAddressHook(OpenAddressHook hook) {
    OpenHook() = std::move(hook);
}

void CPlimDlg::OpenAddress(const std::string& address) {
    // Links come from the maker's pages and list: only web addresses leave the program.
    if (!zorbel::IsWebAddress(address)) return;
    if (!zorbel::parent::ParentGate::Allow(MainDialog, "打开网页")) return;
    if (OpenHook()) {
        OpenHook()(address);
        return;
    }
    // The result is of no interest: a failed start of the browser leaves nothing to do.
    zorbel::OpenInDesktopBrowser(address);
}

// ---- exit ----------------------------------------------------------------------------------

void CPlimDlg::ExitApplication() {
    // A second exit (the updater's message after a confirmed close, say) must not schedule
    // the window for destruction once its run has ended and its owner deletes it.
    if (m_bExitStarted) return;
    m_bExitStarted = true;
    AppExiting = 1;
    m_trayIcon.RemoveIcon();
    m_timerAdRotation.Stop();
    m_timerDeferredStartup.Stop();
    // The start-up sequence owns this window and deletes it once its run has ended;
    // scheduling it for destruction as well would delete it twice. It leaves the screen now.
    if (CMainWindowRun::End(this, 0)) {
        Hide();
        return;
    }
    Destroy();
}

bool CPlimDlg::ConfirmExit() {
    if (!zorbel::parent::ParentGate::Allow(this, "退出")) return false;
    const int answer =
        zorbel::AppMessageBox(this, kExitQuestion, kExitCaption,
                              zorbel::kMbYesNo | zorbel::kMbIconQuestion | zorbel::kMbDefButton2);
    return answer == zorbel::kIdYes;
}

void CPlimDlg::OnCloseButton(wxCommandEvent&) {
    if (ConfirmExit()) ExitApplication();
}

void CPlimDlg::OnCloseWindow(wxCloseEvent& event) {
    // A close that cannot be refused (the session ends) goes without the question.
    if (event.CanVeto() && !ConfirmExit()) {
        event.Veto();
        return;
    }
    ExitApplication();
}

void CPlimDlg::OnExitCommand(wxCommandEvent&) {
    if (!zorbel::parent::ParentGate::Allow(this, "退出")) return;
    ExitApplication();
}

// ---- caption, maximise, minimise -----------------------------------------------------------

bool CPlimDlg::IsCaptionPoint(int y) {
    return y <= kCaptionHeight;
}

bool CPlimDlg::ShouldStartCaptionDrag(int y) const {
    return IsCaptionPoint(y) && m_bMaximized == 0;
}

wxRect CPlimDlg::MaximizedRect(const wxRect& workArea) {
    return wxRect(workArea.x - 2, workArea.y - 2, workArea.width + 4, workArea.height + 4);
}

wxRect CPlimDlg::WorkArea() {
    // The primary monitor's only, also with several monitors.
    return wxDisplay().GetClientArea();
}

void CPlimDlg::OnLeftDown(wxMouseEvent& event) {
    event.Skip();
    if (!ShouldStartCaptionDrag(event.GetY())) return;
    // The window manager moves the window, as it would by a caption of its own.
    if (GtkWidget* widget = GetHandle()) {
        const wxPoint screen = ClientToScreen(event.GetPosition());
        gtk_window_begin_move_drag(GTK_WINDOW(widget), 1, screen.x, screen.y,
                                   gtk_get_current_event_time());
    }
}

void CPlimDlg::OnLeftDClick(wxMouseEvent& event) {
    if (IsCaptionPoint(event.GetY())) ToggleMaximize();
    event.Skip();
}

void CPlimDlg::ToggleMaximize() {
    if (m_bMaximized == 1)
        RestoreFromMaximize();
    else
        MaximizeToWorkArea();
    m_browser.Navigate(Hosts().webServer + kCommunityPage);
    zorbel::TrimWorkingSet();
}

void CPlimDlg::MaximizeToWorkArea() {
    if (m_bMaximized != 0) return;
    m_rcRestore = GetRect();
    const wxRect workArea = WorkArea();
    m_bMaximized = 1;
    if (wxWindow* button = GetDlgItem(kIdMaximize)) SkinDLL_SubclassWindow(button, kRestoreElement);
    m_rcMaximized = MaximizedRect(workArea);
    m_nMoveCorrections = 0;
    Freeze();
    SetSize(m_rcMaximized);
    Thaw();
}

void CPlimDlg::RestoreFromMaximize() {
    if (m_bMaximized != 1) return;
    m_bMaximized = 0;
    if (wxWindow* button = GetDlgItem(kIdMaximize)) SkinDLL_SubclassWindow(button, kMaxElement);
    Freeze();
    SetSize(m_rcRestore);
    Thaw();
}

void CPlimDlg::OnMove(wxMoveEvent& event) {
    event.Skip();
    // openbox pulls a window that reaches past the screen's edges back on screen; the own
    // maximise wants exactly that overlap. A few corrections at most, so that a window
    // manager that insists cannot make the two fight for ever.
    if (m_bMaximized != 1 || IsIconized()) return;
    if (GetPosition() == m_rcMaximized.GetPosition()) return;
    if (m_nMoveCorrections >= kMaxMoveCorrections) return;
    ++m_nMoveCorrections;
    Move(m_rcMaximized.GetPosition());
}

void CPlimDlg::OnMaximizeButton(wxCommandEvent&) {
    ToggleMaximize();
}

// A minimised window is drawn by the window manager and the task bar, not by the window:
// what they show is the icon set on the window at initialisation (m_hAppIcon), so there is
// no painting of our own while minimised.
void CPlimDlg::OnMinimizeButton(wxCommandEvent&) {
    Iconize(true);
    zorbel::TrimWorkingSet();
}

// ---- the window itself ---------------------------------------------------------------------

void CPlimDlg::ShowMainWindow() {
    if (IsIconized()) Iconize(false);
    Show(true);
    Raise();
    SetFocus();
}

void CPlimDlg::OnShowMainWindowCommand(wxCommandEvent&) {
    ShowMainWindow();
}

void CPlimDlg::OnTrayNotify(wxCommandEvent& event) {
    if (event.GetExtraLong() == CSystemIcon::kLeftButtonDoubleClick) {
        ShowMainWindow();
        return;
    }
    m_trayIcon.HandleIconMessage(event.GetInt(), event.GetExtraLong());
}

// ---- keys ----------------------------------------------------------------------------------

void CPlimDlg::OnOK(wxCommandEvent&) {
    // Enter ends nothing: the main window is not a form.
}

void CPlimDlg::OnCancel(wxCommandEvent&) {
    // Escape would hide the main window with no question, leaving the program running
    // without a window: it is ignored, as Enter is.
}

void CPlimDlg::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
        // Withheld from the dialog's own handling, which would close it, but still given to
        // the focused control.
        event.DoAllowNextEvent();
        return;
    }
    event.Skip();
}

// ---- menus and dialogs ---------------------------------------------------------------------

std::unique_ptr<wxMenu> CPlimDlg::BuildPopupMenu() {
    auto menu = std::make_unique<wxMenu>();
    menu->Append(kCmdSettings, wxString::FromUTF8("设置"));
    menu->AppendSeparator();
    menu->Append(kCmdVendorSite, wxString::FromUTF8("儿童游戏官网"));
    menu->Append(kCmdAbout, wxString::FromUTF8("关于我们"));
    // The offline library comes after the original items, which keep their places.
    menu->AppendSeparator();
    menu->Append(kCmdOfflineLibrary, wxString::FromUTF8("离线宝库..."));
    return menu;
}

void CPlimDlg::OnMenuButton(wxCommandEvent&) {
    wxWindow* button = GetDlgItem(kIdMenu);
    if (!button) return;
    // Built each time and gone when the menu closes; the choice comes back as wxEVT_MENU.
    std::unique_ptr<wxMenu> menu = BuildPopupMenu();
    const wxRect rect = button->GetRect();
    PopupMenu(menu.get(), rect.GetLeft(), rect.GetBottom() + 1);
}

void CPlimDlg::OnFeedback(wxCommandEvent&) {
    if (!zorbel::parent::ParentGate::Allow(this, "写留言")) return;
    CDlgFeedback dialog(nullptr);
    dialog.ShowModal();
}

void CPlimDlg::OnSkinButton(wxCommandEvent&) {
    wxWindow* button = GetDlgItem(kIdSkin);
    if (!button) return;
    if (!zorbel::parent::ParentGate::Allow(this, "换皮肤")) return;
    SkinDLL_EnableHookSkin(0);
    const wxRect r = button->GetScreenRect();
    if (m_pSkinDlg == nullptr) {
        m_pSkinDlg = new CDlgSkin(this, r.GetLeft(), r.GetTop(), r.GetRight(), r.GetBottom());
        if (!m_pSkinDlg->Create(CDlgSkin::kTemplateId, this)) {
            // Nothing to show; the next click tries again.
            m_pSkinDlg->Destroy();
            m_pSkinDlg = nullptr;
        }
    }
    if (m_pSkinDlg) m_pSkinDlg->DropDown(r);
    SkinDLL_EnableHookSkin(1);
}

void CPlimDlg::OnAdLinkClick(wxCommandEvent&) {
    OpenAddress(m_strAdLink);
}

void CPlimDlg::OnSettings(wxCommandEvent&) {
    if (!zorbel::parent::ParentGate::Allow(this, "打开设置")) return;
    CDlgSettings dialog(this);
    if (dialog.ShowModal() == wxID_OK)
        m_strCacheFolder = zorbel::ReReadCacheFolderAfterSettings(this);
}

void CPlimDlg::OnVendorSite(wxCommandEvent&) {
    OpenAddress(Hosts().webServer + "/");
}

void CPlimDlg::OnAbout(wxCommandEvent&) {
    CAboutDlg dialog(this);
    dialog.ShowModal();
}

// ---- browser 1032 --------------------------------------------------------------------------

void CPlimDlg::OnBrowserNewWindow3(CWebBrowserEvent& event) {
    // Pages of the community open their links in the desktop's browser; the cancel flag is
    // left as it came (no browser window of our own is ever made).
    OpenAddress(std::string(event.GetURL().utf8_str()));
}

void CPlimDlg::OnBrowserDocumentComplete(CWebBrowserEvent&) {
    zorbel::TrimWorkingSet();
}
