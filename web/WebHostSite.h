#pragma once

#include <wx/webview.h>
#include <wx/weakref.h>

#include "web/AcceleratorRules.h"

// What every web view of the program gets, whoever creates it (the browser wrapper, the movie
// control): pages behave as part of the program rather than as a browser. No context menu, no
// reload/open/print/new-window keys, script messages in the program's own message box, and
// window.open never creates a browser window (the view raises wxEVT_WEBVIEW_NEWWINDOW instead).
//
// The behaviours travel with the native view and end with it, so no wrapper's lifetime can take
// them away from views created later.
class CWebHostSite {
public:
    // Attaches the host to the view; calling it again for the same view changes nothing.
    // A null view or one of another backend is left alone; returns whether the view has a host.
    static bool Attach(wxWebView* view);
    // The host of a view, or null when none is attached.
    static CWebHostSite* Of(wxWebView* view);

    // With silent set, the engine shows no dialog of its own: a request for a password goes on
    // without one (the server's refusal page shows) and a page's print request is dropped.
    // Script messages still reach the user.
    void SetSilent(bool silent) { m_silent = silent; }
    bool IsSilent() const { return m_silent; }

    // The caption of every script message box.
    static const char* const kScriptCaption;

private:
    explicit CWebHostSite(wxWebView* view);
    ~CWebHostSite();
    CWebHostSite(const CWebHostSite&) = delete;
    CWebHostSite& operator=(const CWebHostSite&) = delete;

    friend struct CWebHostSiteCallbacks;

    // The native view outlives the wx window by a moment during teardown; signals arriving
    // then find no window.
    wxWeakRef<wxWebView> m_view;
    bool m_silent = false;
    zorbel::web::HeldKeys m_keys;
};

namespace zorbel::web {
// The one entry point the program's web views call right after creating their wxWebView.
inline bool ApplyHostBehaviours(wxWebView* view) {
    return CWebHostSite::Attach(view);
}
}  // namespace zorbel::web
