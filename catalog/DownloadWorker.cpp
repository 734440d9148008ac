#include "catalog/DownloadWorker.h"

#include "app/CatalogFiles.h"
#include "catalog/DownloadState.h"
#include "catalog/HttpHeaderLine.h"
#include "catalog/SidecarDigest.h"
#include "offline/DigestHeader.h"
#include "offline/RangeAnswer.h"
#include "offline/Sha256.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;
using zorbel::offline::RangeAnswer;
using zorbel::offline::TitleRecord;

namespace {

constexpr const char* kUserAgent = "Zorbel";
// libcurl hands over up to this much per call; the worker still writes it 512 bytes at a time.
constexpr long kReceiveBuffer = 128 * 1024;
constexpr long kMaxRedirects = 5;
// What the title file's stream gathers before it writes: as much as libcurl hands over at once.
constexpr std::size_t kWriteBuffer = kReceiveBuffer;
// A resumable download asks afresh at most this often in one run (a range answer that does not
// fit, then a digest mismatch).
constexpr int kMaxAttempts = 3;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool Quitting() {
    return AppExiting.load() != 0;
}

// Only a file named "<something>.swf" is a title file; a ".." step could leave the cache folder.
bool IsTitleFilePath(const std::string& path) {
    const std::string ext = ".swf";
    if (path.size() <= ext.size() || path.compare(path.size() - ext.size(), ext.size(), ext) != 0)
        return false;
    if (path.find('\0') != std::string::npos) return false;
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() <= ext.size()) return false;
    for (const auto& part : fs::path(path)) {
        if (part == "..") return false;
    }
    return true;
}

}  // namespace

DownloadOptions DownloadOptions::OfflineLibrary() {
    DownloadOptions options;
    options.resumable = true;
    options.verifyDigest = true;
    options.lowSpeedLimitBytes = 2048;
    options.lowSpeedTimeSeconds = 60;
    return options;
}

CDownloadWorker::CDownloadWorker(DownloadUi& ui, DownloadOptions options)
    : m_ui(ui), m_options(std::move(options)) {}

bool CDownloadWorker::StopAsked() const {
    return Quitting() || (m_options.stop && m_options.stop->load());
}

CDownloadWorker::~CDownloadWorker() {
    if (m_file) std::fclose(m_file);
}

DownloadResult CDownloadWorker::Run() {
    int idle = 0;
    if (!DownloadBusy.compare_exchange_strong(idle, 1)) {
        DownloadResult busy;
        busy.outcome = DownloadOutcome::Busy;
        return busy;
    }
    return RunClaimed(DownloadRequest{GetDownloadUrl(), GetCurrentTitlePath()});
}

DownloadResult CDownloadWorker::RunClaimed(const DownloadRequest& request) {
    // Nothing waits on "0%": the request goes out while the window is still busy with the
    // click that started the download.
    m_ui.PostStatusText("0%");

    m_strFinalPath = request.titlePath;
    m_bSetsCurrentTitle = request.setsCurrentTitle;
    m_strUrl = request.url;
    const std::string& url = request.url;
    if (!IsTitleFilePath(m_strFinalPath))
        return Fail(DownloadOutcome::Refused, "not a title file path: " + m_strFinalPath);
    m_strTempPath = zorbel::files::TemporaryPath(m_strFinalPath);
    if (KeepsRecord()) m_strRecordPath = TitleRecord::PathFor(m_strFinalPath);

    bool digestRetried = false;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        m_nFrom = m_options.resumable ? PrepareResume(url) : 0;
        const bool complete = Transfer(url);
        if (m_bQuitting || StopAsked()) return Abandon();
        if (!complete) {
            if (!m_bDiscard) return Fail(DownloadOutcome::Failed, m_strFailure);
            DropPartial();
            continue;
        }
        if (!m_options.verifyDigest) return Finish();
        // The digest is of what is on disk, so everything written must be there first.
        if (!CloseFile()) {
            DropPartial();
            return Fail(DownloadOutcome::Failed, "cannot write " + m_strTempPath);
        }
        if (DigestMatches(url)) return Finish();
        // Bytes that are not the server's are never stored; one fresh try from zero.
        DropPartial();
        if (digestRetried) break;
        digestRetried = true;
    }
    if (m_strFailure.empty()) m_strFailure = "the stored bytes do not match the server's digest";
    DropPartial();
    return Fail(DownloadOutcome::Failed, m_strFailure);
}

