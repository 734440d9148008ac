#include "catalog/DownloadState.h"

#include <mutex>

std::atomic<int> DownloadBusy{0};
std::atomic<int> AppExiting{0};

namespace {

std::mutex& TextLock() {
    static std::mutex lock;
    return lock;
}

std::string& DownloadUrlText() {
    static std::string text;
    return text;
}

std::string& CurrentTitlePathText() {
    static std::string text;
    return text;
}

}  // namespace

std::string GetDownloadUrl() {
    std::lock_guard<std::mutex> guard(TextLock());
    return DownloadUrlText();
}

void SetDownloadUrl(const std::string& url) {
    std::lock_guard<std::mutex> guard(TextLock());
    DownloadUrlText() = url;
}

std::string GetCurrentTitlePath() {
    std::lock_guard<std::mutex> guard(TextLock());
    return CurrentTitlePathText();
}

void SetCurrentTitlePath(const std::string& path) {
    std::lock_guard<std::mutex> guard(TextLock());
    CurrentTitlePathText() = path;
}
