#include "platform/VelaspiderApp.h"

#include <curl/curl.h>

#include <mutex>

namespace {

std::mutex g_defaultsLock;
CVelaspiderApp::Options g_defaults;

bool GlobalInit() {
    // curl_global_init is not thread-safe itself; run it once for the whole process.
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

struct Sink {
    std::string data;
    std::size_t limit = 0;
    bool overflow = false;
};

size_t OnData(char* ptr, size_t size, size_t count, void* user) {
    Sink* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (n > sink->limit - sink->data.size()) {
        sink->overflow = true;
        return 0;  // makes curl abort the transfer
    }
    sink->data.append(ptr, n);
    return n;
}

}  // namespace

CVelaspiderApp::CVelaspiderApp() : m_options(DefaultOptions()) {}

CVelaspiderApp::CVelaspiderApp(const Options& options) : m_options(options) {}

CVelaspiderApp::~CVelaspiderApp() = default;

void CVelaspiderApp::SetDefaultOptions(const Options& options) {
    std::lock_guard<std::mutex> lock(g_defaultsLock);
    g_defaults = options;
}

CVelaspiderApp::Options CVelaspiderApp::DefaultOptions() {
    std::lock_guard<std::mutex> lock(g_defaultsLock);
    return g_defaults;
}

std::string CVelaspiderApp::FetchPage(const std::string& url) {
    if (url.empty() || url.find('\0') != std::string::npos || !GlobalInit()) return std::string();
    CURL* curl = curl_easy_init();
    if (!curl) return std::string();

    Sink sink;
    sink.limit = m_options.maxBytes;
    bool setup =
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, m_options.maxRedirects) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, m_options.connectTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, m_options.totalTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(m_options.maxBytes)) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnData) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink) == CURLE_OK;

    std::string result;
    if (setup && curl_easy_perform(curl) == CURLE_OK && !sink.overflow) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200 && status < 300) result.swap(sink.data);
    }
    curl_easy_cleanup(curl);
    return result;
}
