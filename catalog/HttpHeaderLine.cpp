#include "catalog/HttpHeaderLine.h"

#include <cctype>
#include <cstring>

namespace {

bool StartsWithNoCase(const char* data, std::size_t length, const char* head) {
    const std::size_t n = std::strlen(head);
    if (length < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(data[i])) != head[i]) return false;
    }
    return true;
}

std::string TrimmedValue(const char* data, std::size_t length) {
    std::size_t begin = 0;
    while (begin < length && (data[begin] == ' ' || data[begin] == '\t')) ++begin;
    while (length > begin && (data[length - 1] == ' ' || data[length - 1] == '\t' ||
                              data[length - 1] == '\r' || data[length - 1] == '\n'))
        --length;
    return std::string(data + begin, length - begin);
}

}  // namespace

HttpHeaderLine HttpHeaderLine::Parse(const char* data, std::size_t length) {
    static const char kContentLength[] = "content-length:";
    HttpHeaderLine line;
    if (StartsWithNoCase(data, length, "http/")) {
        line.kind = Kind::StatusLine;
    } else if (StartsWithNoCase(data, length, kContentLength)) {
        const std::size_t n = sizeof kContentLength - 1;
        line.kind = Kind::ContentLength;
        line.contentLength = ParseLength(data + n, length - n);
    } else if ((length == 2 && data[0] == '\r' && data[1] == '\n') ||
               (length == 1 && data[0] == '\n')) {
        line.kind = Kind::EndOfHeaders;
    } else {
        struct Named {
            const char* head;
            Kind kind;
        };
        static const Named named[] = {{"content-range:", Kind::ContentRange},
                                      {"etag:", Kind::ETag},
                                      {"last-modified:", Kind::LastModified},
                                      {"repr-digest:", Kind::ReprDigest},
                                      {"digest:", Kind::Digest}};
        for (const Named& n : named) {
            if (!StartsWithNoCase(data, length, n.head)) continue;
            const std::size_t skip = std::strlen(n.head);
            line.kind = n.kind;
            line.value = TrimmedValue(data + skip, length - skip);
            break;
        }
    }
    return line;
}

std::int64_t HttpHeaderLine::ParseLength(const char* data, std::size_t length) {
    std::size_t i = 0;
    while (i < length && (data[i] == ' ' || data[i] == '\t')) ++i;
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (; i < length && data[i] >= '0' && data[i] <= '9'; ++i, ++digits) {
        if (value > (INT64_MAX - 9) / 10) return -1;
        value = value * 10 + (data[i] - '0');
    }
    while (i < length && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return digits > 0 && i == length ? value : -1;
}
