#include "offline/OfflineShelf.h"

#include "offline/Sha256.h"
#include "offline/TitleRecord.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace zorbel::offline {

namespace {

constexpr const char* kSwitchFile = ".playable-offline-only";

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() > tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::int64_t ModifiedAt(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : 0;
}

bool SafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

ShelfResult RemoveFiles(const std::vector<std::string>& paths) {
    ShelfResult result;
    for (const std::string& path : paths) {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec && result.ok) {
            result.ok = false;
            result.error = "cannot remove " + path + ": " + ec.message();
        }
    }
    return result;
}

}  // namespace

OfflineShelf::OfflineShelf(std::string cacheFolder) : m_folder(std::move(cacheFolder)) {}

std::string OfflineShelf::TitlePath(const std::string& name) const {
    return m_folder + "/" + name + ".swf";
}

ShelfContents OfflineShelf::Scan() const {
    ShelfContents contents;
    std::error_code ec;
    fs::directory_iterator it(m_folder, ec);
    if (ec) {
        contents.error = "cannot read " + m_folder + ": " + ec.message();
        return contents;
    }
    for (const fs::directory_entry& entry : it) {
        std::error_code fileError;
        if (!entry.is_regular_file(fileError)) continue;
        const std::string file = entry.path().filename().string();
        const std::uint64_t size = entry.file_size(fileError);
        if (fileError) continue;
        const std::string path = entry.path().string();
        if (EndsWith(file, ".swf")) {
            ShelfTitle title;
            title.name = file.substr(0, file.size() - 4);
            title.size = size;
            TitleRecord record;
            if (TitleRecord::Load(TitleRecord::PathFor(path), record) && record.complete) {
                title.hasDigest = !record.sha256.empty();
                title.verified = record.verified;
                title.storedAt = record.storedAt;
            }
            if (title.storedAt == 0) title.storedAt = ModifiedAt(path);
            contents.titles.push_back(title);
        } else if (EndsWith(file, ".tmp")) {
            ShelfPartial partial;
            partial.name = file.substr(0, file.size() - 4);
            partial.held = size;
            TitleRecord record;
            if (TitleRecord::Load(m_folder + "/" + partial.name + ".info", record) &&
                !record.complete)
                partial.length = record.length;
            contents.partials.push_back(partial);
        } else if (!EndsWith(file, ".info")) {
            continue;
        }
        contents.usedBytes += size;
    }
    auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
    std::sort(contents.titles.begin(), contents.titles.end(), byName);
    std::sort(contents.partials.begin(), contents.partials.end(), byName);
    const fs::space_info space = fs::space(m_folder, ec);
    contents.freeBytes = ec ? 0 : static_cast<std::uint64_t>(space.available);
    contents.ok = true;
    return contents;
}

bool OfflineShelf::IsCached(const std::string& name) const {
    std::error_code ec;
    return SafeName(name) && fs::is_regular_file(TitlePath(name), ec);
}

std::unordered_set<std::string> OfflineShelf::CachedNames() const {
    std::unordered_set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        std::error_code fileError;
        if (EndsWith(file, ".swf") && it->is_regular_file(fileError))
            names.insert(file.substr(0, file.size() - 4));
    }
    return names;
}

bool OfflineShelf::PlayableOfflineOnly() const {
    std::error_code ec;
    return !m_folder.empty() && fs::exists(m_folder + "/" + kSwitchFile, ec);
}

ShelfResult OfflineShelf::SetPlayableOfflineOnly(bool on) const {
    const std::string path = m_folder + "/" + kSwitchFile;
    if (!on) return RemoveFiles({path});
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return {false, "cannot write " + path};
    out << "1\n";
    return {};
}

ShelfResult OfflineShelf::DeleteTitle(const std::string& name) const {
    if (!SafeName(name)) return {false, "not a title name: " + name};
    return RemoveFiles({TitlePath(name), TitleRecord::PathFor(TitlePath(name))});
}

ShelfResult OfflineShelf::DeletePartial(const std::string& name) const {
    if (!SafeName(name)) return {false, "not a title name: " + name};
    // The record of a stored title is the title's, not the partial's.
    std::error_code ec;
    if (fs::exists(TitlePath(name), ec)) return RemoveFiles({m_folder + "/" + name + ".tmp"});
    return RemoveFiles({m_folder + "/" + name + ".tmp", TitleRecord::PathFor(TitlePath(name))});
}

OfflineShelf::CheckReport OfflineShelf::CheckAll(const std::function<bool()>& keepGoing) const {
    CheckReport report;
    const ShelfContents contents = Scan();
    for (const ShelfTitle& title : contents.titles) {
        if (keepGoing && !keepGoing()) break;
        const std::string path = TitlePath(title.name);
        const std::string recordPath = TitleRecord::PathFor(path);
        TitleRecord record;
        if (!TitleRecord::Load(recordPath, record) || record.sha256.empty()) {
            report.unchecked.push_back(title.name);
            continue;
        }
        std::string actual;
        if (Sha256::OfFile(path, actual) && actual == record.sha256) {
            if (!record.verified) {
                record.verified = true;
                TitleRecord::Save(recordPath, record);
            }
            report.good.push_back(title.name);
        } else {
            DeleteTitle(title.name);
            report.failed.push_back(title.name);
        }
    }
    return report;
}

}  // namespace zorbel::offline
