#include "mainwnd/PlimDlg.h"

#include <wx/app.h>

#include "platform/x11/InstanceMarker.h"

wxBEGIN_EVENT_TABLE(CPlimDlg, wxDialog)
    EVT_INIT_DIALOG(CPlimDlg::OnInitDialog)
wxEND_EVENT_TABLE()

CPlimDlg::CPlimDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("儿童游戏-佐贝乐"), wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxMINIMIZE_BOX | wxDIALOG_NO_PARENT) {}

CPlimDlg::~CPlimDlg() = default;

void CPlimDlg::OnInitDialog(wxInitDialogEvent& event) {
    // A second start finds this window by the marker named after the executable.
    zorbel::x11::CInstanceMarker::Set(this, std::string(wxTheApp->GetAppName().utf8_str()));
    event.Skip();
}
