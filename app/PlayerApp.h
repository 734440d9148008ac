#pragma once

#include <wx/app.h>

class CPlayerApp : public wxApp {
public:
    bool OnInit() override;
};

wxDECLARE_APP(CPlayerApp);
