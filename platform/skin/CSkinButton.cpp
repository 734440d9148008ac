#include "platform/skin/CSkinButton.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>
#include <wx/renderer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/skin/SkinManager.h"
#include "platform/skin/SkinPainter.h"

using zorbel::skin::SkinManager;
using zorbel::skin::SkinPainter;

CSkinButton::CSkinButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                         const wxSize& size, Kind kind, int group, const char* element)
    : m_kind(kind), m_group(group), m_label(label) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxControl::Create(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS);
    SkinManager::Get().RegisterControl(this, element ? element : "");
    SetCursor(kind == Kind::Label ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
    if (size == wxDefaultSize) SetInitialSize(size);
    Bind(wxEVT_PAINT, &CSkinButton::OnPaint, this);
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION, wxEVT_ENTER_WINDOW,
          wxEVT_LEAVE_WINDOW})
        Bind(type, &CSkinButton::OnMouse, this);
    Bind(wxEVT_KEY_DOWN, &CSkinButton::OnKey, this);
    Bind(wxEVT_SET_FOCUS, &CSkinButton::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CSkinButton::OnFocus, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CSkinButton::OnCaptureLost, this);
    // A dialog that ran while the pointer left may have taken the leave event: the window
    // coming back to the front is the moment to look again.
    if (wxWindow* top = wxGetTopLevelParent(this); top != nullptr && top != this)
        top->Bind(wxEVT_ACTIVATE, &CSkinButton::OnTopLevelActivate, this);
}

void CSkinButton::SetValue(bool checked) {
    if (checked && m_kind == Kind::Radio) {
        for (wxWindow* sibling : GetParent()->GetChildren()) {
            auto* other = dynamic_cast<CSkinButton*>(sibling);
            if (other && other != this && other->m_kind == Kind::Radio &&
                other->m_group == m_group && other->m_checked) {
                other->m_checked = false;
                other->Refresh();
            }
        }
    }
    if (m_checked == checked) return;
    m_checked = checked;
    Refresh();
}

void CSkinButton::Click() {
    if (!IsEnabled()) return;
    wxEventType type = wxEVT_BUTTON;
    switch (m_kind) {
        case Kind::Check:
            SetValue(!m_checked);
            type = wxEVT_CHECKBOX;
            break;
        case Kind::Radio:
            SetValue(true);
            type = wxEVT_RADIOBUTTON;
            break;
        default:
            break;
    }
    wxCommandEvent event(type, GetId());
    event.SetEventObject(this);
    event.SetInt(m_checked ? 1 : 0);
    ProcessWindowEvent(event);
}

void CSkinButton::SetLabel(const wxString& label) {
    if (label == m_label) return;
    m_label = label;
    InvalidateBestSize();
    Refresh();
}

bool CSkinButton::AcceptsFocus() const {
    return m_kind != Kind::Label && wxControl::AcceptsFocus();
}

bool CSkinButton::Enable(bool enable) {
    if (!wxControl::Enable(enable)) return false;
    m_hover = m_pressed = false;
    Refresh();
    return true;
}

wxSize CSkinButton::DoGetBestSize() const {
    const zorbel::skin::SkinNode* node =
        SkinManager::Get().Element(SkinManager::Get().ElementOf(const_cast<CSkinButton*>(this)));
    wxClientDC dc(const_cast<CSkinButton*>(this));
    if (node) dc.SetFont(SkinPainter::Get().Font(node->style));
    wxSize text = dc.GetTextExtent(m_label.empty() ? wxString("M") : m_label);
    return wxSize(text.x + 24, text.y + 14);
}

void CSkinButton::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DrawTo(dc);
}

void CSkinButton::SetLook(bool hover, bool pressed) {
    m_hover = hover;
    m_pressed = pressed;
    Refresh();
}

