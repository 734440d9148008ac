#include "tools/demo_server/RequestLog.h"

namespace zorbel::demo {

RequestLog::RequestLog(std::size_t maxLines) : m_maxLines(maxLines == 0 ? 1 : maxLines) {}

void RequestLog::Add(std::string line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lines.size() >= m_maxLines)
        m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<long>(m_maxLines / 10 + 1));
    m_lines.push_back(std::move(line));
}

std::vector<std::string> RequestLog::Lines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

std::string RequestLog::Text() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string text;
    for (const auto& line : m_lines) {
        text += line;
        text += '\n';
    }
    return text;
}

void RequestLog::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
}

}  // namespace zorbel::demo
