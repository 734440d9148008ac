#include "platform/skin/SkinDescription.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/skin/Sha256.h"
#include "platform/skin/SkinColor.h"

namespace zorbel::skin {
namespace {

constexpr std::uintmax_t kMaxDescriptionBytes = 1 << 20;

bool ParseInt(const std::string& text, int& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < -100000 || v > 100000) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseRect(const std::string& text, SkinRect& out) {
    int v[4];
    std::stringstream in(text);
    std::string part;
    for (int i = 0; i < 4; ++i) {
        if (!std::getline(in, part, ',')) return false;
        while (!part.empty() && part.front() == ' ') part.erase(part.begin());
        if (!ParseInt(part, v[i])) return false;
    }
    if (std::getline(in, part, ',')) return false;
    out = {v[0], v[1], v[2], v[3]};
    return true;
}

bool IsColourAttribute(const std::string& name) {
    return name == "fill" || name == "fill2" || name == "border" || name == "text-color" ||
           name == "shadow";
}

bool IsNumberAttribute(const std::string& name) {
    return name == "radius" || name == "border-width" || name == "font-size" ||
           name == "picture-size" || name == "padding" || name == "alpha" || name == "bold" ||
           name == "underline" || name == "tile" || name == "row-height" || name == "fixed" ||
           name == "stretch" || name == "indent";
}

bool ReadStyle(const pugi::xml_node& node, SkinStyle& style, std::string& error) {
    for (const pugi::xml_attribute& a : node.attributes()) {
        const std::string name = a.name();
        const std::string value = a.value();
        if (name == "name" || name == "rect" || name == "visible" || name == "clickable" ||
            name == "value")
            continue;
        if (IsColourAttribute(name) && value != "none" && !ParseColour(value)) {
            error = "bad colour " + name + "=\"" + value + "\"";
            return false;
        }
        int n;
        if (IsNumberAttribute(name) && !ParseInt(value, n)) {
            error = "bad number " + name + "=\"" + value + "\"";
            return false;
        }
        if (name == "picture" &&
            (value.find("..") != std::string::npos || value.empty() || value.front() == '/')) {
            error = "picture outside the folder: " + value;
            return false;
        }
        style[name] = value;
    }
    return true;
}

bool ReadNode(const pugi::xml_node& xml, SkinNode& node, bool isItem, int depth,
              std::string& error) {
    if (depth > 16) {
        error = "items nested too deeply";
        return false;
    }
    node.name = xml.attribute("name").value();
    if (node.name.empty()) {
        error = std::string("<") + xml.name() + "> without a name";
        return false;
    }
    SkinRect r;
    const char* rect = xml.attribute("rect").value();
    if (*rect) {
        if (!ParseRect(rect, r)) {
            error = "bad rect of " + node.name;
            return false;
        }
        node.rect = r;
    }
    if (isItem) {
        node.visible = xml.attribute("visible").as_int(1) != 0;
        node.clickable = xml.attribute("clickable").as_int(0) != 0;
        node.value = xml.attribute("value").value();
    }
    if (!ReadStyle(xml, node.style, error)) return false;
    for (const pugi::xml_node& child : xml.children()) {
        if (child.type() != pugi::node_element) continue;
        const std::string tag = child.name();
        if (tag == "state") {
            const std::string stateName = child.attribute("name").value();
            if (stateName.empty()) {
                error = "state without a name in " + node.name;
                return false;
            }
            if (!ReadStyle(child, node.states[stateName], error)) return false;
        } else if (tag == "item") {
            SkinNode item;
            if (!ReadNode(child, item, true, depth + 1, error)) return false;
            node.items.push_back(std::move(item));
        } else {
            error = "unknown tag <" + tag + "> in " + node.name;
            return false;
        }
    }
    return true;
}

}  // namespace

SkinPixelRect Place(const SkinRect& r, const SkinPixelRect& parent) {
    SkinPixelRect out;
    const int x = r.x < 0 ? parent.w + r.x : r.x;
    const int y = r.y < 0 ? parent.h + r.y : r.y;
    out.x = parent.x + x;
    out.y = parent.y + y;
    out.w = r.w > 0 ? r.w : parent.w + r.w - x;
    out.h = r.h > 0 ? r.h : parent.h + r.h - y;
    if (out.w < 0) out.w = 0;
    if (out.h < 0) out.h = 0;
    return out;
}

SkinStyle SkinNode::StyleFor(const std::vector<std::string>& activeStates) const {
    SkinStyle out = style;
    for (const std::string& s : activeStates) {
        auto it = states.find(s);
        if (it == states.end()) continue;
        for (const auto& [k, v] : it->second) out[k] = v;
    }
    // A combined state ("checked+hover") overrides its parts while all of them are on: a hover
    // meant for plain buttons would otherwise wash out the selected one.
    for (const auto& [name, combined] : states) {
        if (name.find('+') == std::string::npos) continue;
        bool all = true;
        std::stringstream parts(name);
        std::string part;
        while (all && std::getline(parts, part, '+'))
            all = std::find(activeStates.begin(), activeStates.end(), part) != activeStates.end();
        if (!all) continue;
        for (const auto& [k, v] : combined) out[k] = v;
    }
    return out;
}

const SkinNode* SkinNode::FindItem(const std::string& itemName) const {
    for (const SkinNode& item : items) {
        if (item.name == itemName) return &item;
        if (const SkinNode* found = item.FindItem(itemName)) return found;
    }
    return nullptr;
}

std::string SkinLockHash(const std::string& salt, const std::string& password) {
    return Sha256Hex(salt + password);
}

SkinLoadResult ParseSkinDescription(const std::string& xml, const std::string& password) {
    SkinLoadResult result;
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        result.error = std::string("malformed description: ") + parsed.description();
        return result;
    }
    pugi::xml_node root = doc.child("skin");
    if (!root) {
        result.error = "no <skin> root";
        return result;
    }
    pugi::xml_node lock = root.child("lock");
    const std::string salt = lock.attribute("salt").value();
    const std::string hash = lock.attribute("sha256").value();
    if (!lock || hash.size() != 64) {
        result.error = "no lock";
        return result;
    }
    if (SkinLockHash(salt, password) != hash) {
        result.error = "wrong password";
        return result;
    }
    result.description.name = root.attribute("name").value();
    for (const pugi::xml_node& child : root.children()) {
        if (child.type() != pugi::node_element) continue;
        const std::string tag = child.name();
        if (tag == "lock") continue;
        if (tag != "element") {
            result.error = "unknown tag <" + tag + ">";
            return result;
        }
        SkinNode node;
        if (!ReadNode(child, node, false, 0, result.error)) return result;
        const std::string name = node.name;
        result.description.elements[name] = std::move(node);
    }
    result.ok = true;
    return result;
}

SkinLoadResult LoadSkinFolder(const std::string& folder, const std::string& password) {
    namespace fs = std::filesystem;
    SkinLoadResult result;
    std::error_code ec;
    const fs::path file = fs::path(folder) / "skin.xml";
    const auto size = fs::file_size(file, ec);
    if (ec) {
        result.error = "no description in " + folder;
        return result;
    }
    if (size > kMaxDescriptionBytes) {
        result.error = "description too large";
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        result.error = "cannot read " + file.string();
        return result;
    }
    result = ParseSkinDescription(text, password);
    if (result.ok) result.description.folder = fs::absolute(folder, ec).lexically_normal().string();
    return result;
}

}  // namespace zorbel::skin
