#pragma once

#include <string>

#include "tools/catalog_builder/CatalogSeed.h"

namespace zorbel::catalogbuild {

inline constexpr const char* kCatalogKey = "R807@391T";
// Key derivation rounds: every catalog operation of the program opens its own connection and
// pays the derivation each time; the key ships inside the program, so more rounds protect nothing.
inline constexpr int kCatalogKdfIter = 4000;

struct BuildResult {
    bool ok = false;
    std::string error;
};

// Writes a new enciphered catalog at outputPath holding exactly the seed's rows. The file is
// written under a temporary name in the same folder and renamed over outputPath only once it is
// complete, so a failed build leaves any earlier file untouched and no partial file behind.
BuildResult BuildCatalog(const CatalogSeed& seed, const std::string& outputPath,
                         const std::string& key = kCatalogKey);

}  // namespace zorbel::catalogbuild
