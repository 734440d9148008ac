// zorbel-catalog-builder: writes the enciphered catalog database the program ships with.
//
//   zorbel-catalog-builder --seed FILE --out FILE [--key K] [--web-base URL]
//   zorbel-catalog-builder --synthetic N --out FILE [--key K] [--web-base URL]

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/catalog_builder/CatalogBuilder.h"
#include "tools/catalog_builder/SeedReader.h"
#include "tools/catalog_builder/SyntheticCatalog.h"

namespace cb = zorbel::catalogbuild;

namespace {

const char kUsage[] =
    "usage: zorbel-catalog-builder --seed FILE --out FILE [--key K] [--web-base URL]\n"
    "       zorbel-catalog-builder --synthetic N --out FILE [--key K] [--web-base URL]\n"
    "Writes the catalog database FILE from a seed file, or a synthetic catalog of N titles.\n"
    "The key defaults to the program's catalog key; ${WEB} in cartoon addresses becomes the\n"
    "web base (default http://127.0.0.1:8517).\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "zorbel-catalog-builder: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string seedPath, outPath, key = cb::kCatalogKey, webBase = cb::kDefaultWebBase, synthetic;
    bool haveSeed = false, haveSynthetic = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::string* target = nullptr;
        if (arg == "--seed") {
            target = &seedPath;
            haveSeed = true;
        } else if (arg == "--out") {
            target = &outPath;
        } else if (arg == "--key") {
            target = &key;
        } else if (arg == "--web-base") {
            target = &webBase;
        } else if (arg == "--synthetic") {
            target = &synthetic;
            haveSynthetic = true;
        } else {
            return Usage("unknown argument \"" + arg + "\"");
        }
        if (i + 1 >= argc) return Usage(arg + " needs a value");
        *target = argv[++i];
    }
    if (haveSeed == haveSynthetic) return Usage("give either --seed or --synthetic");
    if (outPath.empty()) return Usage("--out is missing");
    if (key.empty()) return Usage("the key is empty");
    while (!webBase.empty() && webBase.back() == '/') webBase.pop_back();
    if (webBase.empty()) return Usage("the web base is empty");

    cb::CatalogSeed seed;
    if (haveSeed) {
        cb::SeedReadResult read = cb::SeedReader(webBase).ReadFile(seedPath);
        if (!read.ok) {
            std::fprintf(stderr, "zorbel-catalog-builder: %s\n", read.error.c_str());
            return 1;
        }
        seed = std::move(read.seed);
    } else {
        errno = 0;
        char* end = nullptr;
        const long n = std::strtol(synthetic.c_str(), &end, 10);
        if (synthetic.empty() || *end != '\0' || errno != 0 || n < 1 || n > cb::kMaxSyntheticTitles)
            return Usage("--synthetic needs a number of titles from 1 to " +
                         std::to_string(cb::kMaxSyntheticTitles));
        seed = cb::MakeSyntheticSeed(static_cast<int>(n), webBase);
    }

    const cb::BuildResult built = cb::BuildCatalog(seed, outPath, key);
    if (!built.ok) {
        std::fprintf(stderr, "zorbel-catalog-builder: %s: %s\n", outPath.c_str(),
                     built.error.c_str());
        return 1;
    }
    std::printf("%s: %zu classes, %zu titles, %zu cartoon classes, %zu cartoons, %zu skin rows\n",
                outPath.c_str(), seed.classes.size(), seed.titles.size(), seed.movieClasses.size(),
                seed.movies.size(), seed.skins.size());
    return 0;
}
