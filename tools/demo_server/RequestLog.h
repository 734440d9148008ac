#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace zorbel::demo {

// One line per request, shared by all worker threads. Bounded so that a long benchmark run
// cannot grow it without end; the oldest lines go first.
class RequestLog {
public:
    // A line with the moment it was added (steady clock): benchmarks time a request from
    // the click that caused it.
    struct Entry {
        std::string line;
        std::chrono::steady_clock::time_point at;
    };

    explicit RequestLog(std::size_t maxLines = 20000);

    void Add(std::string line);
    std::vector<std::string> Lines() const;
    std::vector<Entry> Entries() const;
    // All lines, each ended by a newline.
    std::string Text() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::size_t m_maxLines;
};

}  // namespace zorbel::demo