std::uint64_t CDownloadWorker::PrepareResume(const std::string& url) {
    m_record = TitleRecord();
    TitleRecord held;
    std::error_code ec;
    const auto size = fs::file_size(m_strTempPath, ec);
    if (!ec && size > 0 && TitleRecord::Load(m_strRecordPath, held) && !held.complete &&
        held.length > 0 && size <= static_cast<std::uintmax_t>(held.length) &&
        !held.ResumeValidator().empty()) {
        m_record = held;
        m_record.url = url;
        return static_cast<std::uint64_t>(size);
    }
    // Leftovers nobody can vouch for are not joined to anything.
    RemoveTemporary();
    return 0;
}

bool CDownloadWorker::DigestMatches(const std::string& url) {
    std::string expected = m_record.sha256;
    if (expected.empty()) {
        expected =
            zorbel::catalog::FetchSidecarDigest(url + ".sha256", m_options.connectTimeoutSeconds);
        m_record.sha256 = expected;
    }
    // A server that states no digest leaves the title unverified, as before.
    if (expected.empty()) return true;
    std::string actual;
    if (!zorbel::offline::Sha256::OfFile(m_strTempPath, actual)) {
        m_strFailure = "cannot read " + m_strTempPath;
        return false;
    }
    if (actual != expected) {
        m_strFailure = "the stored bytes do not match the server's digest";
        return false;
    }
    m_result.verified = true;
    return true;
}

bool CDownloadWorker::Transfer(const std::string& url) {
    InitCurlOnce();
    m_nHeaderLength = -1;
    m_bResponseStarted = false;
    m_bDiscard = false;
    m_bHeldWhole = false;
    m_strFailure.clear();
    m_result.received = 0;
    m_result.reportedLength = -1;
    m_result.resumedFrom = 0;
    CURL* curl = curl_easy_init();
    CURLM* multi = curl_multi_init();
    if (!curl || !multi) {
        if (curl) curl_easy_cleanup(curl);
        if (multi) curl_multi_cleanup(multi);
        m_strFailure = "cannot start an internet session";
        return false;
    }
    m_curl = curl;
    char errorText[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_options.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, std::max(1L, m_options.lowSpeedLimitBytes));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_options.lowSpeedTimeSeconds);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CDownloadWorker::HeaderThunk);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CDownloadWorker::BodyThunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CDownloadWorker::ProgressThunk);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    struct curl_slist* headers = nullptr;
    if (m_nFrom > 0) {
        const std::string range = std::to_string(m_nFrom) + "-";
        curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
        headers = curl_slist_append(headers, ("If-Range: " + m_record.ResumeValidator()).c_str());
    }
    if (m_options.verifyDigest) headers = curl_slist_append(headers, "Want-Repr-Digest: sha-256=9");
    if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_multi_add_handle(multi, curl);

    CURLcode code = CURLE_OK;
    bool ended = false;
    const int pollMs = static_cast<int>(std::max<long long>(1, m_options.exitPollInterval.count()));
    while (!ended) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                code = msg->data.result;
                ended = true;
            }
        }
        if (ended || m_bQuitting) break;
        // A stalled server sends nothing, so no body callback would ever see AppExiting.
        if (StopAsked()) {
            m_bQuitting = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, pollMs, nullptr);
    }
    curl_multi_remove_handle(multi, curl);
    curl_easy_cleanup(curl);
    curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
    m_curl = nullptr;

    if (m_bQuitting) return false;
    if (m_bHeldWhole) {
        m_result.reportedLength = m_record.length;
        m_result.received = m_nFrom;
        m_result.resumedFrom = m_nFrom;
        return CloseFile();
    }
    if (!m_strFailure.empty()) return false;
    if (!ended) {
        m_strFailure = "the transfer could not be driven";
        return false;
    }
    if (code != CURLE_OK) {
        m_strFailure =
            std::string("internet error: ") + (errorText[0] ? errorText : curl_easy_strerror(code));
        return false;
    }
    if (!m_bResponseStarted) {
        m_strFailure = "no answer besides redirections";
        return false;
    }
    if (m_result.received != static_cast<std::uint64_t>(m_result.reportedLength)) {
        m_strFailure = "the answer ended after " + std::to_string(m_result.received) + " of " +
                       std::to_string(m_result.reportedLength) + " bytes";
        return false;
    }
    return true;
}

