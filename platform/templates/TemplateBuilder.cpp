#include "platform/templates/TemplateBuilder.h"

#include <map>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/fontenum.h>
#include <wx/gauge.h>
#include <wx/math.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
// After the port's own label, which it would otherwise hide.
#include <wx/generic/stattextg.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/treectrl.h>

namespace zorbel::templates {

namespace {

// What a classic icon static measures when the template leaves its size to the icon.
constexpr int kIconPixels = 32;

// A notifying static reports a click as its command and a double click as a second command,
// as the classic static control does with its two notifications.
void MakeNotifying(wxWindow* window) {
    window->Bind(wxEVT_LEFT_UP, [window](wxMouseEvent& event) {
        event.Skip();
        if (!window->IsEnabled() || !window->GetClientRect().Contains(event.GetPosition())) return;
        wxCommandEvent click(wxEVT_BUTTON, window->GetId());
        click.SetEventObject(window);
        window->ProcessWindowEvent(click);
    });
    window->Bind(wxEVT_LEFT_DCLICK, [window](wxMouseEvent& event) {
        event.Skip();
        if (!window->IsEnabled()) return;
        wxCommandEvent dclick(wxEVT_COMMAND_LEFT_DCLICK, window->GetId());
        dclick.SetEventObject(window);
        window->ProcessWindowEvent(dclick);
    });
}

long TextAlignment(const DialogControl& control, long right, long center) {
    if (control.Has(kAlignRight)) return right;
    if (control.Has(kAlignCenter)) return center;
    return 0;
}

wxWindow* CreateStatic(wxWindow* parent, const DialogControl& control, wxWindowID id,
                       const wxRect& rect) {
    const wxString label = wxString::FromUTF8(control.text);
    long style = wxST_NO_AUTORESIZE |
                 TextAlignment(control, wxALIGN_RIGHT, wxALIGN_CENTRE_HORIZONTAL) |
                 (control.Has(kBorder) ? wxBORDER_SIMPLE : wxBORDER_NONE);
    if (!control.Has(kNotify) && !control.Has(kBlackRect))
        return new wxStaticText(parent, id, label, rect.GetPosition(), rect.GetSize(), style);

    // The toolkit's own label has no window of its own and never sees the mouse.
    auto* window = new wxGenericStaticText(parent, id, control.Has(kBlackRect) ? wxString() : label,
                                           rect.GetPosition(), rect.GetSize(), style);
    if (control.Has(kBlackRect)) window->SetBackgroundColour(*wxBLACK);
    if (control.Has(kNotify)) MakeNotifying(window);
    return window;
}

wxWindow* CreateTree(wxWindow* parent, const DialogControl& control, wxWindowID id,
                     const wxRect& rect) {
    long style = wxTR_HIDE_ROOT | wxTR_SINGLE;
    style |= control.Has(kHasButtons) ? wxTR_HAS_BUTTONS : wxTR_NO_BUTTONS;
    if (!control.Has(kHasLines)) style |= wxTR_NO_LINES;
    if (control.Has(kLinesAtRoot)) style |= wxTR_LINES_AT_ROOT;
    if (control.Has(kFullRowSelect)) style |= wxTR_FULL_ROW_HIGHLIGHT;
    style |= control.Has(kBorder) ? wxBORDER_THEME : wxBORDER_NONE;
    return new wxTreeCtrl(parent, id, rect.GetPosition(), rect.GetSize(), style);
}

}  // namespace

wxWindowID ToolkitId(int templateId) {
    switch (templateId) {
        case 1:
            return wxID_OK;
        case 2:
            return wxID_CANCEL;
        case -1:
            return wxID_ANY;
        default:
            return templateId;
    }
}

wxFont TemplateFont(const DialogTemplate& dialog) {
    wxFontInfo info(dialog.fontSize > 0 ? dialog.fontSize : 9);
    // Enumerating the installed faces is slow on a desktop with many fonts; the answer for a
    // face does not change while the program runs. Windows are made on the UI thread only.
    static std::map<wxString, bool> installed;
    const wxString face = wxString::FromUTF8(dialog.font);
    auto known = installed.find(face);
    if (known == installed.end())
        known =
            installed.emplace(face, !face.empty() && wxFontEnumerator::IsValidFacename(face)).first;
    if (known->second)
        info.FaceName(face);
    else
        info.Family(wxFONTFAMILY_DEFAULT);
    return wxFont(info);
}

long WxDialogStyle(const DialogTemplate& dialog) {
    long style = 0;
    if (dialog.Has(kCaption)) {
        style |= wxCAPTION;
        if (dialog.Has(kSysMenu)) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    } else {
        style |= dialog.Has(kBorderStyle) ? wxBORDER_SIMPLE : wxBORDER_NONE;
    }
    // A window of its own in the task bar is nobody's child, also while others are open.
    if (dialog.Has(kAppWindow)) style |= wxDIALOG_NO_PARENT;
    return style;
}

DialogUnits::DialogUnits(wxWindow* container, const DialogTemplate& dialog)
    : m_container(container) {
    // The same measure wx takes for a top-level window: the average width of the ASCII
    // letters and the line height of the font.
    const wxFont font = TemplateFont(dialog);
    int width = 0;
    int height = 0;
    container->GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width,
                             &height, nullptr, nullptr, &font);
    m_base = wxSize((width / 26 + 1) / 2, height);
    // A top-level window that already uses the font converts by itself, so both always agree.
    if (!container->IsTopLevel() || container->GetFont() != font) m_container = nullptr;
}

