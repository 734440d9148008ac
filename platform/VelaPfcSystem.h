#pragma once

#include <string>

// Where the program's files are: the executable's folder (settings file, skins, the player's
// files and the shipped data) and the per-user data folder (catalog database and the
// substitute title file). Holds no data; any number of objects may exist at once, on any
// thread.
class CVelaPfcSystem {
public:
    CVelaPfcSystem();
    virtual ~CVelaPfcSystem();

    // The executable's folder, ending in '/'. Empty when it cannot be found out.
    std::string GetExePath();

    // The data folder, ending in '/': $XDG_DATA_HOME/Zorbel/, by default
    // ~/.local/share/Zorbel/. The folder is created when missing, and when it holds no
    // "ZorbelPlim.dat" yet, the catalog and "Velaone.dll" shipped in the executable folder's
    // data/ are copied into it first; an existing catalog is never replaced. The path is
    // returned even when that fails, so that the caller finds no catalog there and says so;
    // it is empty only when there is no home folder at all. Every user id shares the one
    // folder (the program only ever passes the empty one).
    std::string GetDbPath(const std::string& userId);

    // Tests are not the program's executable: they name the folder that GetExePath reports
    // (with or without the trailing '/'). An empty folder returns to the real one.
    static void SetExeFolderOverride(const std::string& folder);

    static constexpr const char* kCatalogFileName = "ZorbelPlim.dat";
    static constexpr const char* kSubstituteFileName = "Velaone.dll";
    static constexpr const char* kShippedDataFolder = "data/";
};
