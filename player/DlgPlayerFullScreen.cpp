// The player's two places: inside the main window, and alone on the whole screen.
#include <gtk/gtk.h>

#include <wx/display.h>
#include <wx/frame.h>

#include "player/DlgPlayer.h"

wxWindow* CDlgPlayer::MainWindow() const
{
    wxWindow* main = m_pMainWnd.get();
    return main ? wxGetTopLevelParent(main) : nullptr;
}

void CDlgPlayer::ToggleFullScreen()
{
    try {
        if (m_bFullScreen)
            LeaveFullScreen();
        else
            EnterFullScreen();
    } catch (...) {
        // A failed switch leaves the player where it is.
    }
}

void CDlgPlayer::EnterFullScreen()
{
    wxWindow* main = m_pMainWnd.get();
    if (!main || !GetHandle())
        return;
    auto* mainFrame = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(main));

    int display = wxDisplay::GetFromWindow(main);
    if (display == wxNOT_FOUND)
        display = 0;
    const wxRect screen = wxDisplay(static_cast<unsigned>(display)).GetGeometry();

    auto* frame = new wxFrame(main, wxID_ANY, wxString::FromUTF8(kWindowText),
                              screen.GetPosition(), screen.GetSize(), wxBORDER_NONE);
    if (m_hIcon.IsOk())
        frame->SetIcon(m_hIcon.GetIcon(wxSize(16, 16)));
    GtkWidget* frameWidget = frame->GetHandle();
    if (frameWidget && GTK_IS_WINDOW(frameWidget)) {
        GtkWindowGroup* group = gtk_window_group_new();
        gtk_window_group_add_window(group, GTK_WINDOW(frameWidget));
        // The window keeps its group alive.
        g_object_unref(group);
    }
    frame->Bind(wxEVT_SIZE, &CDlgPlayer::OnFullScreenFrameSize, this);
    m_fullScreenFrame = frame;

    m_rcInMain = GetRect();
    m_bFullScreen = 1;
    Reparent(frame);
    FillFullScreenFrame();

    // The main window stays shown under the frame: hiding it would end its modal run.
    if (mainFrame) {
        mainFrame->Show();
        mainFrame->Maximize(true);
    }
    frame->Show();
    frame->Maximize(true);
    frame->Raise();
    wxPanel::Show(true);
    Refresh(true);
}

void CDlgPlayer::LeaveFullScreen()
{
    wxWindow* main = m_pMainWnd.get();
    wxFrame* frame = m_fullScreenFrame.get();
    auto* mainFrame = main ? dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(main)) : nullptr;

    m_bFullScreen = 0;
    if (main) {
        Reparent(main);
        SetSize(m_rcInMain);
    }
    if (frame) {
        frame->Unbind(wxEVT_SIZE, &CDlgPlayer::OnFullScreenFrameSize, this);
        frame->Destroy();
    }
    m_fullScreenFrame = nullptr;
    if (mainFrame) {
        if (mainFrame->IsIconized())
            mainFrame->Iconize(false);
        mainFrame->Maximize(false);
        mainFrame->Show();
        mainFrame->Raise();
    }
    wxPanel::Show(true);
    Refresh(true);
}

void CDlgPlayer::FillFullScreenFrame()
{
    wxFrame* frame = m_fullScreenFrame.get();
    if (!frame)
        return;
    m_bPlacingInFrame = true;
    SetSize(wxRect(wxPoint(0, 0), frame->GetClientSize()));
    m_bPlacingInFrame = false;
}

void CDlgPlayer::OnFullScreenFrameSize(wxSizeEvent& /*event*/)
{
    // Not skipped: the frame's own layout would place its one child through the main
    // window's path and the player would take the screen as its place in the main window.
    FillFullScreenFrame();
}

void CDlgPlayer::DoSetSize(int x, int y, int width, int height, int sizeFlags)
{
    if (!m_bFullScreen || m_bPlacingInFrame) {
        wxPanel::DoSetSize(x, y, width, height, sizeFlags);
        return;
    }
    const bool minusOne = (sizeFlags & wxSIZE_ALLOW_MINUS_ONE) != 0;
    if (x != wxDefaultCoord || minusOne)
        m_rcInMain.x = x;
    if (y != wxDefaultCoord || minusOne)
        m_rcInMain.y = y;
    if (width != wxDefaultCoord || minusOne)
        m_rcInMain.width = width;
    if (height != wxDefaultCoord || minusOne)
        m_rcInMain.height = height;
}
