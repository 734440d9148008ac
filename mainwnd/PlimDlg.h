#pragma once

#include <wx/dialog.h>

// The main window. It runs modally and is the program's only event loop; when it closes, the
// program ends. For now it is an empty dialog that carries the instance marker.
class CPlimDlg : public wxDialog {
public:
    explicit CPlimDlg(wxWindow* parent = nullptr);
    ~CPlimDlg() override;

private:
    void OnInitDialog(wxInitDialogEvent& event);

    wxDECLARE_EVENT_TABLE();
};
