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
