#include <gtest/gtest.h>

#include "parent/WalledGarden.h"

using zorbel::parent::WalledGarden;

TEST(WalledGardenTest, OnlyTheConfiguredHostsAreWithin) {
    const WalledGarden garden({"http://127.0.0.1:8517", "https://Maker.Example", "not an address"});
    for (const char* inside :
         {"http://127.0.0.1:8517/plimad.asp?from=shop", "http://127.0.0.1:8517",
          "HTTPS://maker.example:443/page#top", "https://maker.example?x=1", "about:blank"})
        EXPECT_TRUE(garden.Allows(inside)) << inside;
    for (const char* outside :
         {"http://127.0.0.1:8518/", "http://127.0.0.1/", "http://maker.example/",
          "https://maker.example.evil.example/", "https://maker.example@evil.example/",
          "https://evil.example/?https://maker.example", "file:///etc/passwd",
          "javascript:alert(1)", "", "about:config"})
        EXPECT_FALSE(garden.Allows(outside)) << outside;
}

// The movie player's walls: block everything, then let through the player's own scheme, data
// and blob addresses and the configured hosts, dots taken literally; an address the blocker's
// patterns cannot say safely gets no opening.
TEST(WalledGardenTest, ContentRulesOpenOnlyTheOwnSchemeAndTheHosts) {
    const WalledGarden garden({"http://127.0.0.1:8517/x", "https://Maker.Example", "http://a\"b/"});
    const std::string block = R"({"trigger":{"url-filter":".*"},"action":{"type":"block"}})";
    auto open = [](const std::string& filter) {
        return R"({"trigger":{"url-filter":")" + filter +
               R"("},"action":{"type":"ignore-previous-rules"}})";
    };
    EXPECT_EQ(garden.ContentRules("zorbel"), "[" + block + "," + open("^zorbel:") + "," +
                                                 open("^data:") + "," + open("^blob:") + "," +
                                                 open(R"(^http://127\\.0\\.0\\.1:8517/)") + "," +
                                                 open(R"(^https://maker\\.example:443/)") + "," +
                                                 open(R"(^https://maker\\.example/)") + "]");
}