void CSkinButton::DrawTo(wxDC& dc) {
    const wxSize size = GetClientSize();
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc) return;
    SkinManager& manager = SkinManager::Get();
    std::string folder;
    const zorbel::skin::SkinNode* node = manager.Element(manager.ElementOf(this), &folder);
    manager.PaintParentBehind(this, gc.get());
    if (!node) {
        // Not skinned: the toolkit's own look.
        gc.reset();
        int flags = 0;
        if (m_checked) flags |= wxCONTROL_CHECKED;
        if (m_checked && m_kind == Kind::Push) flags |= wxCONTROL_PRESSED;
        if (m_pressed && m_hover) flags |= wxCONTROL_PRESSED;
        if (m_hover) flags |= wxCONTROL_CURRENT;
        if (!IsEnabled()) flags |= wxCONTROL_DISABLED;
        if (HasFocus()) flags |= wxCONTROL_FOCUSED;
        wxRendererNative& renderer = wxRendererNative::Get();
        wxRect text(size);
        if (m_kind == Kind::Radio || m_kind == Kind::Check) {
            const wxSize mark = renderer.GetCheckBoxSize(this);
            const wxRect markRect(2, (size.y - mark.y) / 2, mark.x, mark.y);
            if (m_kind == Kind::Radio)
                renderer.DrawRadioBitmap(this, dc, markRect, flags);
            else
                renderer.DrawCheckBox(this, dc, markRect, flags);
            text.x = mark.x + 6;
            text.width -= text.x;
            dc.SetTextForeground(GetForegroundColour());
            dc.DrawLabel(m_label, text, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
        } else if (m_kind == Kind::Label) {
            dc.SetTextForeground(GetForegroundColour());
            dc.DrawLabel(m_label, text, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
        } else {
            renderer.DrawPushButton(this, dc, wxRect(size), flags);
            dc.SetTextForeground(GetForegroundColour());
            dc.DrawLabel(m_label, text, wxALIGN_CENTER);
        }
        return;
    }
    std::vector<std::string> states;
    if (m_checked) states.push_back("checked");
    if (m_hover && IsEnabled()) states.push_back("hover");
    if (m_pressed && m_hover) states.push_back("pressed");
    if (HasFocus()) states.push_back("focus");
    if (!IsEnabled()) states.push_back("disabled");
    SkinPainter::Get().Draw(gc.get(), wxRect(size), node->StyleFor(states), folder, m_label,
                            manager.GetHsb());
}

void CSkinButton::OnMouse(wxMouseEvent& event) {
    const wxEventType type = event.GetEventType();
    const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
    if (type == wxEVT_ENTER_WINDOW || type == wxEVT_MOTION) {
        if (m_hover != inside) {
            m_hover = inside;
            Refresh();
        }
    } else if (type == wxEVT_LEAVE_WINDOW) {
        m_hover = false;
        Refresh();
    } else if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK) {
        if (!IsEnabled()) return;
        if (AcceptsFocus()) SetFocus();
        m_pressed = true;
        m_hover = inside;
        if (!HasCapture() && IsShownOnScreen()) CaptureMouse();
        Refresh();
    } else if (type == wxEVT_LEFT_UP) {
        if (HasCapture()) ReleaseMouse();
        const bool click = m_pressed && inside;
        m_pressed = false;
        Refresh();
        if (click) {
            // The click may run a modal dialog, or end this button's window altogether.
            wxWeakRef<CSkinButton> self(this);
            Click();
            if (self) self->DropHoverIfPointerLeft();
        }
    }
    event.Skip(type == wxEVT_MOTION || type == wxEVT_ENTER_WINDOW || type == wxEVT_LEAVE_WINDOW);
}

void CSkinButton::OnKey(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_SPACE || key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        Click();
        return;
    }
    if (m_kind == Kind::Radio &&
        (key == WXK_LEFT || key == WXK_UP || key == WXK_RIGHT || key == WXK_DOWN)) {
        // Arrows move the choice within the group, as with the toolkit's radio buttons.
        const bool forward = key == WXK_RIGHT || key == WXK_DOWN;
        std::vector<CSkinButton*> group;
        for (wxWindow* sibling : GetParent()->GetChildren()) {
            auto* other = dynamic_cast<CSkinButton*>(sibling);
            if (other && other->m_kind == Kind::Radio && other->m_group == m_group &&
                (other == this || (other->IsShown() && other->IsEnabled())))
                group.push_back(other);
        }
        auto self = std::find(group.begin(), group.end(), this);
        if (group.size() > 1 && self != group.end()) {
            const size_t index = self - group.begin();
            CSkinButton* next = group[(index + (forward ? 1 : group.size() - 1)) % group.size()];
            next->SetFocus();
            next->Click();
        }
        return;
    }
    if (key == WXK_TAB) {
        Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward
                                   : wxNavigationKeyEvent::IsForward);
        return;
    }
    event.Skip();
}

void CSkinButton::OnFocus(wxFocusEvent& event) {
    Refresh();
    event.Skip();
}

void CSkinButton::DropHoverIfPointerLeft() {
    // Only ever cleared here: another window may cover the button where the pointer is, and
    // the toolkit's enter event sets it again when the pointer truly is over it.
    if (!m_hover || GetScreenRect().Contains(wxGetMousePosition())) return;
    m_hover = false;
    Refresh();
}

void CSkinButton::OnTopLevelActivate(wxActivateEvent& event) {
    event.Skip();
    DropHoverIfPointerLeft();
}

void CSkinButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_pressed = false;
    Refresh();
}
