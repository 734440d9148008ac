#pragma once

#include "catalog/DownloadUi.h"

#include <atomic>
#include <cstdint>

// A download's progress kept in two numbers that any thread may read: for a download nobody
// watches in the main window (the class queue), so the worker never waits on a window.
class ProgressOnlyDownloadUi : public DownloadUi {
public:
    void SetStatusText(const std::string&) override {}
    void SetProgressRange(std::uint64_t maximum) override { m_range = maximum; }
    void SetProgressPos(std::uint64_t position) override { m_pos = position; }
    void ShowProgress(bool) override {}

    std::uint64_t Range() const { return m_range.load(); }
    std::uint64_t Pos() const { return m_pos.load(); }

private:
    std::atomic<std::uint64_t> m_range{0};
    std::atomic<std::uint64_t> m_pos{0};
};
