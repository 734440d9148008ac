// libFuzzer target: any text as a skin description, read with the program's own password both
// as it stands (the lock of a real description survives most mutations) and inside a locked
// <skin> root, so that fuzzed elements reach the element reader whatever their lock says.
// A description that loads is then used the way the painter uses it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/StartupSequence.h"
#include "platform/skin/SkinDescription.h"

namespace {

using namespace zorbel::skin;

void Use(const SkinNode& node, const SkinPixelRect& parent, int depth) {
    if (node.name.empty() || depth > 17) std::abort();
    std::vector<std::string> states;
    for (const auto& [name, style] : node.states) states.push_back(name);
    node.StyleFor(states);
    const SkinPixelRect placed = node.rect ? Place(*node.rect, parent) : parent;
    if (placed.w < 0 || placed.h < 0) std::abort();
    for (const SkinNode& item : node.items) {
        if (node.FindItem(item.name) == nullptr) std::abort();
        Use(item, placed, depth + 1);
    }
}

void ParseAndUse(const std::string& text) {
    const SkinLoadResult result = ParseSkinDescription(text, CStartupSequence::kSkinPassword);
    if (!result.ok) return;
    for (const auto& [name, element] : result.description.elements) {
        if (name != element.name) std::abort();
        Use(element, SkinPixelRect{0, 0, 1024, 768}, 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseAndUse(text);
    static const std::string lock = "<skin><lock salt=\"\" sha256=\"" +
                                    SkinLockHash("", CStartupSequence::kSkinPassword) + "\"/>";
    ParseAndUse(lock + text + "</skin>");
    return 0;
}
