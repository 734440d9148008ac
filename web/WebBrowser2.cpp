#include "web/WebBrowser2.h"

#include <wx/webview.h>
#include <wx/window.h>

#include "parent/ParentGate.h"
#include "web/HostViewSettings.h"
#include "web/SharedPageProcess.h"
#include "web/WebHostSite.h"

wxDEFINE_EVENT(wxEVT_WB_BEFORE_NAVIGATE2, CWebBrowserEvent);
wxDEFINE_EVENT(wxEVT_WB_NAVIGATE_COMPLETE2, CWebBrowserEvent);
wxDEFINE_EVENT(wxEVT_WB_DOCUMENT_COMPLETE, CWebBrowserEvent);
wxDEFINE_EVENT(wxEVT_WB_NEW_WINDOW2, CWebBrowserEvent);
wxDEFINE_EVENT(wxEVT_WB_NEW_WINDOW3, CWebBrowserEvent);

CWebBrowser2::~CWebBrowser2() {
    if (wxWebView* view = m_view.get()) {
        Unbind();
        view->Destroy();
    }
}

bool CWebBrowser2::Create(wxWindow* parent, int id, const wxRect& rect) {
    if (m_view.get() || !parent) return false;
    if (!wxWebView::IsBackendAvailable(wxWebViewBackendDefault)) return false;
    CHostViewSettings settings;
    CSharedPageProcess sharedProcess;
    // No border: the page sits flat in its window.
    wxWebView* view = wxWebView::New(parent, id, wxString(), rect.GetPosition(), rect.GetSize(),
                                     wxWebViewBackendDefault, wxBORDER_NONE);
    if (!view) return false;
    sharedProcess.Made(view);
    zorbel::web::ApplyHostBehaviours(view);
    m_view = view;
    view->Bind(wxEVT_WEBVIEW_NAVIGATING, &CWebBrowser2::OnNavigating, this);
    view->Bind(wxEVT_WEBVIEW_NAVIGATED, &CWebBrowser2::OnNavigated, this);
    view->Bind(wxEVT_WEBVIEW_LOADED, &CWebBrowser2::OnLoaded, this);
    view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &CWebBrowser2::OnNewWindow, this);
    return true;
}

void CWebBrowser2::Unbind() {
    wxWebView* view = m_view.get();
    if (!view) return;
    view->Unbind(wxEVT_WEBVIEW_NAVIGATING, &CWebBrowser2::OnNavigating, this);
    view->Unbind(wxEVT_WEBVIEW_NAVIGATED, &CWebBrowser2::OnNavigated, this);
    view->Unbind(wxEVT_WEBVIEW_LOADED, &CWebBrowser2::OnLoaded, this);
    view->Unbind(wxEVT_WEBVIEW_NEWWINDOW, &CWebBrowser2::OnNewWindow, this);
}

void CWebBrowser2::Navigate(const std::string& url) {
    if (wxWebView* view = m_view.get()) view->LoadURL(wxString::FromUTF8(url));
}

void CWebBrowser2::SetSilent(bool silent) {
    if (CWebHostSite* site = CWebHostSite::Of(m_view.get())) site->SetSilent(silent);
}

bool CWebBrowser2::GetSilent() const {
    CWebHostSite* site = CWebHostSite::Of(m_view.get());
    return site && site->IsSilent();
}

std::string CWebBrowser2::GetLocationURL() const {
    wxWebView* view = m_view.get();
    return view ? std::string(view->GetCurrentURL().utf8_str()) : std::string();
}

bool CWebBrowser2::Raise(wxEventType type, const wxString& url, const wxString& target) {
    wxWebView* view = m_view.get();
    if (!view) return false;
    CWebBrowserEvent event(type, view->GetId());
    event.SetEventObject(view);
    event.SetURL(url);
    event.SetTarget(target);
    // A command event: unhandled by the view itself, it climbs to the owner window.
    view->HandleWindowEvent(event);
    return event.GetCancel();
}

void CWebBrowser2::OnNavigating(wxWebViewEvent& event) {
    // In parent mode pages stay within the maker's hosts; anything else is refused quietly.
    if (!zorbel::parent::ParentGate::MayNavigate(std::string(event.GetURL().utf8_str()))) {
        event.Veto();
        return;
    }
    if (Raise(wxEVT_WB_BEFORE_NAVIGATE2, event.GetURL(), event.GetTarget())) {
        event.Veto();
        return;
    }
    m_begun = true;
}

void CWebBrowser2::OnNavigated(wxWebViewEvent& event) {
    if (!m_begun) return;
    m_committed = true;
    Raise(wxEVT_WB_NAVIGATE_COMPLETE2, event.GetURL(), event.GetTarget());
}

void CWebBrowser2::OnLoaded(wxWebViewEvent& event) {
    if (!m_committed) return;
    Raise(wxEVT_WB_DOCUMENT_COMPLETE, event.GetURL(), event.GetTarget());
}

void CWebBrowser2::OnNewWindow(wxWebViewEvent& event) {
    if (Raise(wxEVT_WB_NEW_WINDOW3, event.GetURL(), event.GetTarget())) return;
    Raise(wxEVT_WB_NEW_WINDOW2, event.GetURL(), event.GetTarget());
}
