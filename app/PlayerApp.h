#pragma once

#include <wx/app.h>

// The application object. Its start-up (InitInstance) runs the main window on an event loop
// of its own (CMainWindowRun); the application never runs another, and the process ends when
// that run has ended (or start-up refused to go on).
class CPlayerApp : public wxApp {
public:
    CPlayerApp();

    // Runs InitInstance. It always succeeds as far as wx is concerned, so that OnRun and
    // OnExit follow on every path and the process ends with status 0.
    bool OnInit() override;
    // No loop: everything happened during start-up.
    int OnRun() override;
    int OnExit() override;

    // The start-up sequence; always false (there is never a loop of the application object).
    bool InitInstance();
    int ExitInstance();
};

wxDECLARE_APP(CPlayerApp);
