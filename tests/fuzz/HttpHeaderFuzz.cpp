// libFuzzer target: an answer's header block, handed over line by line as libcurl does, and
// each line alone as a Content-Length value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalog/HttpHeaderLine.h"

namespace {

// The digits of a value the parser accepted, without leading zeros: what it must have read.
std::string Digits(const char* data, size_t length) {
    std::string digits;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] >= '0' && data[i] <= '9' && !(digits.empty() && data[i] == '0'))
            digits += data[i];
    }
    return digits.empty() ? "0" : digits;
}

void CheckLength(const char* data, size_t length) {
    const int64_t value = HttpHeaderLine::ParseLength(data, length);
    if (value < -1) std::abort();
    if (value >= 0 && std::to_string(value) != Digits(data, length)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const char* data = reinterpret_cast<const char*>(bytes);
    CheckLength(data, size);
    size_t start = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && data[end] != '\n') ++end;
        if (end < size) ++end;  // the line end belongs to the line
        const HttpHeaderLine line = HttpHeaderLine::Parse(data + start, end - start);
        if (line.kind == HttpHeaderLine::Kind::ContentLength) {
            CheckLength(data + start + 15, end - start - 15);
        } else if (line.contentLength != -1) {
            std::abort();
        }
        start = end;
    }
    return 0;
}
