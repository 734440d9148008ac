#include "tests/catalog/RecordingDownloadUi.h"

#include <algorithm>

namespace zorbel::test {

void RecordingDownloadUi::SetStatusText(const std::string& text) {
    if (onStatus) onStatus(text);
    Add({Call::Status, text, 0});
}

void RecordingDownloadUi::SetProgressRange(std::uint64_t maximum) {
    Add({Call::Range, "", maximum});
}

void RecordingDownloadUi::SetProgressPos(std::uint64_t position) {
    Add({Call::Pos, "", position});
}

void RecordingDownloadUi::ShowProgress(bool show) {
    Add({Call::Show, "", show ? 1u : 0u});
}

void RecordingDownloadUi::Add(Call call) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (call.kind == Call::Pos) m_maxPos = std::max(m_maxPos, call.value);
    m_calls.push_back(std::move(call));
    m_changed.notify_all();
}

std::vector<RecordingDownloadUi::Call> RecordingDownloadUi::Calls() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_calls;
}

std::vector<std::string> RecordingDownloadUi::Statuses() const {
    std::vector<std::string> texts;
    for (const Call& call : Calls()) {
        if (call.kind == Call::Status) texts.push_back(call.text);
    }
    return texts;
}

std::uint64_t RecordingDownloadUi::LastPos() const {
    std::uint64_t pos = 0;
    for (const Call& call : Calls()) {
        if (call.kind == Call::Pos) pos = call.value;
    }
    return pos;
}

bool RecordingDownloadUi::WaitForPos(std::uint64_t bytes, std::chrono::seconds timeout) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return m_maxPos >= bytes; });
}

}  // namespace zorbel::test
