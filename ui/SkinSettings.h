#pragma once

#include <string>

// The stored appearance (T_Sys_Skins) and the fixed values behind the skin panel's items.
// Window-free: the skin dialog and its tests call these and act on the results.
namespace zorbel::skinsettings {

// Ranges of the four trackbars.
constexpr int kHueMin = -180, kHueMax = 180;
constexpr int kSaturationMin = -100, kSaturationMax = 100;
constexpr int kBrightnessMin = -100, kBrightnessMax = 100;
constexpr int kTransparencyMin = 30, kTransparencyMax = 255;

struct Appearance {
    int hue = 0;
    int saturation = 0;
    int brightness = 0;
    std::string texture;
};

// What the stored appearance of userId is, read as start-up reads it: zeros and no texture
// when no row matches, the last row returned when several do. `found` is false when the
// catalog is missing, does not open, is damaged or is held by another program's lock; the
// appearance then holds the zeros.
struct StoredAppearance {
    bool found = false;
    Appearance appearance;
};
StoredAppearance ReadStoredAppearance(const std::string& catalogPath, const std::string& userId);

enum class SaveOutcome {
    kUpdated,     // a row existed and was rewritten
    kInserted,    // there was none; one was added
    kNoCatalog,   // the catalog is missing or does not open: nothing was written
    kNotWritten,  // the catalog opened but the statement did not run
    kDamaged,     // the catalog's data are damaged: nothing was written
    kLocked,      // another program holds the catalog: nothing was written yet
};
// Updates userId's row with the values, or inserts one when there is none.
SaveOutcome SaveSkinSettings(const std::string& catalogPath, const Appearance& values,
                             const std::string& theme, const std::string& userId);

// What a named item of the "changeskin" panel stands for.
enum class ItemKind { kNone, kColour, kTexture, kTheme };
struct SkinItem {
    ItemKind kind = ItemKind::kNone;
    int hue = 0;
    int saturation = 0;
    int brightness = 0;
    std::string texture;  // a texture item's texture name (empty for "item.texture.99")
};
// By exact name: "item.color.11".."item.color.88", "item.texture.11".."item.texture.99",
// "item.theme.11".."item.theme.44" (the two digits equal); kNone for anything else.
SkinItem LookUpItem(const std::string& name);

// The window's alpha for a transparency position: 285 − position, so the minimum 30 is
// opaque (255) and the maximum 255 gives 30. Positions outside the range are taken at the
// nearest end.
int AlphaForTransparency(int position);

}  // namespace zorbel::skinsettings
