#include "catalog/DownloadWorker.h"

#include "app/CatalogFiles.h"
#include "catalog/DownloadState.h"
#include "catalog/HttpHeaderLine.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kUserAgent = "Zorbel";
// libcurl hands over up to this much per call; the worker still writes it 512 bytes at a time.
constexpr long kReceiveBuffer = 128 * 1024;
constexpr long kMaxRedirects = 5;
// What the title file's stream gathers before it writes: as much as libcurl hands over at once.
constexpr std::size_t kWriteBuffer = kReceiveBuffer;

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

CDownloadWorker::CDownloadWorker(DownloadUi& ui, DownloadOptions options)
    : m_ui(ui), m_options(std::move(options)) {}

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
    const std::string& url = request.url;
    if (!IsTitleFilePath(m_strFinalPath))
        return Fail(DownloadOutcome::Refused, "not a title file path: " + m_strFinalPath);
    m_strTempPath = zorbel::files::TemporaryPath(m_strFinalPath);

    const bool complete = Transfer(url);
    if (m_bQuitting || Quitting()) return Abandon();
    if (!complete) return Fail(DownloadOutcome::Failed, m_strFailure);
    return Finish();
}

bool CDownloadWorker::Transfer(const std::string& url) {
    InitCurlOnce();
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
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_options.lowSpeedTimeSeconds);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &CDownloadWorker::HeaderThunk);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CDownloadWorker::BodyThunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CDownloadWorker::ProgressThunk);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
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
        if (Quitting()) {
            m_bQuitting = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, pollMs, nullptr);
    }
    curl_multi_remove_handle(multi, curl);
    curl_easy_cleanup(curl);
    curl_multi_cleanup(multi);
    m_curl = nullptr;

    if (m_bQuitting || !m_strFailure.empty()) return false;
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
    if (Quitting()) {
        worker->m_bQuitting = true;
        return 1;
    }
    return 0;
}

std::size_t CDownloadWorker::OnHeaderLine(const char* data, std::size_t length) {
    // Trailers of a chunked answer come through here too; the answer is settled by then.
    if (m_bResponseStarted) return length;
    const HttpHeaderLine line = HttpHeaderLine::Parse(data, length);
    if (line.kind == HttpHeaderLine::Kind::StatusLine) {
        m_nHeaderLength = -1;
        return length;
    }
    if (line.kind == HttpHeaderLine::Kind::ContentLength) {
        m_nHeaderLength = line.contentLength;
        return length;
    }
    if (line.kind != HttpHeaderLine::Kind::EndOfHeaders) return length;
    long status = 0;
    curl_easy_getinfo(static_cast<CURL*>(m_curl), CURLINFO_RESPONSE_CODE, &status);
    // Interim answers and redirections are followed by the real answer.
    if ((status >= 100 && status < 200) || (status >= 300 && status < 400 && status != 304))
        return length;
    return OnResponse(status) ? length : 0;
}

bool CDownloadWorker::OnResponse(long status) {
    m_result.httpStatus = status;
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
    m_result.reportedLength = m_nHeaderLength;
    m_file = std::fopen(m_strTempPath.c_str(), "wb");
    if (!m_file) {
        m_strFailure = "cannot create " + m_strTempPath + ": " + std::strerror(errno);
        return false;
    }
    // The body is written 512 bytes at a time; with the stream's own 4 KiB buffer that was a
    // system call for every eight pieces, 16,384 for a 64 MiB title.
    // (The stream only takes a size together with a buffer of our own.)
    m_writeBuffer.resize(kWriteBuffer);
    std::setvbuf(m_file, m_writeBuffer.data(), _IOFBF, m_writeBuffer.size());
    m_bResponseStarted = true;
    m_ui.SetProgressRange(static_cast<std::uint64_t>(m_result.reportedLength));
    return true;
}

std::size_t CDownloadWorker::OnBody(const char* data, std::size_t length) {
    // The body of a redirection that libcurl follows.
    if (!m_bResponseStarted) return length;
    for (std::size_t offset = 0; offset < length; offset += kChunkSize) {
        if (Quitting()) {
            m_bQuitting = true;
            return 0;
        }
        const std::size_t piece = std::min(kChunkSize, length - offset);
        if (std::fwrite(data + offset, 1, piece, m_file) != piece) {
            m_strFailure = "cannot write " + m_strTempPath + ": " + std::strerror(errno);
            return 0;
        }
        m_result.received += piece;
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

DownloadResult CDownloadWorker::Finish() {
    if (!CloseFile()) return Fail(DownloadOutcome::Failed, "cannot write " + m_strTempPath);
    if (m_result.reportedLength / 1024 < kSubstituteBelowKiB) {
        const std::string substitute = m_options.substitutePath.empty()
                                           ? zorbel::files::SubstitutePath()
                                           : m_options.substitutePath;
        std::error_code ec;
        // A copy that fails half way (a full disk) leaves a cut movie behind: that is a
        // failed download, not a title.
        if (!fs::copy_file(substitute, m_strTempPath, fs::copy_options::overwrite_existing, ec))
            return Fail(DownloadOutcome::Failed, "cannot copy the substitute title: " +
                                                     (ec ? ec.message() : std::string("refused")));
        m_result.substituted = true;
    }
    m_ui.ShowProgress(false);
    m_ui.SetProgressPos(0);
    std::error_code ec;
    fs::rename(m_strTempPath, m_strFinalPath, ec);
    if (ec) {
        RemoveTemporary();
        m_result.outcome = DownloadOutcome::Failed;
        m_result.detail = "cannot rename " + m_strTempPath + ": " + ec.message();
        DownloadBusy.store(0);
        return m_result;
    }
    SetCurrentTitlePath(m_strFinalPath);
    // The play step runs inside this call, while the download still counts as running.
    m_ui.SetStatusText("100%");
    m_result.outcome = DownloadOutcome::Completed;
    DownloadBusy.store(0);
    return m_result;
}

DownloadResult CDownloadWorker::Abandon() {
    CloseFile();
    RemoveTemporary();
    m_result.outcome = DownloadOutcome::Abandoned;
    DownloadBusy.store(0);
    m_ui.SetStatusText("0%");
    m_ui.ShowProgress(false);
    m_ui.SetProgressPos(0);
    return m_result;
}

DownloadResult CDownloadWorker::Fail(DownloadOutcome outcome, const std::string& why) {
    CloseFile();
    RemoveTemporary();
    m_ui.ShowProgress(false);
    m_ui.SetProgressPos(0);
    m_result.outcome = outcome;
    m_result.detail = why;
    DownloadBusy.store(0);
    return m_result;
}
