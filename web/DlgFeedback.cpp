#include "web/DlgFeedback.h"

#include "app/SettingsFiles.h"
#include "app/SystemIcon.h"
#include "platform/SkinEngine.h"
#include "platform/templates/TemplateBuilder.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgFeedback, wxDialog)
    EVT_INIT_DIALOG (         CDlgFeedback::OnInitDialog)
    EVT_BUTTON      (wxID_OK, CDlgFeedback::OnOK)
    // Escape is the cancel command; Enter stays with the form.
    EVT_CHAR_HOOK   (         CDlgFeedback::OnCharHook)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
// The small icon of a dialog's title bar.
const wxSize kSmallIconSize(16, 16);

}  // namespace

CDlgFeedback::CDlgFeedback(wxWindow* parent)
    : CDlgFeedback(parent, zorbel::files::LoadHosts().webServer) {}

CDlgFeedback::CDlgFeedback(wxWindow* parent, const std::string& webServer)
    : m_strPageUrl(webServer + kPagePath) {
    zorbel::templates::CreateTemplateDialog(
        this, parent, kTemplateId,
        [this](wxWindow* container, const zorbel::templates::DialogControl& control, wxWindowID id,
               const wxRect& rect) -> wxWindow* {
            if (control.id != kBrowserId || !m_browser.Create(container, id, rect)) return nullptr;
            return m_browser.GetView();
        });
}

CDlgFeedback::~CDlgFeedback() = default;

void CDlgFeedback::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    wxBitmapBundle icon = CSystemIcon::LoadAppIcon();
    if (icon.IsOk()) SetIcon(icon.GetIcon(kSmallIconSize));
    SkinDLL_SubclassWindow(this, "winTip");
    if (wxWebView* view = m_browser.GetView()) {
        const wxSize client = GetClientSize();
        view->SetSize(0, 0, client.x, client.y);
    }
    m_browser.Navigate(m_strPageUrl);
    m_browser.SetSilent(true);
}

void CDlgFeedback::OnOK(wxCommandEvent& /*event*/) {}

void CDlgFeedback::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER) {
        // The form's own Enter (a new line, sending the form) still happens.
        event.DoAllowNextEvent();
        return;
    }
    if (event.GetKeyCode() == WXK_ESCAPE) {
        // A dialog without a cancel button would ignore Escape; here it is the cancel command,
        // which ends the window.
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        cancel.SetEventObject(this);
        ProcessWindowEvent(cancel);
        return;
    }
    event.Skip();
}
