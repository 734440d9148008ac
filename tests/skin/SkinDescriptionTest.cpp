#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "platform/skin/SkinDescription.h"

using namespace zorbel::skin;

namespace {

const char* const kPassword = "7QOVANETHRIM";

std::string Locked(const std::string& body, const std::string& password = kPassword) {
    return "<skin name=\"t\"><lock salt=\"s1\" sha256=\"" + SkinLockHash("s1", password) + "\"/>" +
           body + "</skin>";
}

std::string SkinsDir() {
    return std::string(ZORBEL_SOURCE_DIR) + "/res/skins/";
}

}  // namespace

TEST(SkinDescription, ReadsElementsStatesAndItems) {
    SkinLoadResult r = ParseSkinDescription(
        Locked("<element name=\"changeskin\" fill=\"#ffffff\" radius=\"4\">"
               "<state name=\"hover\" fill=\"#000000\"/>"
               "<state name=\"checked+hover\" fill=\"#333333\"/>"
               "<state name=\"checked\" fill=\"#111111\" text-color=\"#222222\"/>"
               "<item name=\"radiobtn.color\" rect=\"5,-30,40,0\" clickable=\"1\">"
               "<item name=\"item.check\" visible=\"0\" value=\"x\"/></item></element>"),
        kPassword);
    ASSERT_TRUE(r.ok) << r.error;
    const SkinNode& e = r.description.elements.at("changeskin");
    EXPECT_EQ(e.style.at("fill"), "#ffffff");
    EXPECT_EQ(e.StyleFor({"hover"}).at("fill"), "#000000");
    EXPECT_EQ(e.StyleFor({}).at("fill"), "#ffffff");
    // A combined state needs all its parts, in any order, and wins over each of them.
    EXPECT_EQ(e.StyleFor({"checked"}).at("fill"), "#111111");
    for (const auto& on : {std::vector<std::string>{"checked", "hover"}, {"hover", "checked"}}) {
        EXPECT_EQ(e.StyleFor(on).at("fill"), "#333333");
        EXPECT_EQ(e.StyleFor(on).at("text-color"), "#222222");
    }
    ASSERT_EQ(e.items.size(), 1u);
    const SkinNode& radio = e.items[0];
    EXPECT_TRUE(radio.clickable);
    ASSERT_TRUE(radio.rect.has_value());
    EXPECT_EQ(radio.rect->y, -30);
    const SkinNode* check = e.FindItem("item.check");
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->visible);
    EXPECT_FALSE(check->clickable);
    EXPECT_EQ(check->value, "x");
    EXPECT_EQ(e.FindItem("item.none"), nullptr);
}

TEST(SkinDescription, LockRefusesAWrongOrMissingPassword) {
    EXPECT_FALSE(ParseSkinDescription(Locked("", "other"), kPassword).ok);
    EXPECT_FALSE(ParseSkinDescription(Locked(""), "").ok);
    EXPECT_FALSE(ParseSkinDescription("<skin><element name=\"a\"/></skin>", kPassword).ok);
    EXPECT_FALSE(
        ParseSkinDescription("<skin><lock salt=\"s\" sha256=\"abc\"/></skin>", kPassword).ok);
    EXPECT_TRUE(ParseSkinDescription(Locked(""), kPassword).ok);
}

TEST(SkinDescription, MalformedDescriptionsAreRefusedWhole) {
    const std::string bad[] = {
        "",
        "<skin",
        "not xml at all \x01\xff",
        "<other/>",
        Locked("<element name=\"a\" fill=\"#zzzzzz\"/>"),
        Locked("<element name=\"a\"><item name=\"b\" rect=\"1,2,3\"/></element>"),
        Locked("<element name=\"a\"><item name=\"b\" rect=\"1,2,3,4,5\"/></element>"),
        Locked("<element name=\"a\"><item name=\"b\" rect=\"1,x,3,4\"/></element>"),
        Locked("<element name=\"a\" radius=\"big\"/>"),
        Locked("<element name=\"a\" radius=\"99999999999\"/>"),
        Locked("<element fill=\"#ffffff\"/>"),
        Locked("<element name=\"a\"><state fill=\"#ffffff\"/></element>"),
        Locked("<element name=\"a\" picture=\"../../etc/passwd\"/>"),
        Locked("<element name=\"a\" picture=\"/etc/passwd\"/>"),
        Locked("<element name=\"a\"><blink/></element>"),
        Locked("<widget name=\"a\"/>"),
    };
    for (const std::string& text : bad) {
        SkinLoadResult r = ParseSkinDescription(text, kPassword);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_FALSE(r.error.empty()) << text;
    }
}

TEST(SkinDescription, DeepNestingIsRefusedNotRecursedForever) {
    std::string body = "<element name=\"a\">";
    for (int i = 0; i < 100; ++i) body += "<item name=\"i\">";
    for (int i = 0; i < 100; ++i) body += "</item>";
    body += "</element>";
    EXPECT_FALSE(ParseSkinDescription(Locked(body), kPassword).ok);
}

