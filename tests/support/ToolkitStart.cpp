#include "tests/support/ToolkitStart.h"

#include <cstdio>
#include <cstdlib>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

namespace zorbel::test {
namespace {

class ToolkitApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace

bool StartToolkit(const char* argv0) {
    // The program's X11 layers need X; under Wayland this runs on XWayland.
    setenv("GDK_BACKEND", "x11", 1);
    wxApp::SetInstance(new ToolkitApp);
    int argc = 1;
    char* argv[] = {const_cast<char*>(argv0), nullptr};
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wx (is there a display?)\n");
        return false;
    }
    wxTheApp->CallOnInit();
    delete wxLog::SetActiveTarget(new wxLogStderr);
    return true;
}

void StopToolkit() {
    wxTheApp->OnExit();
    wxEntryCleanup();
}

}  // namespace zorbel::test
