#include "web/DlgMovie.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <wx/utils.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "parent/ParentGate.h"
#include "platform/DesktopBrowser.h"
#include "platform/SkinEngine.h"
#include "platform/WebAddress.h"
#include "web/BrowserPanel.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgMovie, CFullScreenPanel)
    EVT_INIT_DIALOG (                       CDlgMovie::OnInitDialog)
    EVT_SIZE        (                       CDlgMovie::OnSize)
    EVT_NEW_WINDOW3 (CDlgMovie::kBrowserId, CDlgMovie::OnNewWindow3)
    EVT_CHAR_HOOK   (                       CDlgMovie::OnCharHook)
    EVT_RIGHT_DOWN  (                       CDlgMovie::OnRightDown)
    EVT_LEFT_DCLICK (                       CDlgMovie::OnLeftDoubleClick)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
void OpenWithDesktop(const std::string& address) {
    zorbel::OpenInDesktopBrowser(address);
}

}  // namespace

// The page's native input, seen before the engine's own handlers. The panel is reached through
// a weak reference: the native view can outlive the panel by a moment during teardown.
struct CDlgMovieNativeInput {
    static gboolean KeyPress(GtkWidget*, GdkEventKey*, gpointer) {
        // Every key press, with or without Alt: a cartoon is watched, not typed into.
        return TRUE;
    }

    static gboolean ButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
        if (event->button == 3) return TRUE;
        CDlgMovie* panel = static_cast<wxWeakRef<CDlgMovie>*>(data)->get();
        if (panel && event->button == 1 && event->type == GDK_2BUTTON_PRESS) {
            // The panel changes parents on the toggle, which must not happen inside the
            // view's own event; the page still gets its double click.
            panel->CallAfter(&CDlgMovie::ToggleFullScreen);
        }
        return FALSE;
    }

    static void FreeRef(gpointer data, GClosure*) {
        delete static_cast<wxWeakRef<CDlgMovie>*>(data);
    }
};

CDlgMovie::CDlgMovie() : CDlgMovie(zorbel::files::LoadHosts().webServer) {}

CDlgMovie::CDlgMovie(const std::string& webServer)
    : m_strDefaultUrl(webServer + kPagePath),
      m_strPageUrl(m_strDefaultUrl),
      m_shellOpen(&OpenWithDesktop) {}

CDlgMovie::~CDlgMovie() = default;

bool CDlgMovie::Create(wxWindow* parent) {
    if (!CreateBrowserPanel(this, parent, kTemplateId, kBrowserId, m_browser)) return false;
    SetMainWindow(GetParent());
    WatchNativeInput();
    InitDialog();
    return true;
}

void CDlgMovie::WatchNativeInput() {
    wxWebView* view = m_browser.GetView();
    auto* native = view ? static_cast<GObject*>(view->GetNativeBackend()) : nullptr;
    if (!native || !WEBKIT_IS_WEB_VIEW(native)) return;
    g_signal_connect(native, "key-press-event", G_CALLBACK(&CDlgMovieNativeInput::KeyPress),
                     nullptr);
    g_signal_connect_data(
        native, "button-press-event", G_CALLBACK(&CDlgMovieNativeInput::ButtonPress),
        new wxWeakRef<CDlgMovie>(this), &CDlgMovieNativeInput::FreeRef, GConnectFlags(0));
}

void CDlgMovie::SetShellOpener(ShellOpener opener) {
    m_shellOpen = opener ? std::move(opener) : ShellOpener(&OpenWithDesktop);
}

void CDlgMovie::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    // The main window places the panel when it lays out its children.
    SetSize(0, 0, 0, 0);
    SkinDLL_SubclassWindow(this, "winChild");
    m_browser.Navigate(m_strPageUrl);
    m_browser.SetSilent(true);
}

void CDlgMovie::OnSize(wxSizeEvent& event) {
    event.Skip();
    if (wxWebView* view = m_browser.GetView()) {
        const wxSize size = event.GetSize();
        view->SetSize(0, 0, size.x, size.y);
    }
}

void CDlgMovie::Open(const std::string& address) {
    if (address != m_strPageUrl) {
        m_strPageUrl = address.empty() ? m_strDefaultUrl : address;
        m_bOwnPage = !address.empty();
        m_browser.Navigate(m_strPageUrl);
    }
    wxPanel::Show(true);
}

void CDlgMovie::OnNewWindow3(CWebBrowserEvent& event) {
    // A cartoon page opens nothing of its own; the default page's links go to the desktop.
    if (m_bOwnPage) {
        event.SetCancel(true);
        return;
    }
    const std::string address(event.GetURL().utf8_str());
    // Only web addresses leave for the desktop: a page's "file:" or "smb:" link goes nowhere.
    if (zorbel::IsWebAddress(address) && zorbel::parent::ParentGate::Allow(this, "打开网页"))
        m_shellOpen(address);
}

void CDlgMovie::OnCharHook(wxKeyEvent& /*event*/) {
    // Handled, so neither the page nor the main window (where Escape would hide it) gets it:
    // Enter and Escape never close the panel.
}

void CDlgMovie::OnLeftDoubleClick(wxMouseEvent& event) {
    event.Skip();
    CallAfter(&CDlgMovie::ToggleFullScreen);
}

void CDlgMovie::OnRightDown(wxMouseEvent& /*event*/) {}
