#include "ui/XScrollBar.h"

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/dcclient.h>
#include <wx/utils.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/BitmapResource.h"
#include "ui/MemDC.h"
#include "ui/XScrollGeometry.h"
#include "ui/XScrollPalette.h"

wxDEFINE_EVENT(wxEVT_XSCROLL_HSCROLL, wxCommandEvent);

// clang-format off
wxBEGIN_EVENT_TABLE(CXScrollBar, wxControl)
    EVT_PAINT              (                            CXScrollBar::OnPaint)
    EVT_LEFT_DOWN          (                            CXScrollBar::OnLeftDown)
    EVT_LEFT_UP            (                            CXScrollBar::OnLeftUp)
    EVT_MOTION             (                            CXScrollBar::OnMouseMove)
    EVT_TIMER              (CXScrollBar::kHoverTimerId, CXScrollBar::OnTimer)
    EVT_SET_CURSOR         (                            CXScrollBar::OnSetCursor)
    // A drag that loses the mouse to another window ends as on release.
    EVT_MOUSE_CAPTURE_LOST (                            CXScrollBar::OnCaptureLost)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
const wxRect kNoRect(-1, -1, 0, 0);

wxColour ToColour(ColorRef colour) {
    return wxColour(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

ColorRef PixelOf(const wxImage& image, int x, int y) {
    return MakeRgb(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// The first column of a picture, one colour per row.
std::vector<ColorRef> FirstColumn(const wxImage& image) {
    std::vector<ColorRef> column;
    if (!image.IsOk()) return column;
    for (int y = 0; y < image.GetHeight(); ++y) column.push_back(PixelOf(image, 0, y));
    return column;
}

// Stretches a one-pixel column over area, starting one row below its top and one row
// shorter, rows picked by nearest neighbour (the track's top row keeps what was there).
void StretchColumn(wxDC& dc, const std::vector<ColorRef>& column, const wxRect& area) {
    const int width = area.width;
    const int height = area.height - 1;
    if (width <= 0 || height <= 0 || column.empty()) return;
    wxImage strip(width, height, false);
    const int rows = static_cast<int>(column.size());
    for (int y = 0; y < height; ++y) {
        const ColorRef colour = column[CXScrollPalette::StretchSourceRow(y, height, rows)];
        for (int x = 0; x < width; ++x)
            strip.SetRGB(x, y, RedOf(colour), GreenOf(colour), BlueOf(colour));
    }
    dc.DrawBitmap(wxBitmap(strip), area.x, area.y + 1, false);
}

void FillRect(wxDC& dc, const wxRect& rect, ColorRef colour) {
    if (rect.width <= 0 || rect.height <= 0) return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(ToColour(colour)));
    dc.DrawRectangle(rect);
}

bool HasMarker(const std::vector<ColorRef>& pixels, ColorRef marker) {
    for (ColorRef pixel : pixels) {
        if (pixel == marker) return true;
    }
    return false;
}

}  // namespace

CXScrollBar::CXScrollBar()
    : m_rectThumb(kNoRect), m_rectTrack(kNoRect), m_timerHover(this, kHoverTimerId) {}

CXScrollBar::~CXScrollBar() {
    m_timerHover.Stop();
    if (HasCapture()) ReleaseMouse();
}

bool CXScrollBar::CreateFromStatic(long style, wxWindow* parent, int placeholderId, int id) {
    m_pParent = parent;
    wxWindow* placeholder = parent ? parent->FindWindow(placeholderId) : nullptr;
    if (placeholder == nullptr) return false;
    const wxRect rect = placeholder->GetRect();
    placeholder->Hide();
    if (!m_hHandCursor.IsOk()) m_hHandCursor = wxCursor(wxCURSOR_HAND);

    if (!Create(parent, id, rect.GetPosition(), rect.GetSize(), style | wxBORDER_NONE))
        return false;
    m_imgTrack = CBitmapResource::Load(CBitmapResource::kSeekTrack);
    m_imgThumb = CBitmapResource::Load(CBitmapResource::kSeekThumb);
    if (m_imgThumb.IsOk()) {
        m_nThumbWidth = m_imgThumb.GetWidth();
        m_nThumbHeight = m_imgThumb.GetHeight();
    }
    const wxSize client = GetClientSize();
    m_rectTrack = wxRect(0, 0, client.x, m_nThumbHeight);
    return true;
}

void CXScrollBar::SetThumbPicture(const wxImage& picture) {
    if (!picture.IsOk()) return;
    m_imgThumb = picture;
    m_nThumbWidth = picture.GetWidth();
    m_nThumbHeight = picture.GetHeight();
    m_rectTrack.height = m_nThumbHeight;
    ThumbFromPosition();
}

void CXScrollBar::SetScrollRange(int min, int max, bool redraw) {
    m_nMin = min;
    m_nMax = max;
    const long long range = std::llabs(static_cast<long long>(max) - min);
    m_nRange = range > INT32_MAX ? INT32_MAX : static_cast<int>(range);
    if (redraw && GetHandle()) Refresh(true);
}

int CXScrollBar::SetScrollPos(int pos, bool redraw) {
    const int old = m_nPos;
    m_nPos = pos;
    ThumbFromPosition();
    if (redraw && GetHandle()) Refresh(true);
    return old;
}

void CXScrollBar::SetTrackWidth(int width) {
    m_rectTrack.width = width;
    SetScrollPos(m_nPos, true);
    if (GetHandle()) Refresh(true);
}

void CXScrollBar::ClampThumb() {
    m_nThumbLeft =
        CXScrollGeometry::ClampThumb(m_nThumbLeft, m_rectTrack.x, m_rectTrack.width, m_nThumbWidth);
}

void CXScrollBar::PositionFromThumb() {
    ClampThumb();
    m_nPos = CXScrollGeometry::PositionFromThumb(m_nThumbLeft, m_rectTrack.width, m_nThumbWidth,
                                                 m_nRange);
}

void CXScrollBar::ThumbFromPosition() {
    m_nThumbLeft = CXScrollGeometry::ThumbFromPosition(m_nPos, m_rectTrack.x, m_rectTrack.width,
                                                       m_nThumbWidth, m_nRange);
    Draw();
}

void CXScrollBar::Draw() {
    // The thumb follows the mouse at once rather than at the next paint.
    if (!GetHandle() || !IsShownOnScreen()) return;
    Refresh(false);
    Update();
}

void CXScrollBar::DrawOn(wxDC& dc) {
    const wxRect track = m_rectTrack;
    if (track.width <= 0 || track.height <= 0) {
        m_rectThumb = kNoRect;
        return;
    }
    CMemDC mem(&dc, track);
    if (!mem.HasBitmap()) return;

    m_rectThumb = wxRect(track.x + m_nThumbLeft, track.y, m_nThumbWidth, m_nThumbHeight);
    const int centre = track.x + m_nThumbLeft + m_nThumbWidth / 2;
    const int bottom = m_rectThumb.GetBottom() + 1;
    const int right = track.x + track.width;

    std::vector<ColorRef> column = FirstColumn(m_imgTrack);
    if (column.empty())
        column.assign(m_nThumbHeight > 0 ? m_nThumbHeight : 1, MakeRgb(255, 255, 255));
    StretchColumn(mem, column, wxRect(centre, track.y, right - centre, bottom - track.y));
    if (m_bTintTrack && m_bThumbColor) CXScrollPalette::TintTrackColumn(column, m_crThumb);
    StretchColumn(mem, column, wxRect(track.x, track.y, centre - track.x, bottom - track.y));

    if (m_nRange != 0 && m_imgThumb.IsOk()) {
        const int width = m_imgThumb.GetWidth();
        const int height = m_imgThumb.GetHeight();
        std::vector<ColorRef> pixels(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels[static_cast<std::size_t>(y) * width + x] = PixelOf(m_imgThumb, x, y);
        }
        CXScrollPalette::MarkerColours colours;
        colours.thumb = m_bHover ? m_crThumbHover : m_crThumb;
        colours.useThumbColour = m_bThumbColor != 0;
        colours.greyEdge = m_bGreyEdge != 0;
        const bool wantsLeft = HasMarker(pixels, CXScrollPalette::kMarkerTrackLeft);
        const bool wantsRight = HasMarker(pixels, CXScrollPalette::kMarkerTrackRight);
        for (int y = 0; (wantsLeft || wantsRight) && y < height; ++y) {
            wxColour colour;
            if (wantsLeft && mem.GetPixel(track.x, track.y + y, &colour))
                colours.trackLeft.push_back(MakeRgb(colour.Red(), colour.Green(), colour.Blue()));
            if (wantsRight && mem.GetPixel(right - 1, track.y + y, &colour))
                colours.trackRight.push_back(MakeRgb(colour.Red(), colour.Green(), colour.Blue()));
        }
        CXScrollPalette::ReplaceMarkers(pixels, width, height, colours);
        wxImage thumb(width, height, false);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const ColorRef c = pixels[static_cast<std::size_t>(y) * width + x];
                thumb.SetRGB(x, y, RedOf(c), GreenOf(c), BlueOf(c));
            }
        }
        if (width != m_rectThumb.width || height != m_rectThumb.height)
            thumb.Rescale(m_rectThumb.width, m_rectThumb.height, wxIMAGE_QUALITY_NEAREST);
        mem.DrawBitmap(wxBitmap(thumb), m_rectThumb.x, m_rectThumb.y, false);
    } else {
        m_rectThumb = kNoRect;
    }

    // One-pixel frame round the track, as four filled strips so no pen blurs it.
    const ColorRef frame = CXScrollPalette::kFrame;
    FillRect(mem, wxRect(track.x, track.y, track.width, 1), frame);
    FillRect(mem, wxRect(track.x, track.y + track.height - 1, track.width, 1), frame);
    FillRect(mem, wxRect(track.x, track.y, 1, track.height), frame);
    FillRect(mem, wxRect(right - 1, track.y, 1, track.height), frame);
}

