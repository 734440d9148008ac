#include "platform/skin/CSkinSlider.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>
#include <wx/settings.h>

#include <algorithm>
#include <memory>

#include "platform/skin/SkinManager.h"
#include "platform/skin/SkinPainter.h"

using zorbel::skin::SkinManager;
using zorbel::skin::SkinNode;
using zorbel::skin::SkinPainter;

namespace {

const SkinNode* ThisElement(const wxWindow* window, std::string* folder = nullptr) {
    SkinManager& manager = SkinManager::Get();
    return manager.Element(manager.ElementOf(const_cast<wxWindow*>(window)), folder);
}

}  // namespace

CSkinSlider::CSkinSlider(wxWindow* parent, wxWindowID id, int value, int minValue, int maxValue,
                         const wxPoint& pos, const wxSize& size, const char* element)
    : m_value(value), m_min(minValue), m_max(std::max(minValue, maxValue)) {
    m_value = std::clamp(m_value, m_min, m_max);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxControl::Create(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS);
    SkinManager::Get().RegisterControl(this, element ? element : "");
    if (size == wxDefaultSize) SetInitialSize(size);
    Bind(wxEVT_PAINT, &CSkinSlider::OnPaint, this);
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MOTION, wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW})
        Bind(type, &CSkinSlider::OnMouse, this);
    Bind(wxEVT_KEY_DOWN, &CSkinSlider::OnKey, this);
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        Refresh();
        e.Skip();
    });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        Refresh();
        e.Skip();
    });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CSkinSlider::OnCaptureLost, this);
}

void CSkinSlider::SetValue(int value) {
    value = std::clamp(value, m_min, m_max);
    if (value == m_value) return;
    m_value = value;
    Refresh();
}

void CSkinSlider::SetRange(int minValue, int maxValue) {
    m_min = minValue;
    m_max = std::max(minValue, maxValue);
    m_value = std::clamp(m_value, m_min, m_max);
    Refresh();
}

wxRect CSkinSlider::TrackRect() const {
    const wxSize size = GetClientSize();
    const SkinNode* node = ThisElement(this);
    const SkinNode* thumb = node ? node->FindItem("item.thumb") : nullptr;
    const SkinNode* track = node ? node->FindItem("item.track") : nullptr;
    const int thumbWidth = thumb && thumb->rect ? thumb->rect->w : 16;
    if (track && track->rect) {
        // The track keeps its height and sits in the middle of the control.
        const auto placed = zorbel::skin::Place(*track->rect, {0, 0, size.x, size.y});
        const int h = std::max(2, track->rect->h);
        return wxRect(placed.x, (size.y - h) / 2, std::max(1, placed.w), h);
    }
    return wxRect(thumbWidth / 2, size.y / 2 - 3, std::max(1, size.x - thumbWidth), 6);
}

wxPoint CSkinSlider::ThumbCentre() const {
    const wxRect track = TrackRect();
    const double t = m_max > m_min ? double(m_value - m_min) / (m_max - m_min) : 0.0;
    return wxPoint(track.x + int(t * (track.width - 1) + 0.5), track.y + track.height / 2);
}

int CSkinSlider::ValueAt(int x) const {
    const wxRect track = TrackRect();
    if (track.width <= 1) return m_min;
    const double t = std::clamp(double(x - track.x) / (track.width - 1), 0.0, 1.0);
    return m_min + int(t * (m_max - m_min) + 0.5);
}

void CSkinSlider::Send(wxEventType type) {
    wxScrollEvent event(type, GetId(), m_value, wxHORIZONTAL);
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}

void CSkinSlider::Move(int value, wxEventType type) {
    value = std::clamp(value, m_min, m_max);
    const bool changed = value != m_value;
    m_value = value;
    if (changed) Refresh();
    Send(type);
    if (changed) {
        wxCommandEvent slider(wxEVT_SLIDER, GetId());
        slider.SetEventObject(this);
        slider.SetInt(m_value);
        ProcessWindowEvent(slider);
    }
}

void CSkinSlider::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DrawTo(dc);
}

