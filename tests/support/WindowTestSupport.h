#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

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

// Runs the event loop until cond() holds or the time-out passes; returns cond().
bool PumpUntil(const std::function<bool()>& cond,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
// Runs the event loop for the given time.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace zorbel::test
