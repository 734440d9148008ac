#include "HttpFetch.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace zorbel::test {

namespace {

struct Sink {
    HttpAnswer* answer;
    std::atomic<std::size_t>* received;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    sink->answer->body.append(data, size * count);
    if (sink->received) sink->received->store(sink->answer->body.size());
    return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* answer = static_cast<HttpAnswer*>(user);
    const std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r\n") + 1);
        answer->headers[name] = value;
    }
    return size * count;
}

HttpAnswer Perform(const std::string& url, const std::string* postBody,
                   const std::string& contentType, std::atomic<std::size_t>* received,
                   const std::vector<std::string>& requestHeaders = {}) {
    HttpAnswer answer;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink{&answer, received};
    curl_slist* headers = nullptr;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
    // A safety net against a hung server only; no test depends on it.
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 60L);
    if (postBody) {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, postBody->c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(postBody->size()));
        headers = curl_slist_append(headers, ("Content-Type: " + contentType).c_str());
    }
    for (const std::string& header : requestHeaders)
        headers = curl_slist_append(headers, header.c_str());
    if (headers) curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    const auto start = std::chrono::steady_clock::now();
    answer.code = curl_easy_perform(curl.get());
    answer.elapsed = std::chrono::steady_clock::now() - start;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.status);
    answer.error = errorText;
    curl_slist_free_all(headers);
    return answer;
}

}  // namespace

std::string HttpAnswer::Header(const std::string& lowerName) const {
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

HttpAnswer HttpFetch::Get(const std::string& url, std::atomic<std::size_t>* received,
                          const std::vector<std::string>& requestHeaders) {
    return Perform(url, nullptr, std::string(), received, requestHeaders);
}

HttpAnswer HttpFetch::Post(const std::string& url, const std::string& body,
                           const std::string& contentType) {
    return Perform(url, &body, contentType, nullptr);
}

}  // namespace zorbel::test