void CXScrollBar::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    DrawOn(dc);
}

void CXScrollBar::NotifyParent() {
    if (m_pParent == nullptr || m_pParent->IsBeingDeleted()) return;
    wxCommandEvent event(wxEVT_XSCROLL_HSCROLL, GetId());
    event.SetEventObject(this);
    event.SetInt(static_cast<std::uint16_t>(m_nPos));
    event.SetExtraLong(kThumbTrack);
    m_pParent->GetEventHandler()->ProcessEvent(event);
}

void CXScrollBar::OnLeftDown(wxMouseEvent& event) {
    if (!HasCapture()) CaptureMouse();
    const wxPoint point = event.GetPosition();
    const wxRect onThumb(m_nThumbLeft, 0, m_nThumbWidth, m_rectTrack.height);
    if (onThumb.Contains(point)) {
        m_bPressed = 1;
        return;
    }
    m_nThumbLeft = CXScrollGeometry::ThumbLeftForCentre(point.x, m_nThumbWidth);
    PositionFromThumb();
    Draw();
    NotifyParent();
}

void CXScrollBar::OnMouseMove(wxMouseEvent& event) {
    const wxPoint point = event.GetPosition();
    const int wasHover = m_bHover;
    m_bHover = m_rectThumb.Contains(point) ? 1 : 0;
    if (m_bPressed) m_bDragging = 1;
    if (m_bDragging) {
        m_nThumbLeft = CXScrollGeometry::ThumbLeftForCentre(point.x, m_nThumbWidth);
        PositionFromThumb();
        NotifyParent();
        Draw();
    }
    if (wasHover != m_bHover) {
        UpdateCursor();
        Refresh(true);
        StartHoverTimer();
    }
}

