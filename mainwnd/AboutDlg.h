#pragma once

#include <wx/dialog.h>

class wxStaticBitmap;

// The about box (template 100): the program's icon, name and version, a notice line and OK.
// The main window runs it modally from its menu button's "关于我们"; the object lives on the
// handler's stack.
class CAboutDlg : public wxDialog {
public:
    static constexpr int kTemplateId = 100;

    explicit CAboutDlg(wxWindow* parent = nullptr);
    ~CAboutDlg() override;

    // The template's icon control, showing the application icon; null when the template is
    // missing.
    wxStaticBitmap* IconControl() const { return m_icon; }

private:
    bool OnInitDialog();

    wxStaticBitmap* m_icon = nullptr;
};
