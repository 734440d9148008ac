#pragma once

#include "catalog/DownloadUi.h"
#include "catalog/DownloadWorker.h"

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// The download worker threads of the process. A worker started with Start that finds another
// one running ends at once, so besides the one running there are at most a few that are just
// ending.
//
// Shutdown: the owner first makes sure no worker can be waiting on the user-interface thread
// (AppExiting set and the user-interface bridge closed), then calls JoinAll; a worker then
// ends within one poll interval of its transfer.
class CDownloadThreads {
public:
    using Finished = std::function<void(const DownloadResult&)>;

    CDownloadThreads();
    virtual ~CDownloadThreads();
    CDownloadThreads(const CDownloadThreads&) = delete;
    CDownloadThreads& operator=(const CDownloadThreads&) = delete;

    // Runs one worker on a new thread; ui stays alive until the worker is done with it.
    // finished, when given, is called on the worker thread with the outcome. False when no
    // thread could be created (nothing was started).
    bool Start(std::shared_ptr<DownloadUi> ui, DownloadOptions options = DownloadOptions(),
               Finished finished = Finished());
    // Runs one worker for request on a new thread; the caller has already set DownloadBusy
    // from 0 to 1, and the worker clears it when it ends. False when no thread could be
    // created: nothing was started and the claim is still the caller's to release.
    bool StartClaimed(std::shared_ptr<DownloadUi> ui, DownloadRequest request,
                      DownloadOptions options = DownloadOptions(), Finished finished = Finished());

    // Joins the threads whose worker has returned; never waits for a running one.
    void ReapFinished();
    // Waits for every thread.
    void JoinAll();
    // Threads started and not yet joined (running or just ended).
    std::size_t Count() const;

private:
    struct Entry;
    using Body = std::function<DownloadResult(CDownloadWorker&)>;
    bool Launch(std::shared_ptr<DownloadUi> ui, DownloadOptions options, Body body,
                Finished finished);

    mutable std::mutex m_lock;
    std::list<std::shared_ptr<Entry>> m_threads;
};
