#include "tests/support/WindowTestSupport.h"

#include "platform/MessageBox.h"

namespace zorbel::test {
namespace {
int g_nextAnswer = kIdOk;
}

std::vector<ShownBox>& ShownBoxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

void SetNextBoxAnswer(int answer) {
    g_nextAnswer = answer;
}

void InstallRecordingMessageBoxHook() {
    SetMessageBoxHook(
        [](wxWindow* owner, const std::string& text, const std::string& caption, long style) {
            ShownBoxes().push_back({owner, text, caption, style});
            int answer = g_nextAnswer;
            g_nextAnswer = kIdOk;
            return answer;
        });
}

}  // namespace zorbel::test
