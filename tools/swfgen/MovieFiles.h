#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/swfgen/DemoSeed.h"

namespace zorbel::swfgen {

struct MovieFilesResult {
    bool ok = false;
    std::string message;
    size_t written = 0;
};

// Puts generated movies on disk. Each file is written under a temporary name and renamed,
// so that a server reading the folder never sees half a movie.
class MovieFiles {
public:
    // One "<name>.swf" per title in `folder` (created if missing); byKind shapes each after
    // its class's type (DemoMovie::PlanFor with a kind).
    static MovieFilesResult WriteTitles(const std::vector<DemoTitle>& titles,
                                        const std::string& folder, bool byKind = false);
    static MovieFilesResult WriteUnavailable(const std::string& path);
    static bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                          std::string* error);
};

}  // namespace zorbel::swfgen
