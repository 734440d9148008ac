#pragma once

#include <atomic>
#include <string>

// Values shared by the user-interface thread and the download worker.

// 1 while a download worker runs. Claimed with a compare-exchange on the UI thread when a
// worker is started and cleared by the worker, so two starts in quick succession cannot both
// run.
extern std::atomic<int> DownloadBusy;

// 1 once the program is quitting; a running download gives up and deletes its temporary file.
extern std::atomic<int> AppExiting;

// The address of the title being downloaded; written by item activation before a worker starts.
std::string GetDownloadUrl();
void SetDownloadUrl(const std::string& url);

// The cache path of the title being downloaded or played ("<cache folder>/<title>.swf").
std::string GetCurrentTitlePath();
void SetCurrentTitlePath(const std::string& path);
