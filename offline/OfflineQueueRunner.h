#pragma once

#include "catalog/DownloadWorker.h"
#include "catalog/ProgressOnlyDownloadUi.h"
#include "offline/ClassQueue.h"

#include <wx/event.h>
#include <wx/timer.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// Fetches a queued class one title after another through the single download worker, on the
// user-interface thread's timer. A title that fails (the network is gone) waits behind the
// others and is tried again a little later; the queue file keeps what is left across a
// restart.
class COfflineQueueRunner : public wxEvtHandler {
public:
    // One per program; never destroyed (a worker may still be ending at exit).
    static COfflineQueueRunner& Get();

    // Where titles go and where they come from; call before anything else. The same folder
    // again keeps a running queue; another one drops it.
    void Configure(const std::string& cacheFolder, const std::string& contentServer);
    // Queues the titles of className that are not stored yet and starts; false when a queue
    // runs already or nothing is left to fetch.
    bool StartClass(const std::string& className, const std::vector<std::string>& titles);
    // Goes on with a queue saved by an earlier run of the program.
    void ResumeSaved();
    // Drops the queue; the title being fetched stops and keeps its bytes for later.
    void Cancel();

    struct Progress {
        bool running = false;
        std::string className;
        std::size_t done = 0;
        std::size_t total = 0;
        std::string current;
        std::uint64_t currentPos = 0;
        std::uint64_t currentRange = 0;
        std::size_t failures = 0;
    };
    Progress Snapshot() const;

    static std::string QueuePath(const std::string& cacheFolder);

private:
    COfflineQueueRunner();
    void StartNext();
    void OnTitleDone(const DownloadResult& result);
    void OnTimer(wxTimerEvent& event);
    void Later(int milliseconds);

    wxTimer m_timer;
    std::string m_cacheFolder;
    std::string m_contentServer;
    std::unique_ptr<zorbel::offline::ClassQueue> m_queue;
    std::shared_ptr<ProgressOnlyDownloadUi> m_ui;
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_bRunning = false;
    bool m_bFetching = false;
    std::size_t m_failuresInRow = 0;
    std::size_t m_failures = 0;
};
