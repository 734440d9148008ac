#include "catalog/DownloadThreads.h"

#include <atomic>
#include <system_error>

struct CDownloadThreads::Entry {
    std::thread thread;
    std::atomic<bool> done{false};
};

CDownloadThreads::CDownloadThreads() = default;

CDownloadThreads::~CDownloadThreads() {
    JoinAll();
}

bool CDownloadThreads::Start(std::shared_ptr<DownloadUi> ui, DownloadOptions options,
                             Finished finished) {
    return Launch(
        std::move(ui), std::move(options), [](CDownloadWorker& worker) { return worker.Run(); },
        std::move(finished));
}

bool CDownloadThreads::StartClaimed(std::shared_ptr<DownloadUi> ui, DownloadRequest request,
                                    DownloadOptions options, Finished finished) {
    return Launch(
        std::move(ui), std::move(options),
        [request = std::move(request)](CDownloadWorker& worker) {
            return worker.RunClaimed(request);
        },
        std::move(finished));
}

bool CDownloadThreads::Launch(std::shared_ptr<DownloadUi> ui, DownloadOptions options, Body body,
                              Finished finished) {
    ReapFinished();
    auto entry = std::make_shared<Entry>();
    // The entry is in the list before the thread can finish, so ReapFinished always finds it.
    std::lock_guard<std::mutex> guard(m_lock);
    m_threads.push_back(entry);
    Entry* raw = entry.get();
    try {
        entry->thread =
            std::thread([raw, ui = std::move(ui), options = std::move(options),
                         body = std::move(body), finished = std::move(finished)]() mutable {
                DownloadResult result;
                {
                    CDownloadWorker worker(*ui, std::move(options));
                    result = body(worker);
                }
                ui.reset();
                if (finished) finished(result);
                raw->done.store(true);
            });
    } catch (const std::system_error&) {
        m_threads.pop_back();
        return false;
    }
    return true;
}

void CDownloadThreads::ReapFinished() {
    std::list<std::shared_ptr<Entry>> ended;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto it = m_threads.begin(); it != m_threads.end();) {
            if ((*it)->done.load()) {
                ended.push_back(*it);
                it = m_threads.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& entry : ended) entry->thread.join();
}

void CDownloadThreads::JoinAll() {
    std::list<std::shared_ptr<Entry>> all;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        all.swap(m_threads);
    }
    for (auto& entry : all) {
        if (entry->thread.joinable()) entry->thread.join();
    }
}

std::size_t CDownloadThreads::Count() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_threads.size();
}