TEST(SkinDescription, PlacesItemsFromEdgesAndStretches) {
    const SkinPixelRect parent{10, 20, 200, 100};
    SkinPixelRect r = Place({5, 6, 30, 40}, parent);
    EXPECT_EQ(r.x, 15);
    EXPECT_EQ(r.y, 26);
    EXPECT_EQ(r.w, 30);
    EXPECT_EQ(r.h, 40);
    r = Place({-50, -24, 0, 0}, parent);  // a footer in the corner
    EXPECT_EQ(r.x, 160);
    EXPECT_EQ(r.y, 96);
    EXPECT_EQ(r.w, 50);
    EXPECT_EQ(r.h, 24);
    r = Place({9, 0, -9, 8}, parent);
    EXPECT_EQ(r.w, 182);
    r = Place({300, 0, 0, 0}, parent);
    EXPECT_EQ(r.w, 0);
}

TEST(SkinResources, EveryFolderLoadsWithTheResourcePassword) {
    for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"}) {
        SkinLoadResult r = LoadSkinFolder(SkinsDir() + folder, kPassword);
        EXPECT_TRUE(r.ok) << folder << ": " << r.error;
        EXPECT_FALSE(LoadSkinFolder(SkinsDir() + folder, "7QOVANETHRIN").ok) << folder;
    }
    EXPECT_FALSE(LoadSkinFolder(SkinsDir() + "NoSuchFolder", kPassword).ok);
}

TEST(SkinResources, EveryNamedElementAndItemExistsWithItsPictures) {
    std::map<std::string, SkinNode> all;
    for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"}) {
        SkinLoadResult r = LoadSkinFolder(SkinsDir() + folder, kPassword);
        ASSERT_TRUE(r.ok) << r.error;
        for (auto& [name, node] : r.description.elements) {
            // Every picture a style or state names is in the folder.
            std::function<void(const SkinNode&)> check = [&](const SkinNode& n) {
                std::vector<SkinStyle> styles{n.style};
                for (auto& [s, style] : n.states) styles.push_back(style);
                for (const SkinStyle& style : styles) {
                    auto p = style.find("picture");
                    if (p != style.end()) {
                        EXPECT_TRUE(std::filesystem::exists(SkinsDir() + folder + "/" + p->second))
                            << folder << "/" << p->second;
                    }
                }
                for (const SkinNode& item : n.items) check(item);
            };
            check(node);
            all[name] = node;
        }
    }
    const char* elements[] = {"mainframe11",
                              "winChild",
                              "winTip",
                              "changeskin",
                              "button.system.close",
                              "button.system.max",
                              "button.system.restore",
                              "button.system.min",
                              "button.system.menu",
                              "button.system.feed",
                              "item.btn.skin",
                              "tool.plim",
                              "tool.eg",
                              "tool.gs",
                              "tool.zs",
                              "tool.yx",
                              "tool.dh",
                              "tool.mm",
                              "radio.tab",
                              "item.plim.btn.NavText",
                              "item.text.link",
                              "tree.videolist",
                              "drawitem.item",
                              "item.plim.btn.Open",
                              "item.plim.btn.Play",
                              "item.plim.btn.Pause",
                              "item.plim.btn.Stop",
                              "item.plim.btn.Full",
                              "slider.hue",
                              "slider.sat",
                              "slider.bri",
                              "slider.tran"};
    for (const char* e : elements) EXPECT_TRUE(all.count(e)) << e;

    const SkinNode& main = all["mainframe11"];
    EXPECT_NE(main.FindItem("item.text"), nullptr);
    EXPECT_NE(main.FindItem("item.texture"), nullptr);
    const SkinNode& panel = all["changeskin"];
    std::vector<std::string> items = {"radiobtn.color", "radiobtn.texture", "radiobtn.theme",
                                      "drawitem.color", "drawitem.texture", "drawitem.theme"};
    for (char d = '1'; d <= '8'; ++d) items.push_back(std::string("item.color.") + d + d);
    for (char d = '1'; d <= '9'; ++d) items.push_back(std::string("item.texture.") + d + d);
    for (char d = '1'; d <= '4'; ++d) items.push_back(std::string("item.theme.") + d + d);
    for (const std::string& name : items) EXPECT_NE(panel.FindItem(name), nullptr) << name;
    for (const char* radio : {"radiobtn.color", "radiobtn.texture", "radiobtn.theme"}) {
        const SkinNode* r = panel.FindItem(radio);
        ASSERT_NE(r, nullptr);
        EXPECT_NE(r->FindItem("item.check"), nullptr);
        EXPECT_NE(r->FindItem("item.uncheck"), nullptr);
    }
    // The texture values "skin.texture11".."88" all have a picture.
    for (char d = '1'; d <= '8'; ++d)
        EXPECT_TRUE(std::filesystem::exists(SkinsDir() + "Zorbel/texture" + d + d + ".svg"));
}