std::size_t CDownloadWorker::HeaderThunk(char* data, std::size_t size, std::size_t count,
                                         void* self) {
    return static_cast<CDownloadWorker*>(self)->OnHeaderLine(data, size * count);
}

std::size_t CDownloadWorker::BodyThunk(char* data, std::size_t size, std::size_t count,
                                       void* self) {
    return static_cast<CDownloadWorker*>(self)->OnBody(data, size * count);
}

int CDownloadWorker::ProgressThunk(void* self, std::int64_t, std::int64_t, std::int64_t,
                                   std::int64_t) {
    auto* worker = static_cast<CDownloadWorker*>(self);
    if (worker->StopAsked()) {
        worker->m_bQuitting = true;
        return 1;
    }
    return 0;
}

std::size_t CDownloadWorker::OnHeaderLine(const char* data, std::size_t length) {
    // Trailers of a chunked answer come through here too; the answer is settled by then.
    if (m_bResponseStarted) return length;
    const HttpHeaderLine line = HttpHeaderLine::Parse(data, length);
    switch (line.kind) {
        case HttpHeaderLine::Kind::StatusLine:
            m_nHeaderLength = -1;
            m_strContentRange.clear();
            m_strEtag.clear();
            m_strLastModified.clear();
            m_strDigest.clear();
            return length;
        case HttpHeaderLine::Kind::ContentLength:
            m_nHeaderLength = line.contentLength;
            return length;
        case HttpHeaderLine::Kind::ContentRange:
            m_strContentRange = line.value;
            return length;
        case HttpHeaderLine::Kind::ETag:
            m_strEtag = line.value;
            return length;
        case HttpHeaderLine::Kind::LastModified:
            m_strLastModified = line.value;
            return length;
        case HttpHeaderLine::Kind::ReprDigest:
            // The newer header wins over the older one, whichever comes first.
            if (const std::string hex = zorbel::offline::DigestHeader::FromReprDigest(line.value);
                !hex.empty())
                m_strDigest = "r" + hex;
            return length;
        case HttpHeaderLine::Kind::Digest:
            if (m_strDigest.empty() || m_strDigest[0] != 'r') {
                const std::string hex = zorbel::offline::DigestHeader::FromDigest(line.value);
                if (!hex.empty()) m_strDigest = "d" + hex;
            }
            return length;
        case HttpHeaderLine::Kind::EndOfHeaders:
            break;
        default:
            return length;
    }
    long status = 0;
    curl_easy_getinfo(static_cast<CURL*>(m_curl), CURLINFO_RESPONSE_CODE, &status);
    // Interim answers and redirections are followed by the real answer.
    if ((status >= 100 && status < 200) || (status >= 300 && status < 400 && status != 304))
        return length;
    return OnResponse(status) ? length : 0;
}

bool CDownloadWorker::OnResponse(long status) {
    m_result.httpStatus = status;
    if (m_nFrom > 0 && status != 200) return OnRangeAnswer(status);
    // Only a whole answer is a title: the request asked for no part of it, so a partial (206)
    // or second-hand (203) answer is no more the title than an error page is.
    if (status != 200) {
        m_strFailure = "the server answered with status " + std::to_string(status);
        return false;
    }
    if (m_nHeaderLength < 0) {
        m_strFailure = "the server reported no length";
        return false;
    }
    // A whole answer to a request for the rest: the title changed or the range was ignored,
    // so the held bytes are worth nothing and this answer starts over.
    m_nFrom = 0;
    m_result.reportedLength = m_nHeaderLength;
    if (KeepsRecord()) {
        m_record = TitleRecord();
        m_record.url = m_strUrl;
        m_record.etag = m_strEtag;
        m_record.lastModified = m_strLastModified;
        m_record.length = m_nHeaderLength;
        m_record.sha256 = m_strDigest.empty() ? std::string() : m_strDigest.substr(1);
    }
    if (!OpenForWriting(false)) return false;
    m_bResponseStarted = true;
    m_ui.SetProgressRange(static_cast<std::uint64_t>(m_result.reportedLength));
    return true;
}