void CXScrollBar::OnLeftUp(wxMouseEvent& event) {
    ThumbFromPosition();
    if (HasCapture()) ReleaseMouse();
    if (m_rectThumb.Contains(event.GetPosition())) {
        m_bHover = 1;
        UpdateCursor();
        Refresh(true);
        StartHoverTimer();
    }
    m_bPressed = 0;
    m_bDragging = 0;
}

void CXScrollBar::OnCaptureLost(wxMouseCaptureLostEvent&) {
    // Another window took the mouse mid-drag: the drag ends where it is, as on release.
    m_bPressed = 0;
    m_bDragging = 0;
    ThumbFromPosition();
}

void CXScrollBar::StartHoverTimer() {
    m_timerHover.Start(kHoverInterval);
}

void CXScrollBar::OnTimer(wxTimerEvent&) {
    const wxPoint point = ScreenToClient(wxGetMousePosition());
    if (m_rectThumb.Contains(point)) return;
    m_bHover = 0;
    m_timerHover.Stop();
    UpdateCursor();
    Refresh(true);
}

void CXScrollBar::UpdateCursor() {
    SetCursor(m_bHover && m_hHandCursor.IsOk() ? m_hHandCursor : wxNullCursor);
}

void CXScrollBar::OnSetCursor(wxSetCursorEvent& event) {
    event.SetCursor(m_bHover && m_hHandCursor.IsOk() ? m_hHandCursor : *wxSTANDARD_CURSOR);
}
