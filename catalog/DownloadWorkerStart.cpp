#include "catalog/DownloadWorkerStart.h"

#include "catalog/DownloadState.h"
#include "catalog/DownloadThreads.h"

#include <wx/app.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Never destroyed: a thread object must not be destroyed while joinable, and a static
// destructor would run after the toolkit is gone. StopDownloadWorkers joins them.
CDownloadThreads& Threads() {
    static CDownloadThreads* threads = new CDownloadThreads;
    return *threads;
}

// Bridges of the workers started so far. The last coalescing one is reused while it serves
// the same window (each bridge watches its window's destruction once). User-interface
// thread only.
struct Bridges {
    std::shared_ptr<CWindowDownloadUi> reusable;
    std::vector<std::weak_ptr<CWindowDownloadUi>> all;
};

Bridges& StartedBridges() {
    static auto* bridges = new Bridges;
    return *bridges;
}

}  // namespace

bool StartDownloadWorker(wxWindow* owner, DownloadOptions options,
                         CWindowDownloadUi::ProgressDelivery delivery, DownloadFailed failed) {
    // Claimed here rather than on the worker thread: a selection made before the worker got
    // going would otherwise find the flag clear and overwrite the values this download uses.
    int idle = 0;
    if (!DownloadBusy.compare_exchange_strong(idle, 1)) return false;
    DownloadRequest request{GetDownloadUrl(), GetCurrentTitlePath()};

    Bridges& bridges = StartedBridges();
    const bool coalesced = delivery == CWindowDownloadUi::ProgressDelivery::Coalesced;
    std::shared_ptr<CWindowDownloadUi> bridge;
    if (coalesced && bridges.reusable && bridges.reusable->Serves(owner)) {
        bridge = bridges.reusable;
    } else {
        bridge = std::make_shared<CWindowDownloadUi>(owner, delivery);
        if (coalesced) bridges.reusable = bridge;
        bridges.all.erase(std::remove_if(bridges.all.begin(), bridges.all.end(),
                                         [](const auto& weak) { return weak.expired(); }),
                          bridges.all.end());
        bridges.all.push_back(bridge);
    }
    CDownloadThreads::Finished finished;
    if (failed) {
        // Runs on the worker thread; the notice itself waits for the user-interface thread,
        // which never waits for it.
        finished = [failed](const DownloadResult& result) {
            if (result.outcome != DownloadOutcome::Failed || AppExiting.load() != 0) return;
            if (wxTheApp)
                wxTheApp->CallAfter([failed, result] {
                    if (AppExiting.load() == 0) failed(result);
                });
        };
    }
    if (!Threads().StartClaimed(bridge, std::move(request), std::move(options),
                                std::move(finished))) {
        DownloadBusy.store(0);
        return false;
    }
    return true;
}

bool StartQueuedDownload(std::shared_ptr<DownloadUi> ui, DownloadRequest request,
                         DownloadOptions options,
                         std::function<void(const DownloadResult&)> finished) {
    if (AppExiting.load() != 0) return false;
    int idle = 0;
    if (!DownloadBusy.compare_exchange_strong(idle, 1)) return false;
    request.setsCurrentTitle = false;
    if (!Threads().StartClaimed(std::move(ui), std::move(request), std::move(options),
                                std::move(finished))) {
        DownloadBusy.store(0);
        return false;
    }
    return true;
}

void StopDownloadWorkers() {
    AppExiting = 1;
    Bridges& bridges = StartedBridges();
    for (const auto& weak : bridges.all) {
        if (auto bridge = weak.lock()) bridge->Close();
    }
    bridges.all.clear();
    bridges.reusable.reset();
    Threads().JoinAll();
}

std::size_t DownloadWorkerCount() {
    Threads().ReapFinished();
    return Threads().Count();
}