bool CDownloadWorker::OnRangeAnswer(long status) {
    switch (
        RangeAnswer::Judge(status, m_strContentRange, m_nHeaderLength, m_nFrom, m_record.length)) {
        case RangeAnswer::Verdict::HeldWhole:
            m_bHeldWhole = true;
            return false;
        case RangeAnswer::Verdict::Discard:
            m_strFailure = "the server sent another part than the one asked for";
            m_bDiscard = true;
            return false;
        case RangeAnswer::Verdict::Error:
        case RangeAnswer::Verdict::StartOver:
            // The held bytes stay for a later attempt; an error page is written nowhere.
            m_strFailure = "the server answered with status " + std::to_string(status);
            return false;
        case RangeAnswer::Verdict::Append:
            break;
    }
    // The rest must come from the same file as the held bytes.
    const std::string validator = m_record.ResumeValidator();
    if ((!m_strEtag.empty() && validator == m_record.etag && m_strEtag != m_record.etag) ||
        (!m_strLastModified.empty() && validator == m_record.lastModified &&
         m_strLastModified != m_record.lastModified)) {
        m_strFailure = "the rest came from another version of the title";
        m_bDiscard = true;
        return false;
    }
    if (!m_strDigest.empty()) m_record.sha256 = m_strDigest.substr(1);
    m_result.reportedLength = m_record.length;
    m_result.received = m_nFrom;
    m_result.resumedFrom = m_nFrom;
    if (!OpenForWriting(true)) return false;
    m_bResponseStarted = true;
    m_ui.SetProgressRange(static_cast<std::uint64_t>(m_result.reportedLength));
    m_ui.SetProgressPos(m_nFrom);
    m_ui.ShowProgress(true);
    return true;
}

bool CDownloadWorker::OpenForWriting(bool append) {
    if (append) {
        // Whatever lies past the held bytes (a write cut by a crash) goes first.
        std::error_code ec;
        fs::resize_file(m_strTempPath, m_nFrom, ec);
        if (ec) {
            m_strFailure = "cannot extend " + m_strTempPath + ": " + ec.message();
            return false;
        }
    }
    m_file = std::fopen(m_strTempPath.c_str(), append ? "ab" : "wb");
    if (!m_file) {
        m_strFailure = "cannot create " + m_strTempPath + ": " + std::strerror(errno);
        return false;
    }
    // The body is written 512 bytes at a time; with the stream's own 4 KiB buffer that was a
    // system call for every eight pieces, 16,384 for a 64 MiB title.
    // (The stream only takes a size together with a buffer of our own.)
    m_writeBuffer.resize(kWriteBuffer);
    std::setvbuf(m_file, m_writeBuffer.data(), _IOFBF, m_writeBuffer.size());
    // The record is in place before the first byte, so a crash leaves a resumable pair.
    if (m_options.resumable && !append) {
        m_record.held = 0;
        TitleRecord::Save(m_strRecordPath, m_record);
    }
    return true;
}

std::size_t CDownloadWorker::OnBody(const char* data, std::size_t length) {
    // The body of a redirection that libcurl follows.
    if (!m_bResponseStarted) return length;
    for (std::size_t offset = 0; offset < length; offset += kChunkSize) {
        if (StopAsked()) {
            m_bQuitting = true;
            return 0;
        }
        const std::size_t piece = std::min(kChunkSize, length - offset);
        if (std::fwrite(data + offset, 1, piece, m_file) != piece) {
            m_strFailure = "cannot write " + m_strTempPath + ": " + std::strerror(errno);
            return 0;
        }
        m_result.received += piece;
        m_result.fetched += piece;
        m_ui.SetProgressPos(m_result.received);
        m_ui.ShowProgress(true);
    }
    return length;
}

