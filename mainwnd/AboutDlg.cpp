#include "mainwnd/AboutDlg.h"

#include <wx/iconbndl.h>
#include <wx/statbmp.h>

#include "app/SystemIcon.h"
#include "platform/templates/TemplateBuilder.h"

CAboutDlg::CAboutDlg(wxWindow* parent) {
    if (!zorbel::templates::CreateTemplateDialog(this, parent, kTemplateId)) return;
    OnInitDialog();
}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::OnInitDialog() {
    const wxBitmapBundle icon = CSystemIcon::LoadAppIcon();
    // The template's icon control is its only picture; it has no id of its own.
    for (wxWindow* child : GetChildren()) {
        if (auto* bitmap = wxDynamicCast(child, wxStaticBitmap)) {
            m_icon = bitmap;
            m_icon->SetBitmap(icon);
            break;
        }
    }
    wxIconBundle icons;
    for (int size : {16, 32}) icons.AddIcon(icon.GetIcon(wxSize(size, size)));
    SetIcons(icons);
    Centre();
    return true;
}
