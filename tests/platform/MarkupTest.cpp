#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Markup.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Reads the advertisement list the way the main window does.
Entries ReadFiles(const std::string& text) {
    CMarkup xml;
    xml.LoadXML(text);
    xml.ResetMainPos();
    Entries entries;
    if (!xml.FindElem()) return entries;
    while (xml.FindChildElem("File"))
        entries.emplace_back(xml.GetChildAttrib("Text"), xml.GetChildAttrib("Url"));
    return entries;
}

TEST(Markup, VisitsTheRootsFileChildrenInOrder) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- list -->\n"
        "<Ads>\n"
        "  <File Text=\"第一条\" Url=\"http://a/1\"/>\n"
        "  <Other Text=\"skipped\"/>\n"
        "  <File Url=\"http://a/2\"><File Text=\"nested, not read\"/></File>\n"
        "  <file Text=\"case matters\"/>\n"
        "  <File Text=\"a &amp; b &lt;c&gt; &#x5C0F;\"/>\n"
        "</Ads>\n";
    EXPECT_EQ(ReadFiles(text),
              (Entries{{"第一条", "http://a/1"}, {"", "http://a/2"}, {"a & b <c> 小", ""}}));
}

TEST(Markup, PositionsResetAndSearchesEnd) {
    CMarkup xml;
    ASSERT_TRUE(xml.LoadXML("<R><File Text=\"1\"/><File Text=\"2\"/></R>"));
    EXPECT_EQ(xml.GetChildAttrib("Text"), "");
    ASSERT_TRUE(xml.FindElem());
    EXPECT_FALSE(xml.FindElem()) << "only one root";
    ASSERT_TRUE(xml.FindChildElem("File"));
    EXPECT_EQ(xml.GetChildAttrib("Text"), "1");
    ASSERT_TRUE(xml.FindChildElem("File"));
    EXPECT_EQ(xml.GetChildAttrib("Text"), "2");
    EXPECT_FALSE(xml.FindChildElem("File"));
    EXPECT_FALSE(xml.FindChildElem("File"));
    EXPECT_EQ(xml.GetChildAttrib("Missing"), "");

    xml.ResetMainPos();
    // Without FindElem the root is taken first.
    ASSERT_TRUE(xml.FindChildElem("File"));
    EXPECT_EQ(xml.GetChildAttrib("Text"), "1");
    ASSERT_TRUE(xml.FindChildElem(""));
    EXPECT_EQ(xml.GetChildAttrib("Text"), "2");

    // A new document forgets the old one.
    EXPECT_FALSE(xml.LoadXML("not xml"));
    EXPECT_FALSE(xml.FindElem());
    EXPECT_FALSE(xml.FindChildElem("File"));
    EXPECT_EQ(xml.GetChildAttrib("Text"), "");
}

TEST(Markup, BrokenAndHostileDocumentsGiveNoEntries) {
    for (const std::string& bad :
         {std::string(), std::string("plain text"), std::string("<R><File Text=\"x\"/>"),
          std::string("<R><File Text=\"unterminated/></R>"), std::string("\0\0\0\0", 4),
          std::string("<html><body>404 Not Found</body>"), std::string("<R></S>")}) {
        EXPECT_TRUE(ReadFiles(bad).empty()) << bad;
    }

    // Entities declared in a document type are not expanded, so they cannot multiply.
    const std::string laughs =
        "<!DOCTYPE R [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<R><File Text=\"&c;\" Url=\"u\"/></R>";
    Entries entries = ReadFiles(laughs);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_LT(entries[0].first.size(), 10u);

    // Deep nesting, in elements and in the document type, costs no stack.
    const int depth = 200000;
    std::string deep;
    for (int i = 0; i < depth; ++i) deep += "<d>";
    for (int i = 0; i < depth; ++i) deep += "</d>";
    EXPECT_TRUE(ReadFiles(deep).empty());
    std::string deepDoctype = "<!DOCTYPE R [";
    for (int i = 0; i < depth; ++i) deepDoctype += "<!x ";
    EXPECT_TRUE(ReadFiles(deepDoctype + "]><R><File Text=\"t\"/></R>").size() <= 1u);

    // Bytes that are no UTF-8 come back as they are; they do not stop the list.
    entries = ReadFiles("<R><File Text=\"\xff\xfe\xc3\" Url=\"u\"/><File Text=\"ok\"/></R>");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].first, "ok");

    // Too large to be an advertisement list.
    std::string huge = "<R>";
    while (huge.size() <= CMarkup::kMaxDocumentSize)
        huge += "<File Text=\"padding padding padding\"/>";
    huge += "</R>";
    EXPECT_TRUE(ReadFiles(huge).empty());
}

TEST(Markup, ThousandsOfEntriesAreAllRead) {
    std::string text = "<R>";
    for (int i = 0; i < 20000; ++i) text += "<File Text=\"t" + std::to_string(i) + "\" Url=\"u\"/>";
    text += "</R>";
    Entries entries = ReadFiles(text);
    ASSERT_EQ(entries.size(), 20000u);
    EXPECT_EQ(entries.back().first, "t19999");
}

}  // namespace
