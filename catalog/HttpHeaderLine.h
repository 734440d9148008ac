#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What one header line of an HTTP answer, as libcurl hands it over (line end included), means
// to the download worker. Names match without regard to case.
struct HttpHeaderLine {
    enum class Kind {
        StatusLine,     // "HTTP/...": a new answer starts (after an interim one or a redirection)
        ContentLength,  // "Content-Length:"
        EndOfHeaders,   // the empty line
        ContentRange,   // "Content-Range:"
        ETag,           // "ETag:"
        LastModified,   // "Last-Modified:"
        ReprDigest,     // "Repr-Digest:"
        Digest,         // "Digest:"
        Other,
    };
    Kind kind = Kind::Other;
    // For ContentLength: the value when it is digits with optional blanks around them, else -1.
    std::int64_t contentLength = -1;
    // For the other named kinds: the value without the blanks and line end around it.
    std::string value;

    static HttpHeaderLine Parse(const char* data, std::size_t length);
    // A Content-Length value as above; -1 also when it does not fit an int64_t.
    static std::int64_t ParseLength(const char* data, std::size_t length);
};
