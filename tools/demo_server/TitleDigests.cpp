#include "tools/demo_server/TitleDigests.h"

#include "offline/Sha256.h"

#include <vector>

namespace zorbel::demo {

std::string TitleDigests::HexOf(const std::string& key, const BodySource& body) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto it = m_known.find(key);
        if (it != m_known.end()) return it->second;
    }
    zorbel::offline::Sha256 sha;
    std::vector<char> buffer(256 * 1024);
    std::uint64_t offset = 0;
    for (;;) {
        const long long got = body.ReadAt(offset, buffer.data(), buffer.size());
        if (got < 0) return std::string();
        if (got == 0) break;
        sha.Update(buffer.data(), static_cast<std::size_t>(got));
        offset += static_cast<std::uint64_t>(got);
    }
    const std::string hex = sha.FinishHex();
    std::lock_guard<std::mutex> guard(m_lock);
    m_known[key] = hex;
    return hex;
}

}  // namespace zorbel::demo
