#pragma once

#include "catalog/DownloadUi.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zorbel::test {

// A DownloadUi that records every call, for the worker's tests.
class RecordingDownloadUi : public DownloadUi {
public:
    struct Call {
        enum Kind { Status, Range, Pos, Show } kind;
        std::string text;
        std::uint64_t value = 0;
    };

    void SetStatusText(const std::string& text) override;
    void SetProgressRange(std::uint64_t maximum) override;
    void SetProgressPos(std::uint64_t position) override;
    void ShowProgress(bool show) override;

    // Runs on the worker thread inside SetStatusText, as the play step would.
    std::function<void(const std::string&)> onStatus;

    std::vector<Call> Calls() const;
    std::vector<std::string> Statuses() const;
    std::uint64_t LastPos() const;
    // Waits until the worker has reported at least that many bytes; false after the time-out.
    bool WaitForPos(std::uint64_t bytes, std::chrono::seconds timeout);

private:
    void Add(Call call);

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Call> m_calls;
    std::uint64_t m_maxPos = 0;
};

}  // namespace zorbel::test
