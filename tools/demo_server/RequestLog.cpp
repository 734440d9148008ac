#include "tools/demo_server/RequestLog.h"

namespace zorbel::demo {

RequestLog::RequestLog(std::size_t maxLines) : m_maxLines(maxLines == 0 ? 1 : maxLines) {}

void RequestLog::Add(std::string line) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_entries.size() >= m_maxLines)
        m_entries.erase(m_entries.begin(),
                        m_entries.begin() + static_cast<long>(m_maxLines / 10 + 1));
    m_entries.push_back({std::move(line), now});
}

std::vector<std::string> RequestLog::Lines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> lines;
    lines.reserve(m_entries.size());
    for (const auto& entry : m_entries) lines.push_back(entry.line);
    return lines;
}

std::vector<RequestLog::Entry> RequestLog::Entries() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

std::string RequestLog::Text() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string text;
    for (const auto& entry : m_entries) {
        text += entry.line;
        text += '\n';
    }
    return text;
}

void RequestLog::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

}  // namespace zorbel::demo
