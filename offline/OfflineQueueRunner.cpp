#include "offline/OfflineQueueRunner.h"

#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "catalog/TitleDownload.h"
#include "offline/OfflineShelf.h"

#include <wx/app.h>

#include <algorithm>

namespace {

constexpr int kTimerId = 1;
// A download of the user's own runs: look again soon.
constexpr int kBusyRetryMs = 2000;
// After failures, wait longer each time (the network may be gone for a while), up to this.
constexpr int kMaxRetryMs = 30000;

}  // namespace

COfflineQueueRunner& COfflineQueueRunner::Get() {
    static auto* runner = new COfflineQueueRunner;
    return *runner;
}

COfflineQueueRunner::COfflineQueueRunner() : m_timer(this, kTimerId) {
    Bind(wxEVT_TIMER, &COfflineQueueRunner::OnTimer, this, kTimerId);
}

std::string COfflineQueueRunner::QueuePath(const std::string& cacheFolder) {
    return cacheFolder + "/.class-queue";
}

void COfflineQueueRunner::Configure(const std::string& cacheFolder,
                                    const std::string& contentServer) {
    m_contentServer = contentServer;
    // Opening the library window while a class is on its way keeps that queue going.
    if (m_queue && cacheFolder == m_cacheFolder) return;
    if (m_bRunning) Cancel();
    m_cacheFolder = cacheFolder;
    m_queue = std::make_unique<zorbel::offline::ClassQueue>(QueuePath(cacheFolder));
}

bool COfflineQueueRunner::StartClass(const std::string& className,
                                     const std::vector<std::string>& titles) {
    if (!m_queue || m_bRunning) return false;
    const zorbel::offline::OfflineShelf shelf(m_cacheFolder);
    const auto cached = shelf.CachedNames();
    std::vector<std::string> missing;
    for (const std::string& title : titles) {
        if (!cached.count(title) &&
            std::find(missing.begin(), missing.end(), title) == missing.end())
            missing.push_back(title);
    }
    if (missing.empty()) return false;
    m_queue->Start(className, std::move(missing));
    m_queue->Save();
    m_bRunning = true;
    m_failures = m_failuresInRow = 0;
    Later(1);
    return true;
}

void COfflineQueueRunner::ResumeSaved() {
    if (!m_queue || m_bRunning || !m_queue->Load()) return;
    m_bRunning = true;
    Later(1);
}

void COfflineQueueRunner::Cancel() {
    if (m_queue) m_queue->Cancel();
    m_bRunning = false;
    m_timer.Stop();
    if (m_stop) m_stop->store(true);
}

COfflineQueueRunner::Progress COfflineQueueRunner::Snapshot() const {
    Progress progress;
    progress.running = m_bRunning;
    if (!m_queue) return progress;
    progress.className = m_queue->ClassName();
    progress.done = m_queue->Done();
    progress.total = m_queue->Total();
    if (!m_queue->Empty()) progress.current = m_queue->Front();
    if (m_bFetching && m_ui) {
        progress.currentPos = m_ui->Pos();
        progress.currentRange = m_ui->Range();
    }
    progress.failures = m_failures;
    return progress;
}

void COfflineQueueRunner::Later(int milliseconds) {
    m_timer.StartOnce(std::max(1, milliseconds));
}

void COfflineQueueRunner::OnTimer(wxTimerEvent&) {
    StartNext();
}

void COfflineQueueRunner::StartNext() {
    if (!m_bRunning || m_bFetching || !m_queue || AppExiting.load() != 0) return;
    const zorbel::offline::OfflineShelf shelf(m_cacheFolder);
    // Titles stored meanwhile (a click on one of them) need nothing more.
    while (!m_queue->Empty() && shelf.IsCached(m_queue->Front())) m_queue->PopFront();
    if (m_queue->Empty()) {
        m_queue->Save();
        m_bRunning = false;
        return;
    }
    const std::string name = m_queue->Front();
    const TitleDownload download = TitleDownload::Prepare(m_cacheFolder, name, m_contentServer);
    if (!download.ok) {
        m_queue->PopFront();
        m_queue->Save();
        Later(1);
        return;
    }
    m_ui = std::make_shared<ProgressOnlyDownloadUi>();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    DownloadOptions options = DownloadOptions::OfflineLibrary();
    options.stop = m_stop;
    m_bFetching = true;
    const bool started = StartQueuedDownload(
        m_ui, DownloadRequest{download.url, download.titlePath}, options,
        [](const DownloadResult& result) {
            if (AppExiting.load() != 0 || !wxTheApp) return;
            wxTheApp->CallAfter([result] { COfflineQueueRunner::Get().OnTitleDone(result); });
        });
    if (!started) {
        m_bFetching = false;
        Later(kBusyRetryMs);
    }
}

void COfflineQueueRunner::OnTitleDone(const DownloadResult& result) {
    m_bFetching = false;
    if (!m_bRunning || !m_queue || m_queue->Empty()) return;
    const bool missing = result.httpStatus == 404 || result.httpStatus == 410;
    if (result.outcome == DownloadOutcome::Completed ||
        result.outcome == DownloadOutcome::Refused || missing) {
        m_queue->PopFront();
        m_failuresInRow = 0;
        m_queue->Save();
        Later(1);
        return;
    }
    ++m_failures;
    ++m_failuresInRow;
    m_queue->Postpone();
    m_queue->Save();
    Later(static_cast<int>(std::min<std::size_t>(kMaxRetryMs, 1000 * m_failuresInRow)));
}
