#pragma once

#include <functional>
#include <vector>

#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

#include "platform/templates/DialogTemplate.h"

class wxDialog;

// Turns a dialog template (platform/templates/DialogTemplate.h) into toolkit windows.
//
// Usage in a dialog class:
//
//   CDlgSettings::CDlgSettings(wxWindow* parent) {
//       zorbel::templates::CreateTemplateDialog(this, parent, 178);
//   }
//
// or, with skinned controls in place of some template controls:
//
//   auto factory = [](wxWindow* parent, const DialogControl& c, wxWindowID id,
//                     const wxRect& rect) -> wxWindow* {
//       if (c.id == 1001) return new CSkinButton(parent, id, "", rect.GetPosition(),
//                                                rect.GetSize());
//       return nullptr;  // everything else as the template says
//   };
//   zorbel::templates::CreateTemplateDialog(this, nullptr, 103, factory);
//
// Controls are created in template order (which is the tab order) with the template's ids,
// except that the classic command ids 1 (OK) and 2 (Cancel) become wxID_OK and wxID_CANCEL so
// that Enter, Escape and the dialog's standard button handling work: event tables use
// wxID_OK / wxID_CANCEL for them. Find controls with FindWindow(ToolkitId(id)).
namespace zorbel::templates {

// Creates the window for one control instead of the default one, or returns null to leave
// it to the builder. It must create the window as a child of parent with the given id and
// rectangle (pixels, in parent's client coordinates). The builder then applies the template's
// visibility and enabled state to whatever window came back.
using ControlFactory = std::function<wxWindow*(wxWindow* parent, const DialogControl& control,
                                               wxWindowID id, const wxRect& rect)>;

// The toolkit id of a template control id: 1 → wxID_OK, 2 → wxID_CANCEL, -1 → wxID_ANY,
// any other id unchanged.
wxWindowID ToolkitId(int templateId);

// The template's font: its face when installed (the classic Windows faces are not, and give
// the desktop's normal face), at the template's point size.
wxFont TemplateFont(const DialogTemplate& dialog);

// wxDialog style bits for the template's window styles: caption and system menu give a title
// bar with a close box; without a caption the window has no decoration (a thin border with
// "border").
long WxDialogStyle(const DialogTemplate& dialog);

// Dialog units of the template's font to pixels, the way wxWindow::ConvertDialogToPixels
// converts them for a top-level window that uses that font. For a dialog built from the
// template (whose font is the template's), this equals dialog->ConvertDialogToPixels.
class DialogUnits {
public:
    DialogUnits(wxWindow* container, const DialogTemplate& dialog);
    wxPoint ToPixels(const wxPoint& dlu) const;
    wxSize ToPixels(const wxSize& dlu) const;
    wxRect ToPixels(const DialogControl& control) const;
    wxSize Base() const { return m_base; }

private:
    wxWindow* m_container;
    wxSize m_base;
};

// Gives container the template's font and client size, then creates every control of the
// template inside it. container is usually the wxDialog itself; a panel works too (child
// templates). Returns the created windows in template order.
std::vector<wxWindow*> CreateDialogControls(wxWindow* container, const DialogTemplate& dialog,
                                            const ControlFactory& factory = {});

// Two-step creation of a dialog object constructed with wxDialog's default constructor:
// wxDialog::Create with the template's caption and WxDialogStyle, then CreateDialogControls.
// Returns false, creating nothing, when there is no template with that id or the window
// cannot be created.
bool CreateTemplateDialog(wxDialog* dialog, wxWindow* parent, const DialogTemplate& tmpl,
                          const ControlFactory& factory = {});
bool CreateTemplateDialog(wxDialog* dialog, wxWindow* parent, int templateId,
                          const ControlFactory& factory = {});

// The window the builder makes for a control by default (what a factory may fall back on):
//   pushbutton       wxButton                 defpushbutton  wxButton, the default one
//   autoradiobutton  wxRadioButton (wxRB_GROUP with "group")
//   autocheckbox     wxCheckBox
//   static           wxStaticText; with "notify" or "blackrect" a wxGenericStaticText that
//                    sends wxEVT_BUTTON on a click and wxEVT_COMMAND_LEFT_DCLICK on a double
//                    click (map them with EVT_BUTTON / EVT_COMMAND_LEFT_DCLICK); "blackrect"
//                    paints it black
//   icon             wxStaticBitmap without a bitmap (the owner sets it), 32 by 32 pixels
//                    when the template gives 0 by 0
//   edit             single-line wxTextCtrl (wxBORDER_NONE without "border")
//   treeview         wxTreeCtrl with wxTR_HIDE_ROOT: a classic tree has several top-level
//                    items, so the owner adds one hidden root and puts them under it;
//                    wxTR_FULL_ROW_HIGHLIGHT for "fullrowselect", wxTR_HAS_BUTTONS for
//                    "hasbuttons", wxTR_LINES_AT_ROOT for "linesatroot", no lines otherwise
//   progress         wxGauge, range 100
//   trackbar         wxSlider, range 0 to 100
//   webcontrol       a plain wxPanel that the owner replaces with its web view
wxWindow* CreateDefaultControl(wxWindow* parent, const DialogControl& control, wxWindowID id,
                               const wxRect& rect);

}  // namespace zorbel::templates
