#pragma once

#include <functional>
#include <string>

#include "app/WriteOutcome.h"

// The database half of the player's favourite button and of every play: counts and rows in
// the catalog's favourites and played tables for the title in the player, found again by its
// name. Each call opens, uses and closes a connection of its own; nothing here shows a
// message. The player shows the notice that belongs to each outcome (FavoriteNotice,
// DataFailureNotice) and keeps a write that met another program's lock to try it again.
class CPlayHistory {
public:
    enum class FavoriteOutcome {
        DataFailure,       // no catalog, it cannot be opened or is damaged: nothing written
        AlreadyFavourite,  // was one already; its count went up by one and its time is now
        Added,             // new favourite row with count 0
        AddFailed,         // the title could not be added (unknown title, failed insert)
        Locked,            // another program holds the catalog: nothing written yet
    };

    struct FavoriteResult {
        FavoriteOutcome outcome = FavoriteOutcome::DataFailure;
        std::string title;
    };

    // A message box as the player shows it: text, caption and style bits
    // (platform/MessageBoxStyle.h); ownedByPlayer says whether the player owns the box.
    struct Notice {
        std::string text;
        std::string caption;
        long style = 0;
        bool ownedByPlayer = false;
    };

    // Works on CatalogPath() of the current user, looked up anew on every call.
    CPlayHistory();
    // Works on the catalog at catalogPath (tools and tests).
    explicit CPlayHistory(std::string catalogPath);
    virtual ~CPlayHistory();

    // Marks title as a favourite. For a title that is one already, beforeUpdate (when given)
    // runs before its count is raised, so that the notice comes first and the stored time is
    // the time it was closed; should the count then meet a lock, the outcome is Locked.
    FavoriteResult AddFavorite(const std::string& title,
                               const std::function<void(const FavoriteResult&)>& beforeUpdate = {});

    // AddFavorite without a notice: a favourite kept while the catalog was locked.
    zorbel::WriteOutcome StoreFavorite(const std::string& title);

    // Counts a play of title and records it in the play history, both or neither. kWritten
    // only when the history row landed; kNotWritten for a title the catalog does not know.
    zorbel::WriteOutcome RecordPlay(const std::string& title);

    static constexpr const char* kFavoriteCaption = "佐贝乐儿童游戏";
    static constexpr const char* kDataFailureCaption = "佐贝乐.儿童游戏";

    // The notice for a favourite outcome; DataFailure gives DataFailureNotice(siteName).
    // Locked reads as Added: the favourite is kept and lands once the catalog is free.
    static Notice FavoriteNotice(const FavoriteResult& result, const std::string& siteName);
    // "CODE:1002，程序数据被损坏，请联系" + site name + "解决！", owned by the player.
    static Notice DataFailureNotice(const std::string& siteName);
    // The maker's web site name from the settings file next to the executable.
    static std::string VendorSiteName();

private:
    std::string CatalogFile() const;

    std::string m_strCatalogPath;  // empty: the current user's catalog
};
