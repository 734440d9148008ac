#pragma once

#include <cstddef>
#include <cstdint>

// What one header line of an HTTP answer, as libcurl hands it over (line end included), means
// to the download worker. Names match without regard to case.
struct HttpHeaderLine {
    enum class Kind {
        StatusLine,     // "HTTP/...": a new answer starts (after an interim one or a redirection)
        ContentLength,  // "Content-Length:"
        EndOfHeaders,   // the empty line
        Other,
    };
    Kind kind = Kind::Other;
    // For ContentLength: the value when it is digits with optional blanks around them, else -1.
    std::int64_t contentLength = -1;

    static HttpHeaderLine Parse(const char* data, std::size_t length);
    // A Content-Length value as above; -1 also when it does not fit an int64_t.
    static std::int64_t ParseLength(const char* data, std::size_t length);
};
