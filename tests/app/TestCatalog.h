#pragma once

#include <string>

namespace zorbel::test {

// The catalog's tables with the column positions the program reads, and the two views.
// Enough for the database layer's tests and benchmarks; the shipped catalog comes from the
// catalog builder.
const char* CatalogSchemaSql();

// Creates a database file at path (replacing any), enciphered with key at kdfIter rounds
// when key is not null, runs CatalogSchemaSql() when withSchema, then extraSql. False with
// the database's message in error on failure.
bool CreateCatalog(const std::string& path, const char* key, const std::string& extraSql,
                   std::string* error = nullptr, bool withSchema = true, int kdfIter = 4000);

// Fills a catalog made by CreateCatalog with a synthetic catalog: typeCount types with
// classesPerType classes each and titles shared evenly among the classes, class by class,
// named like "标题 123". Class ids run from 1; class 4 exists when there are at least 4 classes.
bool FillSyntheticCatalog(const std::string& path, const char* key, int typeCount,
                          int classesPerType, int titles, std::string* error = nullptr);

// Overwrites count bytes of the file at offset with a pattern, as a bad sector or a torn copy
// would: the enciphered page there no longer passes its check. False when the file is shorter.
bool DamageFile(const std::string& path, long offset, int count = 64);

// Damages the page that every read of table starts at (its root page) in the catalog at path.
bool DamageTable(const std::string& path, const char* key, const std::string& table);

}  // namespace zorbel::test
