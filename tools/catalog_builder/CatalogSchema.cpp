#include "tools/catalog_builder/CatalogSchema.h"

namespace zorbel::catalogbuild {

const std::vector<const char*>& CatalogSchemaStatements() {
    static const std::vector<const char*> statements = {
        // Saved appearance; the program inserts all seven values itself, row id as NULL.
        "CREATE TABLE T_Sys_Skins("
        "f_ID INTEGER PRIMARY KEY, f_H INTEGER, f_S INTEGER, f_B INTEGER, "
        "f_texture TEXT, f_Theme TEXT, f_UserID TEXT)",

        "CREATE TABLE T_Raruri_Class("
        "f_ID INTEGER PRIMARY KEY, f_ClassID INTEGER NOT NULL UNIQUE, f_ClassName TEXT NOT NULL, "
        "f_TypeID INTEGER NOT NULL)",

        "CREATE TABLE T_Raruri_FileList("
        "f_FileID INTEGER PRIMARY KEY, f_ClassID INTEGER NOT NULL, f_ProgramName TEXT NOT NULL, "
        "f_Describe TEXT, f_Clicks INTEGER DEFAULT 0)",

        "CREATE TABLE T_Raruri_MovieClass("
        "f_ClassID INTEGER PRIMARY KEY, f_ClassName TEXT NOT NULL)",

        "CREATE TABLE T_Raruri_MovieList("
        "f_ID INTEGER PRIMARY KEY, f_ClassID INTEGER NOT NULL, f_MovieName TEXT NOT NULL, "
        "f_Url TEXT NOT NULL)",

        // History and favourites; the program inserts all five values itself, row id as NULL.
        "CREATE TABLE T_Raruri_Played("
        "f_ID INTEGER PRIMARY KEY, f_FileID INTEGER, f_PlayTime TEXT, f_Clicks INTEGER, f_UserID "
        "TEXT)",

        "CREATE TABLE T_Raruri_Favorites("
        "f_ID INTEGER PRIMARY KEY, f_FileID INTEGER, f_FavTime TEXT, f_Clicks INTEGER, f_UserID "
        "TEXT)",

        // The quick lists read position 5 of these views as the title's name.
        "CREATE VIEW V_Raruri_Played AS SELECT "
        "p.f_ID AS f_ID, p.f_FileID AS f_FileID, p.f_PlayTime AS f_PlayTime, p.f_Clicks AS "
        "f_Clicks, "
        "p.f_UserID AS f_UserID, f.f_ProgramName AS f_ProgramName, f.f_ClassID AS f_ClassID "
        "FROM T_Raruri_Played AS p JOIN T_Raruri_FileList AS f ON f.f_FileID = p.f_FileID",

        "CREATE VIEW V_Raruri_Favorites AS SELECT "
        "v.f_ID AS f_ID, v.f_FileID AS f_FileID, v.f_FavTime AS f_FavTime, v.f_Clicks AS f_Clicks, "
        "v.f_UserID AS f_UserID, f.f_ProgramName AS f_ProgramName, f.f_ClassID AS f_ClassID "
        "FROM T_Raruri_Favorites AS v JOIN T_Raruri_FileList AS f ON f.f_FileID = v.f_FileID",

        // Loading a type queries titles class by class; without this index a large catalog is
        // scanned once per class.
        "CREATE INDEX IX_Raruri_FileList_ClassID ON T_Raruri_FileList(f_ClassID)",
        "CREATE INDEX IX_Raruri_Class_TypeID ON T_Raruri_Class(f_TypeID)",
        "CREATE INDEX IX_Raruri_MovieList_ClassID ON T_Raruri_MovieList(f_ClassID)",
        // Every play and every favourite looks its title up in these by file id.
        "CREATE INDEX IX_Raruri_Played_FileID ON T_Raruri_Played(f_FileID)",
        "CREATE INDEX IX_Raruri_Favorites_FileID ON T_Raruri_Favorites(f_FileID)",
    };
    return statements;
}

}  // namespace zorbel::catalogbuild
