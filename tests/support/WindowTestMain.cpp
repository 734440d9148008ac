// Shared main of the window tests: starts wx on the display that xvfb-run provides, turns wx
// assertions into test failures, answers every message box and sends wx's log to stderr, so no
// test waits on a dialog.
#include <gtest/gtest.h>
#include <wx/app.h>

#include "platform/MessageBox.h"
#include "tests/support/ToolkitStart.h"
#include "tests/support/WindowTestSupport.h"

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!zorbel::test::StartToolkit(argv[0])) return 1;
    wxSetAssertHandler(FailOnAssert);
    zorbel::test::InstallRecordingMessageBoxHook();

    int result = RUN_ALL_TESTS();

    zorbel::test::StopToolkit();
    return result;
}
