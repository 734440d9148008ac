#pragma once

#include <functional>
#include <string>

#include <wx/panel.h>
#include <wx/weakref.h>

#include "web/WebBrowser2.h"

class wxFrame;

// The cartoon panel (template 179): a child of the main window that shows a cartoon's page, or
// its default page (an advertisement) when no cartoon is open, in browser 1032. The page gets
// no key presses and no right clicks; a double click switches between the panel inside the
// main window and the panel filling the screen.
//
// A wxPanel for the same reason as CDlgShowAd: only a plain child window can live inside the
// main window on GTK.
//
// Full screen: the panel cannot become a top-level window itself, so it moves (with its page,
// which keeps playing) into a borderless frame that covers the monitor, and back again. The
// main window is never hidden on the way: it runs the program's modal loop, and on GTK hiding
// a modal dialog ends that loop. The frame is put in a window group of its own, because the
// modal main window's input grab would otherwise send every click meant for the frame to the
// main window, and no double click could ever bring the panel back.
class CDlgMovie : public wxPanel {
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

    // Switches between the panel in the main window and the panel filling the screen; what a
    // double click in the panel does.
    void ToggleFullScreen();

    bool IsFullScreen() const { return m_bFullScreen; }
    // Set while the panel shows a page other than its default one.
    bool HasOwnPage() const { return m_bOwnPage; }
    const std::string& PageAddress() const { return m_strPageUrl; }
    const std::string& DefaultPageAddress() const { return m_strDefaultUrl; }
    CWebBrowser2& Browser() { return m_browser; }
    // The window that holds the panel while it fills the screen; null otherwise.
    wxFrame* FullScreenFrame() const { return m_fullScreenFrame.get(); }

    // How an address a page wants in a new window is handed to the desktop (the default
    // browser). Tests replace it; an empty function restores the default.
    using ShellOpener = std::function<void(const std::string& address)>;
    void SetShellOpener(ShellOpener opener);

protected:
    // While the panel fills the screen, the main window's layout still places it: the place is
    // kept for the return instead of moving the panel inside the full-screen frame.
    void DoSetSize(int x, int y, int width, int height, int sizeFlags) override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnLeftDoubleClick(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnNewWindow3(CWebBrowserEvent& event);
    void OnFullScreenFrameSize(wxSizeEvent& event);

    // Key presses and right clicks are taken from the page before the engine sees them;
    // double clicks are watched on the way to it.
    void WatchNativeInput();
    void EnterFullScreen();
    void LeaveFullScreen();
    void FillFullScreenFrame();

    CWebBrowser2 m_browser;
    std::string m_strDefaultUrl;
    std::string m_strPageUrl;
    bool m_bFullScreen = false;
    bool m_bOwnPage = false;
    wxWeakRef<wxWindow> m_pMainWnd;
    // The panel's place in the main window, taken back when the full screen ends.
    wxRect m_rcInMain;
    wxWeakRef<wxFrame> m_fullScreenFrame;
    bool m_bPlacingInFrame = false;
    ShellOpener m_shellOpen;

    friend struct CDlgMovieNativeInput;

    wxDECLARE_EVENT_TABLE();
};
