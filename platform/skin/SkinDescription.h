#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorbel::skin {

// A rectangle of an item inside its parent. Negative x/y count from the parent's right/bottom
// edge; a width/height of zero or less stretches to the parent's edge less that amount.
struct SkinRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

struct SkinPixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

SkinPixelRect Place(const SkinRect& rect, const SkinPixelRect& parent);

// Drawing attributes as written in the description (fill, fill2, border, radius, picture...).
using SkinStyle = std::map<std::string, std::string>;

// An element or one of its (direct-UI) items.
struct SkinNode {
    std::string name;
    // An item's place in its parent; for an element, where a child window skinned with it
    // goes in its parent (the skin, not the dialog template, lays out such a panel).
    std::optional<SkinRect> rect;
    SkinStyle style;
    std::map<std::string, SkinStyle> states;  // hover, pressed, checked, selected, branch...
    std::vector<SkinNode> items;
    bool visible = true;
    bool clickable = false;
    std::string value;

    // The style in effect for the given states, applied in the order given, then the combined
    // states ("checked+hover") whose parts are all given.
    SkinStyle StyleFor(const std::vector<std::string>& activeStates) const;
    const SkinNode* FindItem(const std::string& itemName) const;  // depth-first
};

struct SkinDescription {
    std::string name;
    std::string folder;  // absolute folder the pictures are read from
    std::map<std::string, SkinNode> elements;
};

struct SkinLoadResult {
    bool ok = false;
    std::string error;
    SkinDescription description;
};

// Reads a description. It loads only when its lock (a salted SHA-256 of the resource
// password) matches `password`; malformed text, bad colours or numbers fail the whole file.
SkinLoadResult ParseSkinDescription(const std::string& xml, const std::string& password);

// Reads `folder`/skin.xml; the folder becomes the description's picture folder.
SkinLoadResult LoadSkinFolder(const std::string& folder, const std::string& password);

// The lock line a description carries for a password (used when writing resources).
std::string SkinLockHash(const std::string& salt, const std::string& password);

}  // namespace zorbel::skin
