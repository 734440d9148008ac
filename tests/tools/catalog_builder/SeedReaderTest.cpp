#include "tools/catalog_builder/SeedReader.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tools/catalog_builder/TitleName.h"

namespace cb = zorbel::catalogbuild;

namespace {

cb::SeedReadResult Read(const std::string& text, const std::string& webBase = cb::kDefaultWebBase) {
    return cb::SeedReader(webBase).ReadText(text, "seed.tsv");
}

const char kSmallSeed[] =
    "\xEF\xBB\xBF# comment\r\n"
    "\n"
    "class\t4\t4\t推荐游戏\r\n"
    "   # indented comment\n"
    "title\t7\t4\t小猫钓鱼\t12\n"
    "title\t8\t4\t打地鼠\n"
    "movieclass\t2\t经典动画\n"
    "movie\t3\t2\t大闹天宫\t${WEB}/cartoons/monkey-king.html\n"
    "skin\t-5\t10\t0\tskin.texture11\t\t\n";

}  // namespace

TEST(SeedReader, ReadsEveryRecordKind) {
    const cb::SeedReadResult r = Read(kSmallSeed);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.seed.classes.size(), 1u);
    EXPECT_EQ(r.seed.classes[0].classId, 4);
    EXPECT_EQ(r.seed.classes[0].typeId, 4);
    EXPECT_EQ(r.seed.classes[0].name, "推荐游戏");

    ASSERT_EQ(r.seed.titles.size(), 2u);
    EXPECT_EQ(r.seed.titles[0].fileId, 7);
    EXPECT_EQ(r.seed.titles[0].classId, 4);
    EXPECT_EQ(r.seed.titles[0].name, "小猫钓鱼");
    EXPECT_EQ(r.seed.titles[0].clicks, 12);
    EXPECT_EQ(r.seed.titles[1].clicks, 0) << "clicks are optional";

    ASSERT_EQ(r.seed.movieClasses.size(), 1u);
    EXPECT_EQ(r.seed.movieClasses[0].classId, 2);
    EXPECT_EQ(r.seed.movieClasses[0].name, "经典动画");

    ASSERT_EQ(r.seed.movies.size(), 1u);
    EXPECT_EQ(r.seed.movies[0].id, 3);
    EXPECT_EQ(r.seed.movies[0].classId, 2);
    EXPECT_EQ(r.seed.movies[0].name, "大闹天宫");
    EXPECT_EQ(r.seed.movies[0].address, "http://127.0.0.1:8517/cartoons/monkey-king.html");

    ASSERT_EQ(r.seed.skins.size(), 1u);
    EXPECT_EQ(r.seed.skins[0].h, -5);
    EXPECT_EQ(r.seed.skins[0].s, 10);
    EXPECT_EQ(r.seed.skins[0].b, 0);
    EXPECT_EQ(r.seed.skins[0].texture, "skin.texture11");
    EXPECT_EQ(r.seed.skins[0].theme, "");
    EXPECT_EQ(r.seed.skins[0].userId, "");
}

TEST(SeedReader, WebBaseReplacesEveryPlaceholderWithoutDoubleSlash) {
    const cb::SeedReadResult r = Read(
        "movieclass\t1\t动画\n"
        "movie\t1\t1\t甲\t${WEB}/cartoons/a.html?back=${WEB}\n",
        "http://example.test:9000//");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.seed.movies[0].address,
              "http://example.test:9000/cartoons/a.html?back=http://example.test:9000");
}

TEST(SeedReader, MissingFileIsNamed) {
    const cb::SeedReadResult r = cb::SeedReader().ReadFile("/nonexistent/zorbel/seed.tsv");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("/nonexistent/zorbel/seed.tsv"), std::string::npos) << r.error;
}

struct BadSeed {
    const char* text;
    const char* expected;  // part of the error, which always starts with the line
};

class SeedReaderRejects : public ::testing::TestWithParam<BadSeed> {};

TEST_P(SeedReaderRejects, NamesTheLine) {
    const cb::SeedReadResult r = Read(GetParam().text);
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.error.find(GetParam().expected), std::string::npos) << r.error;
    EXPECT_TRUE(r.seed.titles.empty()) << "a failed read hands back no partial seed";
}

