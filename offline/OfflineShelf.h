#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace zorbel::offline {

// What a change to the cache folder came to; the reason in words when it failed.
struct ShelfResult {
    bool ok = true;
    std::string error;
};

struct ShelfTitle {
    std::string name;  // the title's name, without ".swf"
    std::uint64_t size = 0;
    // When it was stored (its record, else the file's time), seconds since the epoch.
    std::int64_t storedAt = 0;
    bool hasDigest = false;
    bool verified = false;
};

struct ShelfPartial {
    std::string name;
    std::uint64_t held = 0;
    std::int64_t length = -1;  // -1 when no record says
};

struct ShelfContents {
    std::vector<ShelfTitle> titles;      // by name
    std::vector<ShelfPartial> partials;  // by name
    // Every byte the titles, partial downloads and their records take up.
    std::uint64_t usedBytes = 0;
    // Free for this user on the folder's file system; 0 when it cannot be told.
    std::uint64_t freeBytes = 0;
    bool ok = false;
    std::string error;
};

// The titles in the cache folder: what plays without the internet, what is half downloaded,
// and the parent's tidying up and checking.
class OfflineShelf {
public:
    explicit OfflineShelf(std::string cacheFolder);

    ShelfContents Scan() const;
    bool IsCached(const std::string& name) const;
    // The names of the stored titles, read in one pass (for marking a whole tree).
    std::unordered_set<std::string> CachedNames() const;

    // The "playable offline" switch: the trees show only stored titles. Kept in the folder,
    // beside the titles it is about.
    bool PlayableOfflineOnly() const;
    ShelfResult SetPlayableOfflineOnly(bool on) const;
    // The title file and its record.
    ShelfResult DeleteTitle(const std::string& name) const;
    // The partial file and its record.
    ShelfResult DeletePartial(const std::string& name) const;

    struct CheckReport {
        std::vector<std::string> good;       // matched their digest (marked verified)
        std::vector<std::string> failed;     // did not: removed, to be fetched again
        std::vector<std::string> unchecked;  // stored without a digest
    };
    // Reads every title with a digest again. keepGoing, asked before each title, may stop it.
    CheckReport CheckAll(const std::function<bool()>& keepGoing = {}) const;

    const std::string& Folder() const { return m_folder; }

private:
    std::string TitlePath(const std::string& name) const;

    std::string m_folder;
};

}  // namespace zorbel::offline
