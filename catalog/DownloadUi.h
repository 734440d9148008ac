#pragma once

#include <cstdint>
#include <string>

// What the download worker asks of the user interface: the status edit (its text is the
// completion signal) and the progress bar. Every call comes from the worker thread.
//
// SetStatusText and SetProgressRange return only after the user interface has applied them
// ("100%" runs the play step before the worker clears DownloadBusy). Progress position and
// visibility may be applied later, but in order: each later call sees them applied, and the
// latest value wins. None of the calls may block for good once AppExiting is set or the
// window is gone.
class DownloadUi {
public:
    virtual ~DownloadUi();

    virtual void SetStatusText(const std::string& text) = 0;
    // SetStatusText without waiting for the user interface to apply it: for a text nothing
    // waits on ("0%" at the start, so the title's request need not wait for the window). It
    // still arrives in order with the other calls. By default the same as SetStatusText.
    virtual void PostStatusText(const std::string& text) { SetStatusText(text); }
    virtual void SetProgressRange(std::uint64_t maximum) = 0;
    virtual void SetProgressPos(std::uint64_t position) = 0;
    virtual void ShowProgress(bool show) = 0;
};
