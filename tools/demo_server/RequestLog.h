#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace zorbel::demo {

// One line per request, shared by all worker threads. Bounded so that a long benchmark run
// cannot grow it without end; the oldest lines go first.
class RequestLog {
public:
    explicit RequestLog(std::size_t maxLines = 20000);

    void Add(std::string line);
    std::vector<std::string> Lines() const;
    // All lines, each ended by a newline.
    std::string Text() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::size_t m_maxLines;
};

}  // namespace zorbel::demo
