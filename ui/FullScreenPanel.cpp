#include "ui/FullScreenPanel.h"

#include <wx/display.h>
#include <wx/frame.h>

CFullScreenPanel::~CFullScreenPanel() {
    // Deleted while filling the screen: the empty frame goes too, unless it is what is
    // deleting the panel.
    wxFrame* frame = m_fullScreenFrame.get();
    if (frame && !frame->IsBeingDeleted()) {
        frame->Unbind(wxEVT_SIZE, &CFullScreenPanel::OnFullScreenFrameSize, this);
        frame->Destroy();
    }
}

wxWindow* CFullScreenPanel::MainWindow() const {
    wxWindow* main = m_pMainWnd.get();
    return main ? wxGetTopLevelParent(main) : nullptr;
}

wxString CFullScreenPanel::FullScreenTitle() const {
    auto* mainFrame = dynamic_cast<wxTopLevelWindow*>(MainWindow());
    return mainFrame ? mainFrame->GetTitle() : wxString();
}

void CFullScreenPanel::ToggleFullScreen() {
    try {
        if (m_bFullScreen)
            LeaveFullScreen();
        else
            EnterFullScreen();
    } catch (...) {
        // A failed switch leaves the panel where it is.
    }
}

void CFullScreenPanel::EnterFullScreen() {
    wxWindow* main = m_pMainWnd.get();
    if (!main || !GetHandle()) return;
    auto* mainFrame = dynamic_cast<wxTopLevelWindow*>(MainWindow());

    int display = wxDisplay::GetFromWindow(main);
    if (display == wxNOT_FOUND) display = 0;
    const wxRect screen = wxDisplay(static_cast<unsigned>(display)).GetGeometry();

    auto* frame = new wxFrame(main, wxID_ANY, FullScreenTitle(), screen.GetPosition(),
                              screen.GetSize(), wxBORDER_NONE);
    const wxBitmapBundle icon = FullScreenIcon();
    if (icon.IsOk()) frame->SetIcon(icon.GetIcon(wxSize(16, 16)));
    frame->Bind(wxEVT_SIZE, &CFullScreenPanel::OnFullScreenFrameSize, this);
    m_fullScreenFrame = frame;

    m_rcInMain = GetRect();
    m_bFullScreen = true;
    Reparent(frame);
    FillFullScreenFrame();

    // The window manager's full-screen state, not a maximise: a maximised window leaves the
    // panels and docks of the desktop uncovered.
    frame->ShowFullScreen(true, wxFULLSCREEN_ALL);
    frame->Raise();
    wxPanel::Show(true);
    Refresh(true);
    if (mainFrame) {
        m_ptMainBefore = mainFrame->GetPosition();
        m_szMainClientBefore = mainFrame->GetClientSize();
        m_bMainShownBefore = mainFrame->IsShown();
        mainFrame->Hide();
    }
}

void CFullScreenPanel::LeaveFullScreen() {
    wxWindow* main = m_pMainWnd.get();
    wxFrame* frame = m_fullScreenFrame.get();
    auto* mainFrame = dynamic_cast<wxTopLevelWindow*>(MainWindow());

    m_bFullScreen = false;
    if (mainFrame && m_bMainShownBefore) {
        mainFrame->Show();
        // Client size, not outer size: a decorated window's frame is not known at once.
        if (mainFrame->GetClientSize() != m_szMainClientBefore)
            mainFrame->SetClientSize(m_szMainClientBefore);
        if (mainFrame->GetPosition() != m_ptMainBefore) mainFrame->Move(m_ptMainBefore);
    }
    if (main) {
        Reparent(main);
        SetSize(m_rcInMain);
    }
    wxPanel::Show(true);
    if (frame) {
        frame->Unbind(wxEVT_SIZE, &CFullScreenPanel::OnFullScreenFrameSize, this);
        frame->Destroy();
    }
    m_fullScreenFrame = nullptr;
    if (mainFrame && m_bMainShownBefore) mainFrame->Raise();
    Refresh(true);
}

void CFullScreenPanel::FillFullScreenFrame() {
    wxFrame* frame = m_fullScreenFrame.get();
    if (!frame) return;
    m_bPlacingInFrame = true;
    SetSize(wxRect(wxPoint(0, 0), frame->GetClientSize()));
    m_bPlacingInFrame = false;
}

void CFullScreenPanel::OnFullScreenFrameSize(wxSizeEvent& /*event*/) {
    // Not skipped: the frame's own layout would place its one child through the main window's
    // path and the panel would take the screen as its place in the main window.
    FillFullScreenFrame();
}

void CFullScreenPanel::DoSetSize(int x, int y, int width, int height, int sizeFlags) {
    if (!m_bFullScreen || m_bPlacingInFrame) {
        wxPanel::DoSetSize(x, y, width, height, sizeFlags);
        return;
    }
    const bool minusOne = (sizeFlags & wxSIZE_ALLOW_MINUS_ONE) != 0;
    if (x != wxDefaultCoord || minusOne) m_rcInMain.x = x;
    if (y != wxDefaultCoord || minusOne) m_rcInMain.y = y;
    if (width != wxDefaultCoord || minusOne) m_rcInMain.width = width;
    if (height != wxDefaultCoord || minusOne) m_rcInMain.height = height;
}
