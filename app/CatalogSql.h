#pragma once

#include <string>

// Every statement the program sends to the catalog database, in one place. Column positions
// read from the results are fixed by the tables (every read selects all columns):
//   T_Sys_Skins        1 f_H, 2 f_S, 3 f_B (int), 4 f_texture, 5 f_Theme, 6 f_UserID
//   T_Raruri_Class     1 class id (int), 2 class name
//   T_Raruri_FileList  0 f_FileID (read as text), 2 f_ProgramName, 4 f_Clicks (int)
//   T_Raruri_MovieClass 0 class id (int), 1 class name
//   T_Raruri_MovieList 2 cartoon name, 3 cartoon address
//   T_Raruri_Played / T_Raruri_Favorites  1 f_FileID (text), 3 f_Clicks (int)
//   V_Raruri_Played / V_Raruri_Favorites  5 f_ProgramName
//
// Text values go between single quotes with every quote doubled, so a name with a quote
// neither breaks nor changes a statement. A file id is the text the database gave for
// f_FileID and goes in bare; unless it is a plain integer, the builder returns the empty
// text and the caller skips the statement. Likewise a type id that is not a plain integer.
namespace zorbel::sql {

constexpr int kSkinHue = 1, kSkinSaturation = 2, kSkinBrightness = 3, kSkinTexture = 4;
constexpr int kClassId = 1, kClassName = 2;
constexpr int kFileId = 0, kFileProgramName = 2, kFileClicks = 4;
constexpr int kMovieClassId = 0, kMovieClassName = 1;
constexpr int kMovieName = 2, kMovieAddress = 3;
constexpr int kRecordFileId = 1, kRecordClicks = 3;
constexpr int kViewProgramName = 5;

// Class of the titles that feed the recommended list.
constexpr int kRecommendedClass = 4;

// The value between single quotes as it has to appear in a statement: quotes doubled, and
// cut at a zero byte (the statement text ends there).
std::string Quote(const std::string& value);

// True for an optional '-' followed by 1 to 18 decimal digits and nothing else.
bool IsPlainInteger(const std::string& text);

// Appearance (T_Sys_Skins).
std::string SqlSkinRowsFor(const std::string& userId);
std::string SqlUpdateSkin(int hue, int saturation, int brightness, const std::string& texture,
                          const std::string& theme, const std::string& userId);
std::string SqlInsertSkin(int hue, int saturation, int brightness, const std::string& texture,
                          const std::string& theme, const std::string& userId);

// Catalog tree.
std::string SqlClassesOfType(const std::string& typeDigit);
std::string SqlTitlesOfClass(int classId);
// SqlTitlesOfClass with the class id left as parameter 1, for one statement that serves every
// class of a load (CSqlStatement::Rebind).
std::string SqlTitlesOfBoundClass();
std::string SqlMovieClasses();
std::string SqlMoviesOfClass(int classId);

// Quick lists.
std::string SqlRecommended();
std::string SqlFavoritesList(const std::string& userId);
std::string SqlPlayedList(const std::string& userId);

// Play history and favourites. A name holding a LIKE wildcard ('%' or '_') gets them
// escaped and an ESCAPE clause, so it matches only itself.
std::string SqlTitleByName(const std::string& name);
// The type digit (1 songs, 2 stories, 3 knowledge, 4 games) of the first title named name.
std::string SqlTypeOfTitle(const std::string& name);
std::string SqlUpdateClicks(int clicks, const std::string& fileId);
std::string SqlPlayedOf(const std::string& fileId);
std::string SqlUpdatePlayed(int clicks, const std::string& fileId);
std::string SqlInsertPlayed(const std::string& fileId, const std::string& userId);
std::string SqlFavoriteOf(const std::string& fileId);
std::string SqlUpdateFavorite(int clicks, const std::string& fileId);
std::string SqlInsertFavorite(const std::string& fileId, const std::string& userId);

}  // namespace zorbel::sql
