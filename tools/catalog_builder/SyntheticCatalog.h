#pragma once

#include <string>

#include "tools/catalog_builder/CatalogSeed.h"

namespace zorbel::catalogbuild {

inline constexpr int kMaxSyntheticTitles = 5000000;

// A large made-up catalog for measuring the program: titleCount titles spread evenly over classes
// of all four types (class 4, which feeds the recommended list, among them), a few cartoon classes
// and one skin row for the empty user. The same count always gives the same catalog.
CatalogSeed MakeSyntheticSeed(int titleCount, const std::string& webBase);

}  // namespace zorbel::catalogbuild
