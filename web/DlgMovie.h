#pragma once

#include <functional>
#include <string>

#include "ui/FullScreenPanel.h"
#include "web/WebBrowser2.h"

// The cartoon panel (template 179): a child of the main window that shows a cartoon's page, or
// its default page (an advertisement) when no cartoon is open, in browser 1032. The page gets
// no key presses and no right clicks; a double click switches between the panel inside the
// main window and the panel filling the screen.
//
// A panel for the same reason as CDlgShowAd: only a plain child window can live inside the
// main window on GTK. Full screen: see CFullScreenPanel.
class CDlgMovie : public CFullScreenPanel {
public:
    static constexpr int kTemplateId = 179;
    static constexpr int kBrowserId = 1032;
    static constexpr const char* kPagePath = "/plimad.asp?from=movie";

    // The default page is on the web server named by the settings file.
    CDlgMovie();
    // The default page is on the given web server (base address without the trailing '/').
    explicit CDlgMovie(const std::string& webServer);
    ~CDlgMovie() override;

    // Creates the hidden panel inside parent (the main window; when null, the application's
    // top window): size 0 by 0 and the first load of the default page. False when the window
    // cannot be made.
    bool Create(wxWindow* parent);

    // Shows address (a cartoon's page), or the default page for the empty address, and shows
    // the panel. The page is loaded again unless address is the page already shown, so the
    // empty address reloads the default page. The main window closes the panel with Open("")
    // followed by Hide().
    void Open(const std::string& address);

    // Set while the panel shows a page other than its default one.
    bool HasOwnPage() const { return m_bOwnPage; }
    const std::string& PageAddress() const { return m_strPageUrl; }
    const std::string& DefaultPageAddress() const { return m_strDefaultUrl; }
    CWebBrowser2& Browser() { return m_browser; }

    // How an address a page wants in a new window is handed to the desktop (the default
    // browser). Tests replace it; an empty function restores the default.
    using ShellOpener = std::function<void(const std::string& address)>;
    void SetShellOpener(ShellOpener opener);

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnLeftDoubleClick(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnNewWindow3(CWebBrowserEvent& event);

    // Key presses and right clicks are taken from the page before the engine sees them;
    // double clicks are watched on the way to it.
    void WatchNativeInput();

    CWebBrowser2 m_browser;
    std::string m_strDefaultUrl;
    std::string m_strPageUrl;
    bool m_bOwnPage = false;
    ShellOpener m_shellOpen;

    friend struct CDlgMovieNativeInput;

    wxDECLARE_EVENT_TABLE();
};
