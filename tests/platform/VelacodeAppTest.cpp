#include <gtest/gtest.h>

#include <string>

#include "platform/VelacodeApp.h"

namespace {

std::string Encode(const std::string& url) {
    return CVelacodeApp().EncodeUrl(url);
}

TEST(VelacodeApp, PathsPassUnchanged) {
    CVelacodeApp code;
    EXPECT_EQ(code.PathEncode("/home/用户/.local/share/Zorbel/ZorbelPlim.dat"),
              "/home/用户/.local/share/Zorbel/ZorbelPlim.dat");
    EXPECT_EQ(code.PathEncode(""), "");
}

TEST(VelacodeApp, TitleNamesInDownloadAddressesArePercentEncoded) {
    EXPECT_EQ(Encode("http://127.0.0.1:8517/vudevu/fla/Plain-name_1.2~x.swf"),
              "http://127.0.0.1:8517/vudevu/fla/Plain-name_1.2~x.swf");
    EXPECT_EQ(Encode("http://127.0.0.1:8517/vudevu/fla/小兔子.swf"),
              "http://127.0.0.1:8517/vudevu/fla/%E5%B0%8F%E5%85%94%E5%AD%90.swf");
    EXPECT_EQ(Encode("http://h/vudevu/fla/two words.swf"), "http://h/vudevu/fla/two%20words.swf");
    EXPECT_EQ(Encode("http://h/vudevu/fla/100%.swf"), "http://h/vudevu/fla/100%25.swf");
    EXPECT_EQ(Encode("http://h/vudevu/fla/a#b?c=d&e.swf"),
              "http://h/vudevu/fla/a%23b%3Fc%3Dd%26e.swf");
    EXPECT_EQ(Encode("http://h/vudevu/fla/Tom's \"day\".swf"),
              "http://h/vudevu/fla/Tom%27s%20%22day%22.swf");
    EXPECT_EQ(Encode("https://h:1/vudevu/fla/a:b+c\\d.swf"),
              "https://h:1/vudevu/fla/a%3Ab%2Bc%5Cd.swf");
    // Bytes that are no valid UTF-8 are carried over all the same.
    EXPECT_EQ(Encode(std::string("http://h/x\xff\x01.swf")), "http://h/x%FF%01.swf");
}

TEST(VelacodeApp, AddressesWithoutSchemeOrPathAreHandled) {
    EXPECT_EQ(Encode("http://127.0.0.1:8517"), "http://127.0.0.1:8517");
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(Encode("/vudevu/fla/a b.swf"), "/vudevu/fla/a%20b.swf");
    EXPECT_EQ(Encode("://x/a b"), "%3A//x/a%20b");
    // The first '?' or '#' ends the host, and is encoded like the rest.
    EXPECT_EQ(Encode("http://h?x y"), "http://h%3Fx%20y");
}

}  // namespace
