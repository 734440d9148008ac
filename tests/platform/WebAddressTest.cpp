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
