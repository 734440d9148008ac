#pragma once

#include <functional>
#include <memory>

#include "catalog/DownloadWorker.h"
#include "catalog/WindowDownloadUi.h"

class wxWindow;

// Starting and ending download workers from the user-interface thread.
//
// Item activation, after setting DownloadUrl and CurrentTitlePath and showing the progress
// bar, calls StartDownloadWorker with the main window; the worker reports to that window's
// status edit (1028) and progress bar (1027). Both values are copied here, and DownloadBusy
// is set here, before the thread exists; the worker clears it when it ends. False when
// another download is running (DownloadBusy already set) or no thread could be created:
// nothing runs, DownloadBusy is as it was, and the caller hides the progress bar again.
//
// failed, when given, runs on the user-interface thread after a download that failed (not
// after one abandoned at exit, nor once AppExiting is set): the place to tell the user.
using DownloadFailed = std::function<void(const DownloadResult& result)>;
bool StartDownloadWorker(
    wxWindow* owner, DownloadOptions options = DownloadOptions(),
    CWindowDownloadUi::ProgressDelivery delivery = CWindowDownloadUi::ProgressDelivery::Coalesced,
    DownloadFailed failed = DownloadFailed());

// A download for later (the offline library's class queue): claims DownloadBusy like a click
// does, so it is the one download running, and reports only to ui. False when another
// download runs or no thread could be created. finished runs on the worker thread.
bool StartQueuedDownload(std::shared_ptr<DownloadUi> ui, DownloadRequest request,
                         DownloadOptions options,
                         std::function<void(const DownloadResult&)> finished);

// At exit, on the user-interface thread, once the main window's exit path has run: sets
// AppExiting, releases every worker waiting on the user-interface thread, and joins the
// workers, which delete their temporary files and end within a fraction of a second (a
// stalled server included). Call it before the toolkit is cleaned up (the application's
// OnExit). A later StartDownloadWorker works again once AppExiting is cleared.
void StopDownloadWorkers();

// Workers started and not yet joined.
std::size_t DownloadWorkerCount();
