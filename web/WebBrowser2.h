#pragma once

#include <string>

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/webview.h>
#include <wx/weakref.h>

class wxWindow;

// A browser event as the owner window's event table receives it: the address concerned, the
// frame it targets (empty for the page itself) and, for the events that allow it, a cancel
// flag that a handler sets to stop the navigation or the new window.
class CWebBrowserEvent : public wxCommandEvent {
public:
    CWebBrowserEvent(wxEventType type = wxEVT_NULL, int id = 0) : wxCommandEvent(type, id) {}

    const wxString& GetURL() const { return m_url; }
    void SetURL(const wxString& url) { m_url = url; }
    const wxString& GetTarget() const { return m_target; }
    void SetTarget(const wxString& target) { m_target = target; }
    bool GetCancel() const { return m_cancel; }
    void SetCancel(bool cancel) { m_cancel = cancel; }

    wxEvent* Clone() const override { return new CWebBrowserEvent(*this); }

private:
    wxString m_url;
    wxString m_target;
    bool m_cancel = false;
};

// Before a navigation (the page or a frame); cancelling keeps the current page.
wxDECLARE_EVENT(wxEVT_WB_BEFORE_NAVIGATE2, CWebBrowserEvent);
// The navigation is committed: the new document has begun to arrive.
wxDECLARE_EVENT(wxEVT_WB_NAVIGATE_COMPLETE2, CWebBrowserEvent);
// The document has finished loading.
wxDECLARE_EVENT(wxEVT_WB_DOCUMENT_COMPLETE, CWebBrowserEvent);
// A page asks for a new window (window.open, a link with a target of its own). No browser
// window is ever made; the address is carried by NewWindow3, which comes first.
wxDECLARE_EVENT(wxEVT_WB_NEW_WINDOW2, CWebBrowserEvent);
wxDECLARE_EVENT(wxEVT_WB_NEW_WINDOW3, CWebBrowserEvent);

typedef void (wxEvtHandler::*CWebBrowserEventFunction)(CWebBrowserEvent&);
#define CWebBrowserEventHandler(func) wxEVENT_HANDLER_CAST(CWebBrowserEventFunction, func)

#define EVT_BEFORE_NAVIGATE2(id, fn) \
    wx__DECLARE_EVT1(wxEVT_WB_BEFORE_NAVIGATE2, id, CWebBrowserEventHandler(fn))
#define EVT_NAVIGATE_COMPLETE2(id, fn) \
    wx__DECLARE_EVT1(wxEVT_WB_NAVIGATE_COMPLETE2, id, CWebBrowserEventHandler(fn))
#define EVT_DOCUMENT_COMPLETE(id, fn) \
    wx__DECLARE_EVT1(wxEVT_WB_DOCUMENT_COMPLETE, id, CWebBrowserEventHandler(fn))
#define EVT_NEW_WINDOW2(id, fn) \
    wx__DECLARE_EVT1(wxEVT_WB_NEW_WINDOW2, id, CWebBrowserEventHandler(fn))
#define EVT_NEW_WINDOW3(id, fn) \
    wx__DECLARE_EVT1(wxEVT_WB_NEW_WINDOW3, id, CWebBrowserEventHandler(fn))

// The program's browser control: a web view (WebKitGTK) created in a parent window under a
// control id, with the host behaviours of CWebHostSite. Its events go, as CWebBrowserEvent with
// the control id, to the parent's event table. Every call on a wrapper whose view does not
// exist (never created, or already destroyed with its parent) does nothing.
class CWebBrowser2 : public wxEvtHandler {
public:
    CWebBrowser2() = default;
    ~CWebBrowser2() override;
    CWebBrowser2(const CWebBrowser2&) = delete;
    CWebBrowser2& operator=(const CWebBrowser2&) = delete;

    // Creates the view (an empty page, no events) in rect of parent; false when it cannot be
    // created or the wrapper already has a view.
    bool Create(wxWindow* parent, int id, const wxRect& rect);
    void Navigate(const std::string& url);
    // Silent: the engine shows no dialog boxes of its own (see CWebHostSite::SetSilent).
    void SetSilent(bool silent);
    bool GetSilent() const;
    // The address of the page shown; empty without a view.
    std::string GetLocationURL() const;

    // The view, for placing and sizing it; null when there is none.
    wxWebView* GetView() const { return m_view.get(); }
    bool IsCreated() const { return m_view.get() != nullptr; }

private:
    void OnNavigating(wxWebViewEvent& event);
    void OnNavigated(wxWebViewEvent& event);
    void OnLoaded(wxWebViewEvent& event);
    void OnNewWindow(wxWebViewEvent& event);
    // Sends a browser event from the view to its parent; returns the handler's cancel flag.
    bool Raise(wxEventType type, const wxString& url, const wxString& target);
    void Unbind();

    wxWeakRef<wxWebView> m_view;
    // The engine finishes an empty document of its own when the view is made; like a new
    // browser control, the wrapper reports nothing before the first navigation has begun and
    // been committed.
    bool m_begun = false;
    bool m_committed = false;
};
