#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <curl/curl.h>

namespace zorbel::test {

// What a test saw of one HTTP exchange.
struct HttpAnswer {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    // Header names in lower case; the last value wins.
    std::map<std::string, std::string> headers;
    std::chrono::steady_clock::duration elapsed{};
    std::string error;

    bool HasHeader(const std::string& lowerName) const { return headers.count(lowerName) != 0; }
    long long ElapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    }
    std::string Header(const std::string& lowerName) const;
};

// A blocking libcurl client for the demo server's tests; one fresh connection per call.
class HttpFetch {
public:
    // received, when given, is kept up to date with the body bytes read so far;
    // requestHeaders are whole lines ("Range: bytes=10-").
    static HttpAnswer Get(const std::string& url, std::atomic<std::size_t>* received = nullptr,
                          const std::vector<std::string>& requestHeaders = {});
    static HttpAnswer Post(const std::string& url, const std::string& body,
                           const std::string& contentType);
};

}  // namespace zorbel::test
