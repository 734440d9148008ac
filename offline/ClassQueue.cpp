#include "offline/ClassQueue.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zorbel::offline {

ClassQueue::ClassQueue(std::string path) : m_path(std::move(path)) {}

bool ClassQueue::Load() {
    m_className.clear();
    m_pending.clear();
    m_total = 0;
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return false;
    std::string line;
    std::size_t total = 0;
    while (std::getline(in, line)) {
        if (line.rfind("class=", 0) == 0) m_className = line.substr(6);
        if (line.rfind("title=", 0) == 0 && line.size() > 6) m_pending.push_back(line.substr(6));
        if (line.rfind("total=", 0) == 0) {
            try {
                total = static_cast<std::size_t>(std::stoull(line.substr(6)));
            } catch (...) {
                total = 0;
            }
        }
    }
    m_total = std::max(total, m_pending.size());
    return !m_pending.empty();
}

bool ClassQueue::Save() const {
    if (m_pending.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
        return !ec;
    }
    const std::string side = m_path + ".new";
    {
        std::ofstream out(side, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << "class=" << m_className << "\n"
            << "total=" << m_total << "\n";
        for (const std::string& title : m_pending) out << "title=" << title << "\n";
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(side, m_path, ec);
    if (ec) std::remove(side.c_str());
    return !ec;
}

void ClassQueue::Start(const std::string& className, std::vector<std::string> titles) {
    m_className = className;
    m_pending = std::move(titles);
    m_total = m_pending.size();
}

void ClassQueue::Cancel() {
    m_pending.clear();
    m_total = 0;
    m_className.clear();
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
}

void ClassQueue::PopFront() {
    if (!m_pending.empty()) m_pending.erase(m_pending.begin());
}

void ClassQueue::Postpone() {
    if (m_pending.size() < 2) return;
    std::string front = m_pending.front();
    m_pending.erase(m_pending.begin());
    m_pending.push_back(std::move(front));
}

std::uint64_t ClassQueue::EstimateBytes(std::size_t titles, std::uint64_t cachedBytes,
                                        std::size_t cachedTitles) {
    const std::uint64_t each = cachedTitles > 0 ? cachedBytes / cachedTitles : kTypicalTitleBytes;
    return each * titles;
}

bool ClassQueue::Fits(std::uint64_t estimate, std::uint64_t freeBytes) {
    return freeBytes >= kSpareBytes && estimate <= freeBytes - kSpareBytes;
}

}  // namespace zorbel::offline
