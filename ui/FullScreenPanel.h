#pragma once

#include <wx/bmpbndl.h>
#include <wx/panel.h>
#include <wx/weakref.h>

class wxFrame;

// A child panel of the main window that can fill the screen and come back: the player and the
// cartoon panel.
//
// The panel cannot become a top-level window itself, so it moves (with its content, which
// keeps playing) into a borderless frame that the window manager shows full screen, in front
// of everything, and back again. The main window is hidden meanwhile and comes back where
// and as it was.
class CFullScreenPanel : public wxPanel {
public:
    ~CFullScreenPanel() override;

    // Switches between the panel in the main window and the panel filling the screen. A
    // switch that fails leaves the panel where it is.
    void ToggleFullScreen();

    bool IsFullScreen() const { return m_bFullScreen; }
    // The window that holds the panel while it fills the screen; null otherwise.
    wxFrame* FullScreenFrame() const { return m_fullScreenFrame.get(); }

protected:
    // The window the panel lives in when it does not fill the screen; set by Create.
    void SetMainWindow(wxWindow* main) { m_pMainWnd = main; }
    // The main window's top-level window, or null once it is gone.
    wxWindow* MainWindow() const;

    // What the full-screen frame shows in the task bar: by default the main window's title.
    virtual wxString FullScreenTitle() const;
    virtual wxBitmapBundle FullScreenIcon() const { return wxBitmapBundle(); }

    // While the panel fills the screen, the main window's layout still places it: the place
    // is kept for the return instead of moving the panel inside the full-screen frame.
    void DoSetSize(int x, int y, int width, int height, int sizeFlags) override;

private:
    void EnterFullScreen();
    void LeaveFullScreen();
    void FillFullScreenFrame();
    void OnFullScreenFrameSize(wxSizeEvent& event);

    wxWeakRef<wxWindow> m_pMainWnd;
    bool m_bFullScreen = false;
    // The panel's place in the main window, taken back when the full screen ends.
    wxRect m_rcInMain;
    // The main window's place, client size and whether it was shown before the full screen.
    wxPoint m_ptMainBefore;
    wxSize m_szMainClientBefore;
    bool m_bMainShownBefore = false;
    wxWeakRef<wxFrame> m_fullScreenFrame;
    bool m_bPlacingInFrame = false;
};
