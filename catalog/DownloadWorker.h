#pragma once

#include "catalog/DownloadUi.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class DownloadOutcome {
    Completed,  // the file is at the title path and "100%" was written
    Busy,       // another worker was running: nothing touched
    Abandoned,  // the program is quitting: temporary file removed, "0%" written
    Failed,     // internet or file-system error: temporary file removed, no "100%"
    Refused,    // the title path does not name a title file: nothing written
};

struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    // Why a download failed or was refused, in words; empty otherwise.
    std::string detail;
    // The length the server announced, -1 when no answer came.
    std::int64_t reportedLength = -1;
    std::uint64_t received = 0;
    // The substitute title file was copied over the download (announced length below 5 KiB).
    bool substituted = false;
    // The status of the server's final answer; 0 when none came.
    long httpStatus = 0;
};

struct DownloadOptions {
    // The substitute title file; empty means "Velaone.dll" in CurrentUserId's data folder.
    std::string substitutePath;
    long connectTimeoutSeconds = 20;
    // A transfer that moves less than one byte a second for this long is an internet error,
    // so a dead connection cannot keep a download (and DownloadBusy) alive for ever.
    long lowSpeedTimeSeconds = 30;
    // How often a transfer that receives nothing looks at AppExiting.
    std::chrono::milliseconds exitPollInterval{50};
};

// What one download fetches, taken on the user-interface thread when the download starts, so
// later selections cannot change it under a running worker.
struct DownloadRequest {
    std::string url;
    std::string titlePath;
};

// The download worker: fetches DownloadUrl into CurrentTitlePath through a temporary file,
// reporting to the user interface only through DownloadUi. Run it on a thread of its own; it
// never touches a window.
class CDownloadWorker {
public:
    static constexpr std::size_t kChunkSize = 512;
    // Announced lengths below this many KiB are replaced by the substitute title file.
    static constexpr std::int64_t kSubstituteBelowKiB = 5;

    explicit CDownloadWorker(DownloadUi& ui, DownloadOptions options = DownloadOptions());
    virtual ~CDownloadWorker();
    CDownloadWorker(const CDownloadWorker&) = delete;
    CDownloadWorker& operator=(const CDownloadWorker&) = delete;

    // One download from start to end: takes DownloadBusy, then DownloadUrl and
    // CurrentTitlePath as they are at that moment; returns when DownloadBusy has been cleared
    // (or, for Busy, was never taken).
    DownloadResult Run();

    // One download for a caller that has already set DownloadBusy from 0 to 1 on this
    // download's behalf; the claim is released on every way out (never Busy).
    DownloadResult RunClaimed(const DownloadRequest& request);

private:
    static std::size_t HeaderThunk(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t BodyThunk(char* data, std::size_t size, std::size_t count, void* self);
    static int ProgressThunk(void* self, std::int64_t, std::int64_t, std::int64_t, std::int64_t);

    std::size_t OnHeaderLine(const char* data, std::size_t length);
    bool OnResponse(long status);
    std::size_t OnBody(const char* data, std::size_t length);

    // Runs the transfer; false when it did not end with every announced byte on disk.
    bool Transfer(const std::string& url);
    bool CloseFile();
    void RemoveTemporary();
    DownloadResult Finish();
    DownloadResult Abandon();
    DownloadResult Fail(DownloadOutcome outcome, const std::string& why);

    DownloadUi& m_ui;
    DownloadOptions m_options;
    DownloadResult m_result;
    std::string m_strFinalPath;
    std::string m_strTempPath;
    std::FILE* m_file = nullptr;
    std::vector<char> m_writeBuffer;  // m_file's buffer; outlives it
    void* m_curl = nullptr;
    std::int64_t m_nHeaderLength = -1;
    bool m_bResponseStarted = false;
    bool m_bQuitting = false;
    std::string m_strFailure;
};
