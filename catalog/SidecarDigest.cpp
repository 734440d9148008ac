#include "catalog/SidecarDigest.h"

#include "offline/DigestHeader.h"

#include <curl/curl.h>

namespace zorbel::catalog {

namespace {

// A digest file is one line; anything longer is not one.
constexpr std::size_t kMaxBytes = 1024;

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* out) {
    auto* text = static_cast<std::string*>(out);
    const std::size_t n = size * count;
    if (text->size() + n > kMaxBytes) return 0;
    text->append(data, n);
    return n;
}

}  // namespace

std::string FetchSidecarDigest(const std::string& url, long timeoutSeconds) {
    CURL* curl = curl_easy_init();
    if (!curl) return std::string();
    std::string text;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Zorbel");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &text);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK || status != 200) return std::string();
    return zorbel::offline::DigestHeader::FromSidecar(text);
}

}  // namespace zorbel::catalog
