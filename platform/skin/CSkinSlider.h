#pragma once

#include <wx/control.h>

// A horizontal slider drawn by the skin engine (the toolkit's slider cannot be painted
// over). It sends what the toolkit's slider sends: during a drag wxEVT_SCROLL_THUMBTRACK,
// at its end wxEVT_SCROLL_THUMBRELEASE then wxEVT_SCROLL_CHANGED; a key move sends
// wxEVT_SCROLL_LINEUP/LINEDOWN/PAGEUP/PAGEDOWN/TOP/BOTTOM then wxEVT_SCROLL_CHANGED; every
// change of value also sends wxEVT_SLIDER. SetValue sends nothing. Its element's items
// "item.track" (placed like any item) and "item.thumb" (its size only) give its look.
class CSkinSlider : public wxControl {
public:
    CSkinSlider(wxWindow* parent, wxWindowID id, int value, int minValue, int maxValue,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                const char* element = nullptr);

    int GetValue() const { return m_value; }
    void SetValue(int value);
    void SetRange(int minValue, int maxValue);
    int GetMin() const { return m_min; }
    int GetMax() const { return m_max; }
    bool AcceptsFocus() const override { return wxControl::AcceptsFocus(); }

    void DrawTo(wxDC& dc);

    // The track in client coordinates and the thumb's centre for the current value.
    wxRect TrackRect() const;
    wxPoint ThumbCentre() const;

protected:
    wxSize DoGetBestSize() const override { return wxSize(150, 28); }

private:
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    int ValueAt(int x) const;
    // Changes the value and tells the owner (`type`, then wxEVT_SLIDER when it changed).
    void Move(int value, wxEventType type);
    void Send(wxEventType type);

    int m_value;
    int m_min;
    int m_max;
    bool m_dragging = false;
    bool m_hover = false;
};
