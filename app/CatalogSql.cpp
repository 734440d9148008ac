#include "app/CatalogSql.h"

namespace zorbel::sql {

namespace {

// "LIKE '<pattern>'" matching value literally. A value without wildcards keeps the plain
// form; one with '%' or '_' has them escaped with '\' and names that escape character.
std::string LikeLiteral(const std::string& value) {
    const std::string quoted = Quote(value);
    if (quoted.find_first_of("%_") == std::string::npos) return "LIKE '" + quoted + "'";
    std::string pattern;
    pattern.reserve(quoted.size() + 8);
    for (char c : quoted) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return "LIKE '" + pattern + "' ESCAPE '\\'";
}

}  // namespace

std::string Quote(const std::string& value) {
    std::string out;
    out.reserve(value.size() + 4);
    for (char c : value) {
        if (c == '\0') break;
        if (c == '\'') out += '\'';
        out += c;
    }
    return out;
}

bool IsPlainInteger(const std::string& text) {
    std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
    const std::size_t digits = text.size() - i;
    if (digits == 0 || digits > 18) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

std::string SqlSkinRowsFor(const std::string& userId) {
    return "SELECT * FROM T_Sys_Skins WHERE f_UserID " + LikeLiteral(userId);
}

std::string SqlUpdateSkin(int hue, int saturation, int brightness, const std::string& texture,
                          const std::string& theme, const std::string& userId) {
    return "UPDATE T_Sys_Skins SET f_H=" + std::to_string(hue) +
           ", f_S=" + std::to_string(saturation) + ", f_B=" + std::to_string(brightness) +
           ", f_texture='" + Quote(texture) + "', f_Theme='" + Quote(theme) + "' WHERE f_UserID='" +
           Quote(userId) + "'";
}

std::string SqlInsertSkin(int hue, int saturation, int brightness, const std::string& texture,
                          const std::string& theme, const std::string& userId) {
    return "INSERT INTO T_Sys_Skins VALUES (NULL, " + std::to_string(hue) + ", " +
           std::to_string(saturation) + ", " + std::to_string(brightness) + ", '" + Quote(texture) +
           "', '" + Quote(theme) + "', '" + Quote(userId) + "')";
}

std::string SqlClassesOfType(const std::string& typeDigit) {
    if (!IsPlainInteger(typeDigit)) return std::string();
    return "SELECT * FROM T_Raruri_Class WHERE f_TypeID=" + typeDigit;
}

std::string SqlTitlesOfClass(int classId) {
    return "SELECT * FROM T_Raruri_FileList WHERE f_ClassID=" + std::to_string(classId);
}

std::string SqlTitlesOfBoundClass() {
    return "SELECT * FROM T_Raruri_FileList WHERE f_ClassID=?";
}

std::string SqlMovieClasses() {
    return "SELECT * FROM T_Raruri_MovieClass";
}

std::string SqlMoviesOfClass(int classId) {
    return "SELECT * FROM T_Raruri_MovieList WHERE f_ClassID=" + std::to_string(classId);
}

std::string SqlRecommended() {
    return "SELECT * FROM T_Raruri_FileList  WHERE f_ClassID=4 ORDER BY RANDOM(f_ProgramName) "
           "DESC limit 22";
}

std::string SqlFavoritesList(const std::string& userId) {
    return "SELECT * FROM V_Raruri_Favorites WHERE f_UserID='" + Quote(userId) +
           "' ORDER BY f_FavTime DESC";
}

std::string SqlPlayedList(const std::string& userId) {
    return "SELECT * FROM V_Raruri_Played WHERE f_UserID='" + Quote(userId) +
           "' ORDER BY f_PlayTime DESC limit 22";
}

std::string SqlTitleByName(const std::string& name) {
    return "SELECT * FROM T_Raruri_FileList WHERE f_ProgramName " + LikeLiteral(name);
}

std::string SqlTypeOfTitle(const std::string& name) {
    return "SELECT c.f_TypeID FROM T_Raruri_FileList AS f JOIN T_Raruri_Class AS c "
           "ON c.f_ClassID = f.f_ClassID WHERE f.f_ProgramName " +
           LikeLiteral(name) + " LIMIT 1";
}

std::string SqlUpdateClicks(int clicks, const std::string& fileId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "UPDATE T_Raruri_FileList SET f_Clicks=" + std::to_string(clicks) +
           " WHERE f_FileID=" + fileId;
}

std::string SqlPlayedOf(const std::string& fileId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "SELECT * FROM T_Raruri_Played WHERE f_FileID=" + fileId;
}

std::string SqlUpdatePlayed(int clicks, const std::string& fileId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "UPDATE T_Raruri_Played SET f_Clicks=" + std::to_string(clicks) +
           ", f_PlayTime=(datetime('now', 'localtime')) WHERE f_FileID=" + fileId;
}

std::string SqlInsertPlayed(const std::string& fileId, const std::string& userId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "INSERT INTO T_Raruri_Played VALUES (NULL, " + fileId +
           ", (datetime('now', 'localtime')), 0, '" + Quote(userId) + "')";
}

std::string SqlFavoriteOf(const std::string& fileId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "SELECT * FROM T_Raruri_Favorites WHERE f_FileID=" + fileId;
}

std::string SqlUpdateFavorite(int clicks, const std::string& fileId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "UPDATE T_Raruri_Favorites SET f_Clicks=" + std::to_string(clicks) +
           ", f_FavTime=(datetime('now', 'localtime')) WHERE f_FileID=" + fileId;
}

std::string SqlInsertFavorite(const std::string& fileId, const std::string& userId) {
    if (!IsPlainInteger(fileId)) return std::string();
    return "INSERT INTO T_Raruri_Favorites VALUES (NULL, " + fileId +
           ", (datetime('now', 'localtime')), 0, '" + Quote(userId) + "')";
}

}  // namespace zorbel::sql
