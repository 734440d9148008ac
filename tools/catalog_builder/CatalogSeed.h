#pragma once

#include <string>
#include <vector>

namespace zorbel::catalogbuild {

// A class of one of the four title types (1 songs, 2 stories, 3 knowledge, 4 games).
struct SeedClass {
    int classId = 0;
    int typeId = 0;
    std::string name;
};

struct SeedTitle {
    int fileId = 0;
    int classId = 0;
    std::string name;  // also the base name of the title's .swf file
    int clicks = 0;
};

struct SeedMovieClass {
    int classId = 0;
    std::string name;
};

struct SeedMovie {
    int id = 0;
    int classId = 0;
    std::string name;
    std::string address;
};

struct SeedSkin {
    int h = 0;
    int s = 0;
    int b = 0;
    std::string texture;
    std::string theme;
    std::string userId;
};

// Everything a catalog is built from, in the order the rows are inserted.
class CatalogSeed {
public:
    std::vector<SeedClass> classes;
    std::vector<SeedTitle> titles;
    std::vector<SeedMovieClass> movieClasses;
    std::vector<SeedMovie> movies;
    std::vector<SeedSkin> skins;
};

}  // namespace zorbel::catalogbuild
