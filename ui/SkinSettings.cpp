#include "ui/SkinSettings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"

namespace zorbel::skinsettings {
namespace {

struct Preset {
    int hue;
    int saturation;
    int brightness;
};

// Shared by the colour item and the texture item with the same two digits.
constexpr Preset kPresets[] = {
    {10, -30, 0},   {0, 0, 0},      {108, -35, 0},  {136, 0, 0},
    {-180, -25, 0}, {-150, -25, 0}, {-100, -49, 0}, {23, -100, 0},
};
// The ninth texture clears the texture and takes the first preset's colours.
constexpr Preset kPlainTexture = {10, -30, 0};

// Opens the catalog; null when the file is missing or does not open.
CDbVelaLite* OpenCatalog(const std::string& catalogPath) {
    std::error_code error;
    if (catalogPath.empty() || !std::filesystem::is_regular_file(catalogPath, error))
        return nullptr;
    auto* db = new CDbVelaLite();
    if (!db->Open(catalogPath, zorbel::files::kCatalogKey)) {
        delete db;
        return nullptr;
    }
    return db;
}

// The digit d of a name that ends in ".dd" after prefix, or 0.
int TwinDigit(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + 2 || name.compare(0, prefix.size(), prefix) != 0) return 0;
    const char first = name[prefix.size()];
    const char second = name[prefix.size() + 1];
    if (first != second || first < '1' || first > '9') return 0;
    return first - '0';
}

}  // namespace

StoredAppearance ReadStoredAppearance(const std::string& catalogPath, const std::string& userId) {
    StoredAppearance result;
    CDbVelaLite* db = OpenCatalog(catalogPath);
    if (db == nullptr) return result;
    result.found = true;
    CSqlStatement* statement = db->Prepare(zorbel::sql::SqlSkinRowsFor(userId));
    while (statement != nullptr && statement->NextRow()) {
        result.appearance.hue = statement->ColumnInt(zorbel::sql::kSkinHue);
        result.appearance.saturation = statement->ColumnInt(zorbel::sql::kSkinSaturation);
        result.appearance.brightness = statement->ColumnInt(zorbel::sql::kSkinBrightness);
        result.appearance.texture = statement->ColumnText(zorbel::sql::kSkinTexture);
    }
    delete statement;
    // Zeros from a damaged table, or from one another program keeps us from reading, are no
    // stored appearance.
    if (db->MetDamage() || db->MetLock()) result = StoredAppearance();
    delete db;
    return result;
}

SaveOutcome SaveSkinSettings(const std::string& catalogPath, const Appearance& values,
                             const std::string& theme, const std::string& userId) {
    CDbVelaLite* db = OpenCatalog(catalogPath);
    if (db == nullptr) return SaveOutcome::kNoCatalog;
    if (db->MetLock()) {
        delete db;
        return SaveOutcome::kLocked;
    }

    bool rowExists = false;
    CSqlStatement* statement = db->Prepare(zorbel::sql::SqlSkinRowsFor(userId));
    while (statement != nullptr && statement->NextRow()) rowExists = true;
    delete statement;

    // A lookup that did not finish cannot tell an update from an insert.
    const bool lookedUp = !db->MetDamage() && !db->MetLock();
    bool written = false;
    if (lookedUp && rowExists) {
        written = db->ExecuteSql(zorbel::sql::SqlUpdateSkin(
            values.hue, values.saturation, values.brightness, values.texture, theme, userId));
    } else if (lookedUp) {
        written = db->ExecuteSql(zorbel::sql::SqlInsertSkin(
            values.hue, values.saturation, values.brightness, values.texture, theme, userId));
    }
    const bool damaged = db->MetDamage();
    const bool locked = db->MetLock();
    delete db;
    if (damaged) return SaveOutcome::kDamaged;
    if (locked) return SaveOutcome::kLocked;
    if (!written) return SaveOutcome::kNotWritten;
    return rowExists ? SaveOutcome::kUpdated : SaveOutcome::kInserted;
}

SkinItem LookUpItem(const std::string& name) {
    SkinItem item;
    if (int digit = TwinDigit(name, "item.color."); digit >= 1 && digit <= 8) {
        const Preset& preset = kPresets[digit - 1];
        item.kind = ItemKind::kColour;
        item.hue = preset.hue;
        item.saturation = preset.saturation;
        item.brightness = preset.brightness;
    } else if (int digit = TwinDigit(name, "item.texture."); digit >= 1) {
        const Preset& preset = digit == 9 ? kPlainTexture : kPresets[digit - 1];
        item.kind = ItemKind::kTexture;
        item.hue = preset.hue;
        item.saturation = preset.saturation;
        item.brightness = preset.brightness;
        if (digit != 9) item.texture = "skin.texture" + name.substr(name.size() - 2);
    } else if (int digit = TwinDigit(name, "item.theme."); digit >= 1 && digit <= 4) {
        item.kind = ItemKind::kTheme;
    }
    return item;
}

int AlphaForTransparency(int position) {
    return 285 - std::clamp(position, kTransparencyMin, kTransparencyMax);
}

}  // namespace zorbel::skinsettings
