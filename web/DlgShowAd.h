#pragma once

#include <functional>
#include <string>

#include <wx/panel.h>

#include "web/WebBrowser2.h"

// The advertisement panel (template 177): a child of the main window that shows the maker's
// advertisement page in browser 1032 and stays out of sight until a page has finished loading.
//
// It is a wxPanel, not a wxDialog: on GTK every dialog is a window of its own on the desktop,
// while this panel must live inside the main window's client area, which only a plain child
// window can. The dialog behaviour it needs (initialisation after creation, Enter and Escape)
// it does itself.
//
// The main window creates it once (`new`, then Create), places it, calls Show with an address
// and hides it with Hide.
class CDlgShowAd : public wxPanel {
public:
    static constexpr int kTemplateId = 177;
    static constexpr int kBrowserId = 1032;
    static constexpr const char* kPagePath = "/plimad.asp?from=showad";

    // The page is on the web server named by the settings file next to the executable.
    CDlgShowAd();
    // The page is on the given web server (base address without the trailing '/').
    explicit CDlgShowAd(const std::string& webServer);
    ~CDlgShowAd() override;

    // Creates the hidden panel inside parent (the main window; when null, the application's
    // top window) and initialises it: size 0 by 0 and the first load of the page. False when
    // the window cannot be made.
    bool Create(wxWindow* parent);

    // Reloads the advertisement page when address differs from the panel's own page address
    // (an empty address always reloads); address is only compared, never kept. Then shows the
    // panel. Returns whether the panel is shown (false before Create).
    bool Show(const std::string& address);
    // A literal must not pick Show(bool).
    bool Show(const char* address) { return Show(std::string(address ? address : "")); }
    using wxPanel::Show;

    const std::string& PageAddress() const { return m_strPageUrl; }
    int PendingNavigations() const { return m_nPending; }
    CWebBrowser2& Browser() { return m_browser; }

    // How an address a page wants in a new window is handed to the desktop (the default
    // browser). Tests replace it; an empty function restores the default.
    using ShellOpener = std::function<void(const std::string& address)>;
    void SetShellOpener(ShellOpener opener);

    // Called when a finished load has shown the panel again after it was hidden meanwhile. On
    // this toolkit showing a window also puts it on top of its siblings, where it would take
    // the pointer from a panel that still covers it; the owner puts that panel back on top.
    void SetShownByLoadHandler(std::function<void()> handler) {
        m_onShownByLoad = std::move(handler);
    }

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnBeforeNavigate2(CWebBrowserEvent& event);
    void OnNavigateComplete2(CWebBrowserEvent& event);
    void OnDocumentComplete(CWebBrowserEvent& event);
    void OnNewWindow2(CWebBrowserEvent& event);
    void OnNewWindow3(CWebBrowserEvent& event);

    // The panel and every window around it are shown: what "visible" means for a child.
    bool IsVisibleNow() const;

    CWebBrowser2 m_browser;
    int m_nPending = 0;
    std::string m_strPageUrl;
    ShellOpener m_shellOpen;
    std::function<void()> m_onShownByLoad;

    wxDECLARE_EVENT_TABLE();
};