INSTANTIATE_TEST_SUITE_P(
    MalformedLines, SeedReaderRejects,
    ::testing::Values(
        BadSeed{"# x\nklass\t1\t1\t儿歌\n", "seed.tsv:2: unknown record \"klass\""},
        BadSeed{"class\t1\t1\n", "seed.tsv:1: class needs 3 tab-separated fields"},
        BadSeed{"class\t1\t1\t儿歌\textra\n", "seed.tsv:1: class needs 3"},
        BadSeed{"class 1 1 儿歌\n", "seed.tsv:1: unknown record \"class 1 1 儿歌\""},
        BadSeed{"class\tone\t1\t儿歌\n",
                "seed.tsv:1: class id \"one\" is not a positive whole number"},
        BadSeed{"class\t0\t1\t儿歌\n", "seed.tsv:1: class id \"0\""},
        BadSeed{"class\t1\t5\t儿歌\n", "seed.tsv:1: type id 5 is not one of 1 to 4"},
        BadSeed{"class\t1\t1\t\n", "seed.tsv:1: the class name is empty"},
        BadSeed{"class\t1\t1\t儿歌\nclass\t1\t2\t故事\n",
                "seed.tsv:2: class 1 is already defined on line 1"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\n",
                "seed.tsv:2: title needs 3 or 4 tab-separated fields"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t小星星\tmany\n",
                "seed.tsv:2: click count \"many\""},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t小星星\t-3\n", "seed.tsv:2: click count \"-3\""},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t99999999999\t1\t小星星\n",
                "seed.tsv:2: file id \"99999999999\""},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t儿歌/小星星\n",
                "seed.tsv:2: the title name \"儿歌/小星星\" contains the character '/'"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t小星星\x01\n",
                "seed.tsv:2: the title name contains a control character"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\tTom's\n",
                "seed.tsv:2: the title name \"Tom's\" contains the character '''"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t..\n",
                "seed.tsv:2: the title name \"..\" is not a file name"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t小星星 \n",
                "seed.tsv:2: the title name \"小星星 \" begins or ends"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t\xE5\xB0\n",
                "seed.tsv:2: the line is not valid UTF-8"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\t甲\ntitle\t1\t1\t乙\n",
                "seed.tsv:3: file id 1 is already defined on line 2"},
        BadSeed{"class\t1\t1\t儿歌\ntitle\t1\t1\tABC\ntitle\t2\t1\tabc\n",
                "seed.tsv:3: the title name \"abc\" is already used on line 2"},
        BadSeed{"class\t1\t1\t儿歌\n\ntitle\t1\t9\t小星星\n",
                "seed.tsv:3: title 1 names class 9, which no class line defines"},
        BadSeed{"movieclass\t1\t动画\nmovie\t1\t2\t甲\thttp://x/a.html\n",
                "seed.tsv:2: movie 1 names movie class 2, which no movieclass line defines"},
        BadSeed{"movieclass\t1\t动画\nmovie\t1\t1\t甲\t${HOST}/a.html\n",
                "seed.tsv:2: the address \"${HOST}/a.html\" holds a placeholder other than ${WEB}"},
        BadSeed{"movieclass\t1\t动画\nmovie\t1\t1\t甲\t\n", "seed.tsv:2: the address is empty"},
        BadSeed{"movieclass\t1\t动画\nmovieclass\t1\t动画\n",
                "seed.tsv:2: movie class 1 is already defined on line 1"},
        BadSeed{"skin\t0\t0\t0\tskin.texture11\t\n",
                "seed.tsv:1: skin needs 6 tab-separated fields"},
        BadSeed{"skin\tx\t0\t0\tskin.texture11\t\t\n",
                "seed.tsv:1: hue \"x\" is not a whole number"},
        BadSeed{"skin\t0\t0\t0\tskin'x\t\t\n",
                "seed.tsv:1: skin values may not contain a single quote"}));

TEST(SeedReader, RejectsZeroBytes) {
    const cb::SeedReadResult r = Read(std::string("class\t1\t1\t儿歌\n") + '\0' + "\n");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("zero byte"), std::string::npos) << r.error;
}

TEST(TitleName, AcceptsPlainChineseAndAsciiNames) {
    EXPECT_EQ(cb::TitleNameProblem("小猫钓鱼"), "");
    EXPECT_EQ(cb::TitleNameProblem("Tom and Jerry 2"), "");
    EXPECT_NE(cb::TitleNameProblem(""), "");
    EXPECT_NE(cb::TitleNameProblem("a\\b"), "");
    EXPECT_NE(cb::TitleNameProblem("50%"), "") << "a LIKE wildcard would match other titles";
    EXPECT_NE(cb::TitleNameProblem("a_b"), "") << "a LIKE wildcard would match other titles";
    EXPECT_NE(cb::TitleNameProblem("a?b"), "") << "would cut the download address short";
}

TEST(TitleName, RefusesNamesThatAreNotUtf8) {
    EXPECT_NE(cb::TitleNameProblem("\xC0\xAF"), "");
    EXPECT_NE(cb::TitleNameProblem("\xE5\xB0"), "");
}

// The seed the app folder's catalog is built from: other parts of the demo rely on its shape.
TEST(DemoSeed, HoldsTheFourTypesTheRecommendedClassAndCartoons) {
    const std::string path =
        std::string(ZORBEL_SOURCE_DIR) + "/tools/catalog_builder/demo_catalog.tsv";
    const cb::SeedReadResult r = cb::SeedReader().ReadFile(path);
    ASSERT_TRUE(r.ok) << r.error;

    std::set<int> types;
    int class4Type = 0;
    for (const cb::SeedClass& c : r.seed.classes) {
        types.insert(c.typeId);
        if (c.classId == 4) class4Type = c.typeId;
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(class4Type, 4) << "class 4 (the recommended list) is a games class";

    EXPECT_GE(r.seed.titles.size(), 60u);
    EXPECT_LE(r.seed.titles.size(), 90u);
    std::map<int, int> perClass;
    for (const cb::SeedTitle& t : r.seed.titles) ++perClass[t.classId];
    for (const cb::SeedClass& c : r.seed.classes) {
        EXPECT_GE(perClass[c.classId], 4) << "class " << c.classId;
        EXPECT_LE(perClass[c.classId], 8) << "class " << c.classId;
    }

    EXPECT_GE(r.seed.movieClasses.size(), 2u);
    EXPECT_LE(r.seed.movieClasses.size(), 3u);
    for (const cb::SeedMovie& m : r.seed.movies) {
        // Paths, which the program puts on the configured web site.
        const std::string prefix = "/cartoons/";
        ASSERT_EQ(m.address.compare(0, prefix.size(), prefix), 0) << m.address;
        const std::string slug = m.address.substr(prefix.size());
        ASSERT_GT(slug.size(), 5u);
        EXPECT_EQ(slug.substr(slug.size() - 5), ".html");
        for (const char c : slug.substr(0, slug.size() - 5))
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') << m.address;
    }

    ASSERT_EQ(r.seed.skins.size(), 1u);
    EXPECT_EQ(r.seed.skins[0].userId, "");
    EXPECT_EQ(r.seed.skins[0].texture, "skin.texture11");
}
