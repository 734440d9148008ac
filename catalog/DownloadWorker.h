#pragma once

#include "catalog/DownloadUi.h"
#include "offline/TitleRecord.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

enum class DownloadOutcome {
    Completed,  // the file is at the title path and "100%" was written
    Busy,       // another worker was running: nothing touched
    Abandoned,  // the program is quitting: temporary file removed, "0%" written
    Failed,     // internet or file-system error: temporary file removed (kept with its record
                // when resumable), no "100%"
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
    // Body bytes that came over the network in this run, every attempt counted.
    std::uint64_t fetched = 0;
    // Bytes already held when the last attempt asked for the rest; 0 for a whole answer.
    std::uint64_t resumedFrom = 0;
    // The stored bytes matched the digest the server stated.
    bool verified = false;
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
    // The speed (bytes a second) below which lowSpeedTimeSeconds counts.
    long lowSpeedLimitBytes = 1;
    // An interrupted download keeps its temporary file and a record beside it; the next
    // attempt asks only for the rest.
    bool resumable = false;
    // A digest the server states (header, or "<address>.sha256") is checked before the
    // rename; a mismatch is fetched again once from zero, then nothing is stored.
    bool verifyDigest = false;
    // Set from another thread, it ends this download as quitting does (Abandoned).
    std::shared_ptr<const std::atomic<bool>> stop;

    // What the offline library uses: resumable, verified, and a transfer below 2 KB/s for a
    // minute is given up (to be resumed later) rather than left hanging.
    static DownloadOptions OfflineLibrary();
};

// What one download fetches, taken on the user-interface thread when the download starts, so
// later selections cannot change it under a running worker.
struct DownloadRequest {
    std::string url;
    std::string titlePath;
    // A title fetched for later (a class queued for the road) leaves CurrentTitlePath alone:
    // it is what a click plays.
    bool setsCurrentTitle = true;
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

    bool OnRangeAnswer(long status);
    bool OpenForWriting(bool append);

    // Runs the transfer; false when it did not end with every announced byte on disk.
    bool Transfer(const std::string& url);
    // The bytes a resumable attempt may keep: the partial file's size when its record allows
    // asking for the rest, else 0 (and the leftovers are dropped).
    std::uint64_t PrepareResume(const std::string& url);
    // Checks the temporary file against the stated digest; false on a mismatch.
    bool DigestMatches(const std::string& url);
    bool CloseFile();
    void RemoveTemporary();
    void KeepPartial();
    void DropPartial();
    DownloadResult Finish();
    DownloadResult Abandon();
    DownloadResult Fail(DownloadOutcome outcome, const std::string& why);
    bool StopAsked() const;
    bool KeepsRecord() const { return m_options.resumable || m_options.verifyDigest; }

    DownloadUi& m_ui;
    DownloadOptions m_options;
    DownloadResult m_result;
    std::string m_strFinalPath;
    std::string m_strUrl;
    bool m_bSetsCurrentTitle = true;
    std::string m_strTempPath;
    std::FILE* m_file = nullptr;
    std::vector<char> m_writeBuffer;  // m_file's buffer; outlives it
    void* m_curl = nullptr;
    std::string m_strRecordPath;
    std::int64_t m_nHeaderLength = -1;
    bool m_bResponseStarted = false;
    bool m_bQuitting = false;
    std::string m_strFailure;

    // The answer's own headers (reset by each status line).
    std::string m_strContentRange;
    std::string m_strEtag;
    std::string m_strLastModified;
    std::string m_strDigest;
    // Held bytes this attempt asked to keep, and the record they belong to.
    std::uint64_t m_nFrom = 0;
    zorbel::offline::TitleRecord m_record;
    // The attempt ended in a way that calls for dropping the held bytes and asking afresh.
    bool m_bDiscard = false;
    // A 416 confirmed that every byte is held already.
    bool m_bHeldWhole = false;
};
