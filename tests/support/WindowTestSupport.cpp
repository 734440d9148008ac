#include "tests/support/WindowTestSupport.h"

#include <thread>

#include <wx/app.h>
#include <wx/utils.h>

#include "platform/MessageBox.h"

namespace zorbel::test {
namespace {
int g_nextAnswer = kIdOk;
}

std::vector<ShownBox>& ShownBoxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

void SetNextBoxAnswer(int answer) { g_nextAnswer = answer; }

void InstallRecordingMessageBoxHook() {
    SetMessageBoxHook([](wxWindow* owner, const std::string& text, const std::string& caption,
                         long style) {
        ShownBoxes().push_back({owner, text, caption, style});
        int answer = g_nextAnswer;
        g_nextAnswer = kIdOk;
        return answer;
    });
}

bool PumpUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return cond();
        wxTheApp->ProcessPendingEvents();
        wxYield();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace zorbel::test
