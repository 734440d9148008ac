#pragma once

#include "catalog/DownloadUi.h"

#include <functional>
#include <memory>

class wxWindow;

// The download worker's view of the main window: the status edit (1028, a wxTextCtrl whose
// SetValue raises wxEVT_TEXT every time) and the progress bar (1027, a wxGauge).
//
// Calls come from the worker thread. Each becomes a closure queued on the application object
// with CallAfter; the window itself is only touched by that closure, on the user-interface
// thread, and only while it exists (its wxEVT_DESTROY is watched). A waiting call ends when
// the closure has run, when the closure is dropped, when the window is gone, when AppExiting
// is set or when Close is called, so a worker never waits on a user-interface thread that is
// shutting down.
class CWindowDownloadUi : public DownloadUi {
public:
    enum class ProgressDelivery {
        // Position and visibility are handed over without waiting, latest value wins: at
        // most one closure queued at a time, positions at most every 20 ms, changes of
        // visibility and the reset to 0 at once. A waiting round trip per 512 bytes would cap
        // the transfer at the event loop's pace.
        Coalesced,
        // Every call waits for the user-interface thread.
        Synchronous,
    };

    static constexpr int kStatusEditId = 1028;
    static constexpr int kProgressBarId = 1027;

    // User-interface thread.
    explicit CWindowDownloadUi(wxWindow* owner,
                               ProgressDelivery delivery = ProgressDelivery::Coalesced);
    ~CWindowDownloadUi() override;
    CWindowDownloadUi(const CWindowDownloadUi&) = delete;
    CWindowDownloadUi& operator=(const CWindowDownloadUi&) = delete;

    void SetStatusText(const std::string& text) override;
    void PostStatusText(const std::string& text) override;
    void SetProgressRange(std::uint64_t maximum) override;
    void SetProgressPos(std::uint64_t position) override;
    void ShowProgress(bool show) override;

    // Any thread: from now on no call waits and none reaches the toolkit.
    void Close();
    bool IsClosed() const;
    // User-interface thread: whether this bridge still serves owner.
    bool Serves(wxWindow* owner) const;

private:
    struct Link;
    void Post(std::function<void(wxWindow*)> action, bool wait);
    void PostProgress();

    std::shared_ptr<Link> m_link;
};
