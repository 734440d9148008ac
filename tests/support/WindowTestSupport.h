#pragma once

#include <string>
#include <vector>

#include "tests/support/EventPump.h"

class wxWindow;

namespace zorbel::test {

// A message box as a test saw it.
struct ShownBox {
    wxWindow* owner;
    std::string text;
    std::string caption;
    long style;
};

// Replaces the real message box with one that records each box and answers with the
// answer set by SetNextBoxAnswer (kIdOk when none is set).
void InstallRecordingMessageBoxHook();
std::vector<ShownBox>& ShownBoxes();
void SetNextBoxAnswer(int answer);

}  // namespace zorbel::test
