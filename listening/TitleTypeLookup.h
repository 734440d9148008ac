#pragma once

#include <string>

#include "listening/TitleKind.h"

namespace zorbel::listening {

struct TitleKindResult {
    bool ok = false;  // false: the catalog could not be read (or does not know the title)
    TitleKind kind = TitleKind::Unknown;
};

// The kind of a title by its name, from its class in the catalog: the quick lists mix titles of
// every kind and know only their names.
class TitleTypeLookup {
public:
    static TitleKindResult KindOf(const std::string& catalogPath, const std::string& titleName);
};

}  // namespace zorbel::listening
