#include "web/DlgShowAd.h"

#include <wx/utils.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "parent/ParentGate.h"
#include "platform/DesktopBrowser.h"
#include "platform/MemoryTrim.h"
#include "platform/SkinEngine.h"
#include "platform/WebAddress.h"
#include "web/BrowserPanel.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgShowAd, wxPanel)
    EVT_INIT_DIALOG        (                        CDlgShowAd::OnInitDialog)
    EVT_SIZE               (                        CDlgShowAd::OnSize)
    EVT_NAVIGATE_COMPLETE2 (CDlgShowAd::kBrowserId, CDlgShowAd::OnNavigateComplete2)
    EVT_DOCUMENT_COMPLETE  (CDlgShowAd::kBrowserId, CDlgShowAd::OnDocumentComplete)
    EVT_NEW_WINDOW3        (CDlgShowAd::kBrowserId, CDlgShowAd::OnNewWindow3)
    EVT_NEW_WINDOW2        (CDlgShowAd::kBrowserId, CDlgShowAd::OnNewWindow2)
    EVT_BEFORE_NAVIGATE2   (CDlgShowAd::kBrowserId, CDlgShowAd::OnBeforeNavigate2)
    // Enter and Escape, the panel's commands.
    EVT_CHAR_HOOK          (                        CDlgShowAd::OnCharHook)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
void OpenWithDesktop(const std::string& address) {
    zorbel::OpenInDesktopBrowser(address);
}

}  // namespace

CDlgShowAd::CDlgShowAd() : CDlgShowAd(zorbel::files::LoadHosts().webServer) {}

CDlgShowAd::CDlgShowAd(const std::string& webServer)
    : m_strPageUrl(webServer + kPagePath), m_shellOpen(&OpenWithDesktop) {}

CDlgShowAd::~CDlgShowAd() = default;

bool CDlgShowAd::Create(wxWindow* parent) {
    if (!CreateBrowserPanel(this, parent, kTemplateId, kBrowserId, m_browser)) return false;
    InitDialog();
    return true;
}

void CDlgShowAd::SetShellOpener(ShellOpener opener) {
    m_shellOpen = opener ? std::move(opener) : ShellOpener(&OpenWithDesktop);
}

void CDlgShowAd::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    // The main window places the panel when it lays out its children.
    SetSize(0, 0, 0, 0);
    SkinDLL_SubclassWindow(this, "winChild");
    m_browser.Navigate(m_strPageUrl);
    m_browser.SetSilent(true);
}

bool CDlgShowAd::IsVisibleNow() const {
    for (const wxWindow* window = this; window; window = window->GetParent()) {
        if (!window->IsShown()) return false;
        if (window->IsTopLevel()) break;
    }
    return true;
}

void CDlgShowAd::OnSize(wxSizeEvent& event) {
    event.Skip();
    wxWebView* view = m_browser.GetView();
    if (!view) return;
    const wxSize size = event.GetSize();
    view->SetSize(0, 0, size.x, size.y);
    // Advertisements are laid out for the panel's size, so a visible panel fetches a fresh one.
    if (IsVisibleNow()) m_browser.Navigate(m_strPageUrl);
}

void CDlgShowAd::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            // Enter is no command here, but a form on the page still gets it. Never handed on
            // to the main window.
            event.DoAllowNextEvent();
            return;
        case WXK_ESCAPE:
            // Escape cancels a modeless dialog, which hides it; the main window, whose own
            // cancel would hide it, never sees it.
            Hide();
            return;
        default:
            event.Skip();
    }
}

bool CDlgShowAd::Show(const std::string& address) {
    if (!GetHandle()) return false;
    if (address != m_strPageUrl) m_browser.Navigate(m_strPageUrl);
    wxPanel::Show(true);
    return true;
}

void CDlgShowAd::OnBeforeNavigate2(CWebBrowserEvent& /*event*/) {}

void CDlgShowAd::OnNavigateComplete2(CWebBrowserEvent& /*event*/) {
    ++m_nPending;
}

void CDlgShowAd::OnDocumentComplete(CWebBrowserEvent& /*event*/) {
    // A load that fails before anything arrives completes without having begun; counting it
    // would leave the counter below zero and the panel hidden for good.
    if (m_nPending > 0) --m_nPending;
    if (m_nPending == 0) {
        const bool wasShown = IsShown();
        wxPanel::Show(true);
        if (!wasShown && m_onShownByLoad) m_onShownByLoad();
    }
    zorbel::TrimWorkingSet();
}

void CDlgShowAd::OnNewWindow2(CWebBrowserEvent& /*event*/) {}

void CDlgShowAd::OnNewWindow3(CWebBrowserEvent& event) {
    const std::string address(event.GetURL().utf8_str());
    // Only web addresses leave for the desktop: a page's "file:" or "smb:" link goes nowhere.
    if (zorbel::IsWebAddress(address) && zorbel::parent::ParentGate::Allow(this, "打开网页"))
        m_shellOpen(address);
}
