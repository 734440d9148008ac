// zorbel-swfgen: writes the demo titles' movies and the "title not available" movie.
//   zorbel-swfgen --seed FILE --out DIR     one <title name>.swf per title line of the seed
//     [--kinds]                             each shaped after its class's type (songs, stories
//                                           and clips linear and short, games looping)
//   zorbel-swfgen --unavailable FILE        the stand-in movie (data/Velaone.dll)
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/swfgen/DemoSeed.h"
#include "tools/swfgen/MovieFiles.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: zorbel-swfgen [--seed FILE --out DIR [--kinds]] [--unavailable FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string seed, out, unavailable;
    bool kinds = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--kinds") {
            kinds = true;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        if (arg == "--seed")
            seed = argv[++i];
        else if (arg == "--out")
            out = argv[++i];
        else if (arg == "--unavailable")
            unavailable = argv[++i];
        else
            return Usage();
    }
    if (seed.empty() != out.empty() || (seed.empty() && unavailable.empty()) ||
        (kinds && seed.empty()))
        return Usage();

    using namespace zorbel::swfgen;
    int status = 0;
    if (!seed.empty()) {
        DemoSeedResult parsed = DemoSeed::Load(seed);
        if (!parsed.ok) {
            std::fprintf(stderr, "zorbel-swfgen: %s\n", parsed.message.c_str());
            return 1;
        }
        for (const std::string& w : parsed.warnings) {
            std::fprintf(stderr, "zorbel-swfgen: %s: skipped %s\n", seed.c_str(), w.c_str());
        }
        MovieFilesResult written = MovieFiles::WriteTitles(parsed.titles, out, kinds);
        if (!written.ok) {
            std::fprintf(stderr, "zorbel-swfgen: %s\n", written.message.c_str());
            status = 1;
        } else {
            std::printf("zorbel-swfgen: %zu movies in %s\n", written.written, out.c_str());
        }
    }
    if (!unavailable.empty()) {
        MovieFilesResult written = MovieFiles::WriteUnavailable(unavailable);
        if (!written.ok) {
            std::fprintf(stderr, "zorbel-swfgen: %s\n", written.message.c_str());
            status = 1;
        }
    }
    return status;
}
