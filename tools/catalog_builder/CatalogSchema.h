#pragma once

#include <vector>

namespace zorbel::catalogbuild {

// The DDL of the catalog, in the order it is run. The program reads every table with SELECT * and
// takes columns by position, so the column order here is part of the file format.
const std::vector<const char*>& CatalogSchemaStatements();

}  // namespace zorbel::catalogbuild
