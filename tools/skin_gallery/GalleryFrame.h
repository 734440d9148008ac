#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

// One window holding every skin element in each of its states.
class GalleryFrame : public wxFrame {
public:
    // `screenshot`: when not empty, the window saves itself there as PNG and closes.
    explicit GalleryFrame(const wxString& screenshot);

private:
    void OnShot(wxTimerEvent& event);
    void OnSkinItem(wxCommandEvent& event);

    wxString m_screenshot;
    wxTimer m_timer;
};
