#pragma once

#include <string>

#include <wx/dialog.h>

#include "web/WebBrowser2.h"

// The feedback window (template 180): the maker's feedback form in browser 1032, filling the
// window. The main window runs it modally, with no parent, from its feedback button and the
// tray menu; the object lives on the handler's stack. Escape and the close box end it; Enter
// belongs to the form and never closes the window.
class CDlgFeedback : public wxDialog {
public:
    static constexpr int kTemplateId = 180;
    static constexpr int kBrowserId = 1032;
    static constexpr const char* kPagePath = "/feedback.htm";

    // The form is on the web server named by the settings file next to the executable.
    explicit CDlgFeedback(wxWindow* parent = nullptr);
    // The form is on the given web server (base address without the trailing '/').
    CDlgFeedback(wxWindow* parent, const std::string& webServer);
    ~CDlgFeedback() override;

    const std::string& PageAddress() const { return m_strPageUrl; }
    CWebBrowser2& Browser() { return m_browser; }

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    CWebBrowser2 m_browser;
    std::string m_strPageUrl;

    wxDECLARE_EVENT_TABLE();
};
