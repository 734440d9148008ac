// Costs of the catalog operations every view switch pays: opening a connection (key
// derivation included) and loading one catalog type into the tree.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "tests/app/TestCatalog.h"
#include "tests/platform/TempDir.h"

namespace {

constexpr int kTypes = 4;
constexpr int kClassesPerType = 10;
constexpr int kTitles = 40000;

// The synthetic catalog, made once per run: with the class index, and a copy without it.
struct Catalogs {
    zorbel::test::TempDir dir;
    std::string indexed = dir.File("ZorbelPlim.dat");
    std::string plain = dir.File("NoIndex.dat");

    Catalogs() {
        std::string error;
        const char* key = zorbel::files::kCatalogKey;
        if (!zorbel::test::CreateCatalog(indexed, key, "", &error) ||
            !zorbel::test::FillSyntheticCatalog(indexed, key, kTypes, kClassesPerType, kTitles,
                                                &error) ||
            !zorbel::test::CreateCatalog(plain, key, "DROP INDEX I_FileList_Class", &error) ||
            !zorbel::test::FillSyntheticCatalog(plain, key, kTypes, kClassesPerType, kTitles,
                                                &error)) {
            std::fprintf(stderr, "cannot make the catalog: %s\n", error.c_str());
            std::abort();
        }
    }
};

const Catalogs& TheCatalogs() {
    static Catalogs catalogs;
    return catalogs;
}

// What the catalog tree does for one type: the type's classes, then each class's titles.
std::size_t LoadType(const std::string& path, const std::string& type) {
    std::size_t titles = 0;
    std::unique_ptr<CDbVelaLite> db(new CDbVelaLite);
    if (!db->Open(path, zorbel::files::kCatalogKey)) return 0;
    std::vector<int> classes;
    {
        std::unique_ptr<CSqlStatement> st(db->Prepare(zorbel::sql::SqlClassesOfType(type)));
        while (st->NextRow()) {
            benchmark::DoNotOptimize(st->ColumnText(zorbel::sql::kClassName));
            classes.push_back(st->ColumnInt(zorbel::sql::kClassId));
        }
    }
    for (int id : classes) {
        std::unique_ptr<CSqlStatement> st(db->Prepare(zorbel::sql::SqlTitlesOfClass(id)));
        while (st->NextRow()) {
            benchmark::DoNotOptimize(st->ColumnText(zorbel::sql::kFileProgramName));
            ++titles;
        }
    }
    return titles;
}

void BM_OpenFirstQueryClose(benchmark::State& state) {
    const std::string& path = TheCatalogs().indexed;
    for (auto _ : state) {
        std::unique_ptr<CDbVelaLite> db(new CDbVelaLite);
        if (!db->Open(path, zorbel::files::kCatalogKey)) {
            state.SkipWithError("open failed");
            break;
        }
        std::unique_ptr<CSqlStatement> st(db->Prepare(zorbel::sql::SqlSkinRowsFor("")));
        benchmark::DoNotOptimize(st->NextRow());
    }
}
BENCHMARK(BM_OpenFirstQueryClose)->Unit(benchmark::kMillisecond);

void BM_TypeLoad(benchmark::State& state) {
    const std::string& path = state.range(0) ? TheCatalogs().indexed : TheCatalogs().plain;
    std::size_t titles = 0;
    for (auto _ : state) titles = LoadType(path, "1");
    if (titles != static_cast<std::size_t>(kTitles / kTypes))
        state.SkipWithError("unexpected number of titles");
    state.counters["titles"] = static_cast<double>(titles);
}
BENCHMARK(BM_TypeLoad)->ArgName("indexed")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RecommendedList(benchmark::State& state) {
    const std::string& path = TheCatalogs().indexed;
    for (auto _ : state) {
        std::unique_ptr<CDbVelaLite> db(new CDbVelaLite);
        db->Open(path, zorbel::files::kCatalogKey);
        std::unique_ptr<CSqlStatement> st(db->Prepare(zorbel::sql::SqlRecommended()));
        while (st->NextRow())
            benchmark::DoNotOptimize(st->ColumnText(zorbel::sql::kFileProgramName));
    }
}
BENCHMARK(BM_RecommendedList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
