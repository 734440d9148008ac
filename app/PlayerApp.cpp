#include "app/PlayerApp.h"

#include <cstdlib>

#include <wx/log.h>

#include "app/StartupSequence.h"
#include "catalog/DownloadWorkerStart.h"
#include "platform/VelaPfcSystem.h"

CPlayerApp::CPlayerApp() {
    // The instance rule and the window tools speak X11; under Wayland this runs on XWayland.
    // The toolkit reads the variable when it starts, which is after the app object exists.
    setenv("GDK_BACKEND", "x11", 1);
}

bool CPlayerApp::OnInit() {
    // The command line is not read, so the base class's parsing is not called.
    // The toolkit's own errors go to stderr: its log window is a technical message box that
    // a child could not act on. What the user must be told is shown as its own message.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    InitInstance();
    return true;
}

int CPlayerApp::OnRun() {
    return 0;
}

int CPlayerApp::OnExit() {
    // A download still running ends now, deleting its temporary file, while the toolkit it
    // reports to still exists.
    StopDownloadWorkers();
    return ExitInstance();
}

bool CPlayerApp::InitInstance() {
    // The marker and the instance claim are named after the executable.
    const std::string exeName = CStartupSequence::ExecutableName();
    if (!exeName.empty()) SetAppName(wxString::FromUTF8(exeName));

    CStartupSequence sequence(std::string(GetAppName().utf8_str()));
    sequence.Run();
    return false;
}

int CPlayerApp::ExitInstance() {
    // Nothing to uninitialise (no COM here); the process-wide location service goes.
    delete PfcSystem;
    PfcSystem = nullptr;
    return wxApp::OnExit();
}
