#pragma once

#include <wx/control.h>

// A button drawn entirely by the skin engine: toolkit buttons cannot be painted over, so
// skinned dialogs create this one where they would create a push button, an auto radio
// button, a check box or a clickable label. It behaves as those do: a click (mouse, or Space /
// Enter with the focus) sends wxEVT_BUTTON (push, label), wxEVT_CHECKBOX (check, after
// toggling) or wxEVT_RADIOBUTTON (radio, after checking it and unchecking the other radio
// buttons of the same parent and group). The element may be named at construction or later
// with SkinDLL_SubclassWindow; without one it looks like a plain toolkit button.
class CSkinButton : public wxControl {
public:
    enum class Kind { Push, Check, Radio, Label };

    CSkinButton(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                Kind kind = Kind::Push, int group = 0, const char* element = nullptr);

    Kind GetKind() const { return m_kind; }
    int GetGroup() const { return m_group; }
    // The checked state of check and radio buttons (also settable on push buttons, which
    // then draw their element's "checked" state).
    bool GetValue() const { return m_checked; }
    void SetValue(bool checked);
    // What a click does, without the mouse.
    void Click();

    // Draws the button as it looks now; the paint handler and off-screen renders use it.
    void DrawTo(wxDC& dc);
    // Shows the hover/pressed look without a mouse (previews of every state).
    void SetLook(bool hover, bool pressed);

    void SetLabel(const wxString& label) override;
    wxString GetLabel() const override { return m_label; }
    bool AcceptsFocus() const override;
    bool Enable(bool enable = true) override;

protected:
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnFocus(wxFocusEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnTopLevelActivate(wxActivateEvent& event);
    // Leaves the hover look once the pointer is no longer over the button.
    void DropHoverIfPointerLeft();

    Kind m_kind;
    int m_group;
    wxString m_label;
    bool m_checked = false;
    bool m_hover = false;
    bool m_pressed = false;
};
