#include "platform/WebAddress.h"

#include <gtest/gtest.h>

using zorbel::IsWebAddress;

TEST(WebAddress, OnlyHttpAndHttpsAddressesWithAHostGoToTheBrowser) {
    for (const char* yes : {"http://ads.example/2", "HTTPS://Example.com", "https://h:8080/a?b=c"})
        EXPECT_TRUE(IsWebAddress(yes)) << yes;
    for (const char* no : {"", "http://", "https:///etc/passwd", "file:///etc/passwd",
                           "javascript:alert(1)", "smb://host/share", "ftp://h/x", "//h/x",
                           "http://h/a b", "http://h/\n", " http://h/", "xdg-open http://h/"})
        EXPECT_FALSE(IsWebAddress(no)) << no;
}

TEST(WebAddress, CatalogPathsLieOnTheConfiguredSiteAndWholeAddressesStay) {
    using zorbel::ResolveSiteAddress;
    const std::string site = "http://127.0.0.1:9000";
    EXPECT_EQ(ResolveSiteAddress("/cartoons/a.html", site),
              "http://127.0.0.1:9000/cartoons/a.html");
    EXPECT_EQ(ResolveSiteAddress("cartoons/a.html?x=1#y", site + "/"),
              "http://127.0.0.1:9000/cartoons/a.html?x=1#y");
    EXPECT_EQ(ResolveSiteAddress("//cdn.example/a.html", "https://site.example"),
              "https://cdn.example/a.html");
    // A scheme of any case keeps the address as the catalog gives it, on whatever host and port.
    for (const char* whole : {"http://127.0.0.1:8517/cartoons/a.html", "HTTPS://h/a", "about:blank",
                              "file:///etc/passwd"})
        EXPECT_EQ(ResolveSiteAddress(whole, site), whole) << whole;
    // A colon after a '/' or a '?' is no scheme.
    EXPECT_EQ(ResolveSiteAddress("/a:b.html", site), site + "/a:b.html");
    EXPECT_EQ(ResolveSiteAddress("a.html?t=1:2", site), site + "/a.html?t=1:2");
    EXPECT_EQ(ResolveSiteAddress("", site), "");
}
