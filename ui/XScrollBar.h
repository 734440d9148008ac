#pragma once

#include <wx/control.h>
#include <wx/cursor.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/timer.h>

#include "ui/HslColor.h"

class wxDC;

// The seek bar tells its parent about every jump and drag step with this event, sent
// synchronously: GetInt() is the new position (16 bits), GetExtraLong() kThumbTrack, the
// event object the bar and the id the bar's id. Nothing is sent when the button is released.
wxDECLARE_EVENT(wxEVT_XSCROLL_HSCROLL, wxCommandEvent);
#define EVT_XSCROLL_HSCROLL(id, func) \
    wx__DECLARE_EVT1(wxEVT_XSCROLL_HSCROLL, id, wxCommandEventHandler(func))

// A thin horizontal slider drawn entirely by the program from two small pictures: a track
// whose played part is tinted with light shades of the thumb colour, and a thumb. Every
// repaint is composed off screen and copied in one step.
class CXScrollBar : public wxControl {
public:
    CXScrollBar();
    ~CXScrollBar() override;

    // Creates the bar over the placeholder control placeholderId of parent, taking its
    // rectangle and hiding it. style is a window style (the bar is always a visible child).
    // False when the placeholder does not exist or the window cannot be made.
    bool CreateFromStatic(long style, wxWindow* parent, int placeholderId, int id);

    // The range is the distance between the two ends.
    void SetScrollRange(int min, int max, bool redraw);
    // Takes pos as it is (not limited) and moves the thumb to match; returns the old position.
    int SetScrollPos(int pos, bool redraw);
    void SetTrackWidth(int width);

    // Repaints the bar at once.
    void Draw();
    // Composes the bar into dc (through CMemDC, over m_rectTrack). Painting uses it; tests
    // use it to look at the picture.
    void DrawOn(wxDC& dc);

    // Replaces the thumb picture (tests of the marker colours); the default is bitmap 162.
    void SetThumbPicture(const wxImage& picture);

    static constexpr int kThumbTrack = 5;
    static constexpr int kHoverTimerId = 3;
    static constexpr int kHoverInterval = 50;

    wxWindow* m_pParent = nullptr;
    int m_nThumbLeft = 4;
    int m_nThumbHeight = 4;
    int m_nThumbWidth = 4;
    int m_nPos = 0;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nRange = 0;
    wxRect m_rectThumb;  // (-1, -1) and empty when no thumb is drawn
    wxRect m_rectTrack;
    wxCursor m_hHandCursor;  // invalid when there is none
    ColorRef m_crThumb = MakeRgb(0, 0, 0);
    ColorRef m_crThumbHover = MakeRgb(255, 204, 0);
    int m_bThumbColor = 0;
    int m_bTintTrack = 1;
    int m_bGreyEdge = 1;
    int m_bHover = 0;
    int m_bPressed = 0;
    int m_bDragging = 0;

private:
    void ClampThumb();
    void PositionFromThumb();
    void ThumbFromPosition();
    void NotifyParent();
    void UpdateCursor();
    void StartHoverTimer();

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnSetCursor(wxSetCursorEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

    wxImage m_imgTrack;
    wxImage m_imgThumb;
    wxTimer m_timerHover;

    wxDECLARE_EVENT_TABLE();
};
