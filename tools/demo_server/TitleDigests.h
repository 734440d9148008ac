#pragma once

#include "tools/demo_server/BodySource.h"

#include <map>
#include <mutex>
#include <string>

namespace zorbel::demo {

// SHA-256 digests of the titles the server hands out, worked out once per version of a file
// (a 64 MiB title is read once, not on every request).
class TitleDigests {
public:
    // 64 hex digits of body's bytes; key names the file's version (path, size, time, drift).
    std::string HexOf(const std::string& key, const BodySource& body);

private:
    std::mutex m_lock;
    std::map<std::string, std::string> m_known;
};

}  // namespace zorbel::demo
