// Reading the advertisement list: the accepted shape, what is skipped, and hostile documents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mainwnd/AdList.h"

using zorbel::mainwnd::AppendAdEntries;
using zorbel::mainwnd::ValidUtf8;

namespace {

std::vector<AdEntry> Read(const std::string& document) {
    std::vector<AdEntry> entries;
    const std::size_t appended = AppendAdEntries(document, entries);
    EXPECT_EQ(appended, entries.size());
    return entries;
}

}  // namespace

TEST(AdList, FileChildrenOfTheFirstElementInDocumentOrder) {
    const auto entries = Read(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<AdList>\n"
        "  <File Text=\"小兔子\" Url=\"http://a/1\"/>\n"
        "  <Other Text=\"skipped\" Url=\"http://x\"/>\n"
        "  <File Text=\"second\" Url=\"http://a/2\"><File Text=\"nested\" Url=\"n\"/></File>\n"
        "  <File Url=\"http://a/3\"/>\n"
        "  <File Text=\"no url\"/>\n"
        "</AdList>\n"
        "<!-- after the root -->");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].text, "小兔子");
    EXPECT_EQ(entries[0].url, "http://a/1");
    EXPECT_EQ(entries[1].text, "second");
    EXPECT_EQ(entries[1].url, "http://a/2");
    EXPECT_EQ(entries[2].text, "");
    EXPECT_EQ(entries[2].url, "http://a/3");
    EXPECT_EQ(entries[3].text, "no url");
    EXPECT_EQ(entries[3].url, "");
}

TEST(AdList, RootOfAnyNameAndAttributesDecoded) {
    const auto entries = Read("<x><File Text=\"a &amp; b\" Url=\"u?a=1&amp;b=2\"/></x>");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "a & b");
    EXPECT_EQ(entries[0].url, "u?a=1&b=2");
}

TEST(AdList, AppendsToWhatIsThere) {
    std::vector<AdEntry> entries{{"old", "o"}};
    EXPECT_EQ(AppendAdEntries("<r><File Text=\"new\" Url=\"n\"/></r>", entries), 1u);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "old");
    EXPECT_EQ(entries[1].text, "new");
}

TEST(AdList, NothingFromTextThatIsNoList) {
    EXPECT_TRUE(Read("").empty());
    EXPECT_TRUE(Read("<html><body>502 Bad Gateway</body></html>").empty());
    EXPECT_TRUE(Read("not xml at all").empty());
    EXPECT_TRUE(Read("<r><File Text=\"a\" Url=\"b\"/>").empty());  // never closed
    EXPECT_TRUE(Read("<r><File Text=\"a\" Url=\"b\"/></x>").empty());
    EXPECT_TRUE(Read("<r></r>").empty());
    EXPECT_TRUE(Read(std::string("<r><File Text=\"a\0b\" Url=\"c\"/></r>", 34)).size() <= 1u);
    // Only the first element's children count.
    EXPECT_TRUE(Read("<r><x><File Text=\"deep\" Url=\"d\"/></x></r>").empty());
}

TEST(AdList, ThousandsOfEntriesAreAllRead) {
    std::string document = "<AdList>";
    for (int i = 0; i < 5000; ++i)
        document +=
            "<File Text=\"t" + std::to_string(i) + "\" Url=\"u" + std::to_string(i) + "\"/>";
    document += "</AdList>";
    const auto entries = Read(document);
    ASSERT_EQ(entries.size(), 5000u);
    EXPECT_EQ(entries[4999].text, "t4999");
    EXPECT_EQ(entries[0].url, "u0");
}

TEST(AdList, DeepNestingNeitherCrashesNorCounts) {
    std::string document = "<r><File Text=\"top\" Url=\"u\"/>";
    for (int i = 0; i < 200000; ++i) document += "<File>";
    for (int i = 0; i < 200000; ++i) document += "</File>";
    document += "</r>";
    const auto entries = Read(document);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "top");
    EXPECT_EQ(entries[1].text, "");
}

TEST(AdList, EntitiesAreNotExpanded) {
    // A document type with nested entities (the "billion laughs") must not blow up.
    std::string document = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">";
    for (int i = 1; i < 10; ++i)
        document += "<!ENTITY a" + std::to_string(i) + " \"" + std::string(10, '&') + "\">";
    document += "]><r><File Text=\"&a9;\" Url=\"&a;\"/><File Text=\"plain\" Url=\"p\"/></r>";
    const auto entries = Read(document);
    // Whatever the reader makes of undefined or unexpanded entities, the text stays small.
    for (const auto& entry : entries) {
        EXPECT_LT(entry.text.size(), 100u);
        EXPECT_LT(entry.url.size(), 100u);
    }
    const auto external = Read(
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<r><File Text=\"&x;\" Url=\"u\"/></r>");
    for (const auto& entry : external) EXPECT_EQ(entry.text.find("root:"), std::string::npos);
}

TEST(AdList, InvalidUtf8BecomesReplacementCharacters) {
    const auto entries = Read("<r><File Text=\"ok\xFF\xC0\xAF!\" Url=\"\xE4\xBD\"/></r>");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "ok\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD!");
    EXPECT_EQ(entries[0].url, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ValidUtf8, KeepsWellFormedTextAndReplacesEveryBadByte) {
    EXPECT_EQ(ValidUtf8(""), "");
    EXPECT_EQ(ValidUtf8("plain ascii"), "plain ascii");
    EXPECT_EQ(ValidUtf8("佐贝乐 😀"), "佐贝乐 😀");
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(ValidUtf8("\x80"), r);
    EXPECT_EQ(ValidUtf8("\xC1\xBF"), r + r);                  // overlong
    EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), r + r + r);          // surrogate
    EXPECT_EQ(ValidUtf8("\xF4\x90\x80\x80"), r + r + r + r);  // above U+10FFFF
    EXPECT_EQ(ValidUtf8("a\xE4\xBD"), "a" + r + r);           // cut short
    EXPECT_EQ(ValidUtf8("\xE4\xBDx"), r + r + "x");
}