bool CDownloadWorker::CloseFile() {
    if (!m_file) return true;
    const bool ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok;
}

void CDownloadWorker::RemoveTemporary() {
    if (m_strTempPath.empty()) return;
    std::error_code ec;
    fs::remove(m_strTempPath, ec);
}

void CDownloadWorker::KeepPartial() {
    CloseFile();
    std::error_code ec;
    const auto size = fs::file_size(m_strTempPath, ec);
    // Nothing worth keeping, or nothing that could be asked for again.
    if (ec || size == 0 || m_record.length <= 0 || m_record.ResumeValidator().empty()) {
        DropPartial();
        return;
    }
    m_record.held = static_cast<std::uint64_t>(size);
    m_record.complete = false;
    TitleRecord::Save(m_strRecordPath, m_record);
}

void CDownloadWorker::DropPartial() {
    CloseFile();
    RemoveTemporary();
    if (!m_strRecordPath.empty()) {
        std::error_code ec;
        fs::remove(m_strRecordPath, ec);
    }
}

DownloadResult CDownloadWorker::Finish() {
    if (!CloseFile()) {
        DropPartial();
        return Fail(DownloadOutcome::Failed, "cannot write " + m_strTempPath);
    }
    if (m_result.reportedLength / 1024 < kSubstituteBelowKiB) {
        const std::string substitute = m_options.substitutePath.empty()
                                           ? zorbel::files::SubstitutePath()
                                           : m_options.substitutePath;
        std::error_code ec;
        // A copy that fails half way (a full disk) leaves a cut movie behind: that is a
        // failed download, not a title.
        if (!fs::copy_file(substitute, m_strTempPath, fs::copy_options::overwrite_existing, ec)) {
            DropPartial();
            return Fail(DownloadOutcome::Failed, "cannot copy the substitute title: " +
                                                     (ec ? ec.message() : std::string("refused")));
        }
        m_result.substituted = true;
    }
    m_ui.ShowProgress(false);
    m_ui.SetProgressPos(0);
    std::error_code ec;
    fs::rename(m_strTempPath, m_strFinalPath, ec);
    if (ec) {
        DropPartial();
        m_result.outcome = DownloadOutcome::Failed;
        m_result.detail = "cannot rename " + m_strTempPath + ": " + ec.message();
        DownloadBusy.store(0);
        return m_result;
    }
    if (KeepsRecord()) {
        m_record.held = static_cast<std::uint64_t>(m_result.reportedLength);
        m_record.complete = true;
        m_record.verified = m_result.verified && !m_result.substituted;
        if (m_result.substituted) m_record.sha256.clear();
        m_record.storedAt = static_cast<std::int64_t>(std::time(nullptr));
        TitleRecord::Save(m_strRecordPath, m_record);
    }
    if (m_bSetsCurrentTitle) SetCurrentTitlePath(m_strFinalPath);
    // The play step runs inside this call, while the download still counts as running.
    m_ui.SetStatusText("100%");
    m_result.outcome = DownloadOutcome::Completed;
    DownloadBusy.store(0);
    return m_result;
}

DownloadResult CDownloadWorker::Abandon() {
    if (m_options.resumable)
        KeepPartial();
    else
        DropPartial();
    m_result.outcome = DownloadOutcome::Abandoned;
    DownloadBusy.store(0);
    m_ui.SetStatusText("0%");
    m_ui.ShowProgress(false);
    m_ui.SetProgressPos(0);
    return m_result;
}

DownloadResult CDownloadWorker::Fail(DownloadOutcome outcome, const std::string& why) {
    // A refused path names no file of ours.
    if (outcome == DownloadOutcome::Refused) {
        CloseFile();
    } else if (m_options.resumable) {
        KeepPartial();
    } else {
        DropPartial();
    }
    m_ui.ShowProgress(false);
    m_ui.SetProgressPos(0);
    m_result.outcome = outcome;
    m_result.detail = why;
    DownloadBusy.store(0);
    return m_result;
}
