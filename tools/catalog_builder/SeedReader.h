#pragma once

#include <string>

#include "tools/catalog_builder/CatalogSeed.h"

namespace zorbel::catalogbuild {

inline constexpr const char* kDefaultWebBase = "http://127.0.0.1:8517";

struct SeedReadResult {
    bool ok = false;
    std::string error;  // "<source>:<line>: <what is wrong>" when ok is false
    CatalogSeed seed;
};

// Reads the tab-separated seed format, one record a line ('#' starts a comment line):
//   class<TAB>classid<TAB>typeid<TAB>name
//   title<TAB>fileid<TAB>classid<TAB>name[<TAB>clicks]
//   movieclass<TAB>classid<TAB>name
//   movie<TAB>id<TAB>classid<TAB>name<TAB>address     (${WEB} in the address becomes the web base)
//   skin<TAB>h<TAB>s<TAB>b<TAB>texture<TAB>theme<TAB>userid
// Every fault is reported with the line it is on; nothing is guessed or skipped.
class SeedReader {
public:
    explicit SeedReader(std::string webBase = kDefaultWebBase);

    SeedReadResult ReadFile(const std::string& path) const;
    SeedReadResult ReadText(const std::string& text, const std::string& sourceName) const;

private:
    std::string m_strWebBase;
};

}  // namespace zorbel::catalogbuild