wxPoint DialogUnits::ToPixels(const wxPoint& dlu) const {
    if (m_container) return m_container->ConvertDialogToPixels(dlu);
    return wxPoint(wxMulDivInt32(dlu.x, m_base.x, 4), wxMulDivInt32(dlu.y, m_base.y, 8));
}

wxSize DialogUnits::ToPixels(const wxSize& dlu) const {
    const wxPoint p = ToPixels(wxPoint(dlu.x, dlu.y));
    return wxSize(p.x, p.y);
}

wxRect DialogUnits::ToPixels(const DialogControl& control) const {
    return wxRect(ToPixels(wxPoint(control.x, control.y)), ToPixels(wxSize(control.w, control.h)));
}

wxWindow* CreateDefaultControl(wxWindow* parent, const DialogControl& control, wxWindowID id,
                               const wxRect& rect) {
    const wxString text = wxString::FromUTF8(control.text);
    const wxPoint pos = rect.GetPosition();
    const wxSize size = rect.GetSize();
    switch (control.kind) {
        // The template fixes every button's size; the theme's padding would only eat into
        // small ones ("...") until their text disappears.
        case ControlKind::PushButton:
            return new wxButton(parent, id, text, pos, size, wxBU_EXACTFIT);
        case ControlKind::DefPushButton: {
            auto* button = new wxButton(parent, id, text, pos, size, wxBU_EXACTFIT);
            button->SetDefault();
            return button;
        }
        case ControlKind::AutoRadioButton:
            return new wxRadioButton(parent, id, text, pos, size,
                                     control.Has(kGroup) ? wxRB_GROUP : 0);
        case ControlKind::AutoCheckBox:
            return new wxCheckBox(parent, id, text, pos, size);
        case ControlKind::Static:
            return CreateStatic(parent, control, id, rect);
        case ControlKind::Icon: {
            const wxSize iconSize =
                size.x == 0 && size.y == 0 ? wxSize(kIconPixels, kIconPixels) : size;
            auto* icon = new wxStaticBitmap(parent, id, wxBitmapBundle(), pos, iconSize);
            if (control.Has(kNotify)) MakeNotifying(icon);
            return icon;
        }
        case ControlKind::Edit: {
            long style = TextAlignment(control, wxTE_RIGHT, wxTE_CENTRE) |
                         (control.Has(kReadOnly) ? wxTE_READONLY : 0) |
                         (control.Has(kBorder) ? 0 : wxBORDER_NONE);
            return new wxTextCtrl(parent, id, text, pos, size, style);
        }
        case ControlKind::TreeView:
            return CreateTree(parent, control, id, rect);
        case ControlKind::ProgressBar:
            return new wxGauge(parent, id, 100, pos, size,
                               (control.Has(kVertical) ? wxGA_VERTICAL : wxGA_HORIZONTAL) |
                                   (control.Has(kSmooth) ? wxGA_SMOOTH : 0));
        case ControlKind::Trackbar: {
            long style = control.Has(kVertical) ? wxSL_VERTICAL : wxSL_HORIZONTAL;
            if (control.Has(kBothSides)) style |= wxSL_BOTH;
            if (!control.Has(kNoTicks)) style |= wxSL_AUTOTICKS;
            return new wxSlider(parent, id, 0, 0, 100, pos, size, style);
        }
        case ControlKind::WebControl:
            return new wxPanel(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE);
    }
    return nullptr;
}

std::vector<wxWindow*> CreateDialogControls(wxWindow* container, const DialogTemplate& dialog,
                                            const ControlFactory& factory) {
    container->SetFont(TemplateFont(dialog));
    const DialogUnits units(container, dialog);
    // A template of no size is sized by its owner.
    if (dialog.width > 0 || dialog.height > 0)
        container->SetClientSize(units.ToPixels(wxSize(dialog.width, dialog.height)));

    std::vector<wxWindow*> windows;
    windows.reserve(dialog.controls.size());
    for (const DialogControl& control : dialog.controls) {
        const wxWindowID id = ToolkitId(control.id);
        const wxRect rect = units.ToPixels(control);
        wxWindow* window = factory ? factory(container, control, id, rect) : nullptr;
        if (!window) window = CreateDefaultControl(container, control, id, rect);
        if (!control.IsVisible()) window->Hide();
        if (!control.IsEnabled()) window->Disable();
        windows.push_back(window);
    }
    return windows;
}

bool CreateTemplateDialog(wxDialog* dialog, wxWindow* parent, const DialogTemplate& tmpl,
                          const ControlFactory& factory) {
    if (!dialog->Create(parent, wxID_ANY, wxString::FromUTF8(tmpl.caption), wxDefaultPosition,
                        wxDefaultSize, WxDialogStyle(tmpl)))
        return false;
    CreateDialogControls(dialog, tmpl, factory);
    return true;
}

bool CreateTemplateDialog(wxDialog* dialog, wxWindow* parent, int templateId,
                          const ControlFactory& factory) {
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    return tmpl && CreateTemplateDialog(dialog, parent, *tmpl, factory);
}

}  // namespace zorbel::templates