void CSkinSlider::DrawTo(wxDC& dc) {
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc) return;
    SkinManager& manager = SkinManager::Get();
    manager.PaintParentBehind(this, gc.get());
    std::string folder;
    const SkinNode* node = ThisElement(this, &folder);
    const wxRect track = TrackRect();
    const wxPoint centre = ThumbCentre();
    SkinPainter& painter = SkinPainter::Get();
    if (!node) {
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
        gc->DrawRoundedRectangle(track.x, track.y, track.width, track.height, 3);
        gc->SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
        gc->DrawEllipse(centre.x - 8, centre.y - 8, 16, 16);
        return;
    }
    std::vector<std::string> states;
    if (m_hover) states.push_back("hover");
    if (m_dragging) states.push_back("pressed");
    if (HasFocus()) states.push_back("focus");
    if (!IsEnabled()) states.push_back("disabled");
    const zorbel::skin::Hsb hsb = manager.GetHsb();
    painter.Draw(gc.get(), wxRect(GetClientSize()), node->StyleFor(states), folder, wxString(),
                 hsb);
    if (const SkinNode* trackNode = node->FindItem("item.track"))
        painter.Draw(gc.get(), track, trackNode->StyleFor(states), folder, wxString(), hsb);
    if (const SkinNode* fillNode = node->FindItem("item.fill")) {
        // The part of the track left of the thumb, when the skin wants it marked.
        painter.Draw(gc.get(), wxRect(track.x, track.y, centre.x - track.x + 1, track.height),
                     fillNode->StyleFor(states), folder, wxString(), hsb);
    }
    if (const SkinNode* thumb = node->FindItem("item.thumb")) {
        const int w = thumb->rect ? thumb->rect->w : 16;
        const int h = thumb->rect ? thumb->rect->h : 16;
        painter.Draw(gc.get(), wxRect(centre.x - w / 2, centre.y - h / 2, w, h),
                     thumb->StyleFor(states), folder, wxString(), hsb);
    }
}

void CSkinSlider::OnMouse(wxMouseEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_ENTER_WINDOW || type == wxEVT_LEAVE_WINDOW) {
        m_hover = type == wxEVT_ENTER_WINDOW;
        Refresh();
        event.Skip();
        return;
    }
    if (!IsEnabled()) return;
    if (type == wxEVT_LEFT_DOWN) {
        if (AcceptsFocus()) SetFocus();
        m_dragging = true;
        if (!HasCapture() && IsShownOnScreen()) CaptureMouse();
        Move(ValueAt(event.GetX()), wxEVT_SCROLL_THUMBTRACK);
    } else if (type == wxEVT_MOTION && m_dragging) {
        Move(ValueAt(event.GetX()), wxEVT_SCROLL_THUMBTRACK);
    } else if (type == wxEVT_LEFT_UP && m_dragging) {
        if (HasCapture()) ReleaseMouse();
        m_dragging = false;
        Move(ValueAt(event.GetX()), wxEVT_SCROLL_THUMBTRACK);
        Send(wxEVT_SCROLL_THUMBRELEASE);
        Send(wxEVT_SCROLL_CHANGED);
        Refresh();
    } else {
        event.Skip();
    }
}

void CSkinSlider::OnKey(wxKeyEvent& event) {
    const int page = std::max(1, (m_max - m_min) / 10);
    switch (event.GetKeyCode()) {
        case WXK_LEFT:
        case WXK_DOWN:
            Move(m_value - 1, wxEVT_SCROLL_LINEUP);
            break;
        case WXK_RIGHT:
        case WXK_UP:
            Move(m_value + 1, wxEVT_SCROLL_LINEDOWN);
            break;
        case WXK_PAGEUP:
            Move(m_value - page, wxEVT_SCROLL_PAGEUP);
            break;
        case WXK_PAGEDOWN:
            Move(m_value + page, wxEVT_SCROLL_PAGEDOWN);
            break;
        case WXK_HOME:
            Move(m_min, wxEVT_SCROLL_TOP);
            break;
        case WXK_END:
            Move(m_max, wxEVT_SCROLL_BOTTOM);
            break;
        case WXK_TAB:
            Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward
                                       : wxNavigationKeyEvent::IsForward);
            return;
        default:
            event.Skip();
            return;
    }
    Send(wxEVT_SCROLL_CHANGED);
}

void CSkinSlider::OnCaptureLost(wxMouseCaptureLostEvent&) {
    if (!m_dragging) return;
    m_dragging = false;
    Send(wxEVT_SCROLL_THUMBRELEASE);
    Send(wxEVT_SCROLL_CHANGED);
    Refresh();
}
