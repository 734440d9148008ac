#pragma once

#include <vector>

#include <wx/bmpbndl.h>
#include <wx/dialog.h>

class wxButton;
class wxStaticBitmap;
class wxStaticText;

namespace zorbel {

// The window behind AppMessageBox (styles of platform/MessageBoxStyle.h): the icon the style
// names, drawn from our own pictures so that no icon theme is needed; the text, wrapped to a
// readable width; and the style's buttons, labelled in the program's own language whatever the
// machine's locale ("确定", "取消", "是", "否"), in that order, right-aligned at the bottom.
//
// The buttons carry wxID_OK, wxID_CANCEL, wxID_YES and wxID_NO, and ShowModal returns the id of
// the one that ended the box. kMbDefButton2 makes the second button the default (it has the
// focus, so Enter presses it). Escape and the window manager's close press "取消" in an
// OK-Cancel box, "否" in a Yes-No box and "确定" in an OK box. The box is centred on its
// owner's top-level window, or on the screen without one.
class CMessageBoxDlg : public wxDialog {
public:
    CMessageBoxDlg(wxWindow* owner, const wxString& text, const wxString& caption, long style);
    ~CMessageBoxDlg() override;

    long Style() const { return m_style; }
    // The icon control (named "icon"); null when the style has no icon bit.
    wxStaticBitmap* IconControl() const { return m_icon; }
    // The text control; its label is the text with line breaks where it was wrapped.
    wxStaticText* TextControl() const { return m_text; }
    // The buttons, left to right.
    const std::vector<wxButton*>& Buttons() const { return m_buttons; }

    // The picture of the style's icon at 32 by 32 logical pixels; empty without an icon bit.
    static wxBitmapBundle IconPicture(long style);
    // Widest line of the text, in logical pixels (unless the box would be taller than the
    // screen).
    static constexpr int kTextWidth = 400;

private:
    void OnAnswer(wxCommandEvent& event);
    void OnInitDialog(wxInitDialogEvent& event);

    long m_style;
    wxStaticBitmap* m_icon = nullptr;
    wxStaticText* m_text = nullptr;
    std::vector<wxButton*> m_buttons;
    wxButton* m_default = nullptr;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace zorbel
