#include "tools/swfgen/MovieFiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/swfgen/DemoMovie.h"
#include "tools/swfgen/UnavailableMovie.h"

namespace zorbel::swfgen {

namespace fs = std::filesystem;

namespace {

DemoKind KindOf(const DemoTitle& title) {
    return title.typeId >= 1 && title.typeId <= 4 ? DemoKind(title.typeId) : DemoKind::Unknown;
}

}  // namespace

bool MovieFiles::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                           std::string* error) {
    const fs::path target = fs::u8path(path);
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    if (ec) {
        if (error) *error = "cannot create the folder of " + path + ": " + ec.message();
        return false;
    }
    fs::path partial = target;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(partial, ec);
            if (error) *error = "cannot write " + path;
            return false;
        }
    }
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        if (error) *error = "cannot move " + path + " into place";
        return false;
    }
    return true;
}

MovieFilesResult MovieFiles::WriteTitles(const std::vector<DemoTitle>& titles,
                                         const std::string& folder, bool byKind) {
    MovieFilesResult result;
    for (const DemoTitle& title : titles) {
        std::vector<uint8_t> movie = DemoMovie::Build(
            DemoMovie::PlanFor(title.fileId, byKind ? KindOf(title) : DemoKind::Unknown));
        if (movie.empty()) {
            result.message = "cannot build the movie of \"" + title.name + "\"";
            return result;
        }
        const std::string path = (fs::u8path(folder) / fs::u8path(title.name + ".swf")).u8string();
        if (!WriteFile(path, movie, &result.message)) return result;
        ++result.written;
    }
    result.ok = true;
    return result;
}

MovieFilesResult MovieFiles::WriteUnavailable(const std::string& path) {
    MovieFilesResult result;
    std::vector<uint8_t> movie = UnavailableMovie::Build();
    if (movie.empty()) {
        result.message = "cannot build the stand-in movie";
        return result;
    }
    if (!WriteFile(path, movie, &result.message)) return result;
    result.written = 1;
    result.ok = true;
    return result;
}

}  // namespace zorbel::swfgen
