#include "tools/catalog_builder/SyntheticCatalog.h"

#include <algorithm>

namespace zorbel::catalogbuild {

namespace {

const char* const kTypeWords[4] = {"儿歌", "故事", "知识", "游戏"};

}  // namespace

CatalogSeed MakeSyntheticSeed(int titleCount, const std::string& webBase) {
    CatalogSeed seed;
    titleCount = std::clamp(titleCount, 0, kMaxSyntheticTitles);

    // About a hundred titles a class, at least two and at most a hundred classes per type.
    const int classesPerType = std::clamp(titleCount / 400, 2, 100);
    const int classCount = classesPerType * 4;
    seed.classes.reserve(static_cast<std::size_t>(classCount));
    for (int id = 1; id <= classCount; ++id) {
        const int type = (id - 1) % 4 + 1;  // so class 4 is a games class
        seed.classes.push_back(
            {id, type, std::string(kTypeWords[type - 1]) + "分类" + std::to_string(id)});
    }

    seed.titles.reserve(static_cast<std::size_t>(titleCount));
    for (int i = 0; i < titleCount; ++i) {
        const int classId = i % classCount + 1;
        const int type = (classId - 1) % 4 + 1;
        SeedTitle t;
        t.fileId = i + 1;
        t.classId = classId;
        t.name = std::string("合成") + kTypeWords[type - 1] + std::to_string(i + 1);
        t.clicks = static_cast<int>((static_cast<long long>(i) * 7919) % 1000);
        seed.titles.push_back(std::move(t));
    }

    const int movieClasses = 4;
    for (int id = 1; id <= movieClasses; ++id)
        seed.movieClasses.push_back({id, "合成动画分类" + std::to_string(id)});
    const int movies = std::clamp(titleCount / 100, 8, 2000);
    for (int id = 1; id <= movies; ++id) {
        seed.movies.push_back({id, (id - 1) % movieClasses + 1, "合成动画" + std::to_string(id),
                               webBase + "/cartoons/synthetic-" + std::to_string(id) + ".html"});
    }

    seed.skins.push_back({0, 0, 0, "skin.texture11", "", ""});
    return seed;
}

}  // namespace zorbel::catalogbuild
