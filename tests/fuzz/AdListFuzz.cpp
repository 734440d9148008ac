// libFuzzer target: any text as the advertisement list, through the list reader and through a
// free walk of the document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "mainwnd/AdList.h"
#include "platform/Markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<AdEntry> entries(1);
    const size_t appended = zorbel::mainwnd::AppendAdEntries(text, entries);
    if (entries.size() != appended + 1) std::abort();
    // Labels and addresses are valid UTF-8, so cleaning them again changes nothing.
    for (const AdEntry& e : entries) {
        if (zorbel::mainwnd::ValidUtf8(e.text) != e.text ||
            zorbel::mainwnd::ValidUtf8(e.url) != e.url) {
            std::abort();
        }
    }
    if (zorbel::mainwnd::ValidUtf8(zorbel::mainwnd::ValidUtf8(text)) !=
        zorbel::mainwnd::ValidUtf8(text)) {
        std::abort();
    }

    CMarkup xml;
    const bool loaded = xml.LoadXML(text);
    size_t children = 0;
    while (xml.FindElem()) {
        while (xml.FindChildElem("")) {
            xml.GetChildAttrib("Text");
            ++children;
        }
    }
    if (!loaded && children != 0) std::abort();
    // Going back to the start walks the same document again.
    xml.ResetMainPos();
    size_t again = 0;
    while (xml.FindChildElem("File")) ++again;
    if (again != appended) std::abort();
    return 0;
}
