// The demo server's parts that need no network: fault prefixes, text coding, templates, bodies.
#include "tools/demo_server/BodySource.h"
#include "tools/demo_server/FaultPlan.h"
#include "tools/demo_server/PageTemplate.h"
#include "tools/demo_server/RequestLog.h"
#include "tools/demo_server/StopSignal.h"
#include "tools/demo_server/TextCoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace zorbel::test {
namespace {

using namespace zorbel::demo;
using namespace std::chrono_literals;

TEST(FaultPlanParse, StripsStackedPrefixes) {
    FaultPlan plan;
    std::string rest, error;
    ASSERT_TRUE(FaultPlan::Parse(
        "/_fault/delay/200/_fault/chunked/_fault/short/10/_fault/delay/5/vudevu/fla/a.swf", plan,
        rest, error))
        << error;
    EXPECT_EQ(rest, "/vudevu/fla/a.swf");
    EXPECT_EQ(plan.delay, 205ms);
    EXPECT_TRUE(plan.chunked);
    EXPECT_EQ(plan.shortBytes, 10u);
    EXPECT_FALSE(plan.cutBytes);
    EXPECT_TRUE(plan.ChangesTransfer());
}

TEST(FaultPlanParse, LeavesPlainPathsAlone) {
    FaultPlan plan;
    std::string rest, error;
    ASSERT_TRUE(FaultPlan::Parse("/plimad.asp", plan, rest, error));
    EXPECT_EQ(rest, "/plimad.asp");
    EXPECT_FALSE(plan.ChangesTransfer());
    EXPECT_EQ(plan.status, 0);
    // Only a whole "_fault" segment is a prefix.
    ASSERT_TRUE(FaultPlan::Parse("/_faulty/x", plan, rest, error));
    EXPECT_EQ(rest, "/_faulty/x");
    ASSERT_TRUE(FaultPlan::Parse("/_fault/chunked", plan, rest, error));
    EXPECT_EQ(rest, "/");
}

TEST(FaultPlanParse, ReadsEveryKind) {
    FaultPlan plan;
    std::string rest, error;
    ASSERT_TRUE(
        FaultPlan::Parse("/_fault/status/503/_fault/trickle/7/_fault/cut/9/_fault/size/67108864/x",
                         plan, rest, error))
        << error;
    EXPECT_EQ(plan.status, 503);
    EXPECT_EQ(plan.tricklePer100ms, 7u);
    EXPECT_EQ(plan.cutBytes, 9u);
    EXPECT_EQ(plan.syntheticSize, 67108864u);
    EXPECT_EQ(rest, "/x");
}

TEST(FaultPlanParse, RejectsMalformedPrefixes) {
    for (const char* path : {"/_fault/", "/_fault/nope/x", "/_fault/delay/", "/_fault/delay/1x/y",
                             "/_fault/status/199/x", "/_fault/size/99999999999999/x",
                             "/_fault/cut/18446744073709551616/x"}) {
        FaultPlan plan;
        std::string rest, error;
        EXPECT_FALSE(FaultPlan::Parse(path, plan, rest, error)) << path;
        EXPECT_FALSE(error.empty()) << path;
    }
}

TEST(TextCodingTest, DecodesPercentAndForms) {
    EXPECT_EQ(TextCoding::PercentDecode("%E5%B0%8F%e5%85%94"), "小兔");
    EXPECT_EQ(TextCoding::PercentDecode("a+b%20c"), "a+b c");
    EXPECT_EQ(TextCoding::PercentDecode("a+b", true), "a b");
    EXPECT_EQ(TextCoding::PercentDecode("100%"), "100%");
    EXPECT_EQ(TextCoding::PercentDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(TextCoding::PercentDecode("a%00b"), std::string("a\0b", 3));
    const auto query = TextCoding::ParseQuery("from=shop&x=%E4%BD%A0+1&from=other&flag&=v");
    EXPECT_EQ(query.at("from"), "shop");
    EXPECT_EQ(query.at("x"), "你 1");
    EXPECT_EQ(query.at("flag"), "");
}

TEST(TextCodingTest, EscapesAndCuts) {
    EXPECT_EQ(TextCoding::EscapeMarkup("<a href=\"x\">&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(TextCoding::EscapeMarkup(std::string("a\x01"
                                                   "b",
                                                   3)),
              "a b");
    EXPECT_EQ(TextCoding::SingleLine("a\r\nb\tc"), "a  b c");
    // 你好 is 6 bytes; a cut at 4 must not leave half a character.
    EXPECT_EQ(TextCoding::CutUtf8("你好", 4), "你");
    EXPECT_EQ(TextCoding::CutUtf8("你好", 6), "你好");
    EXPECT_EQ(TextCoding::CutUtf8("abc", 2), "ab");
}

TEST(PageTemplateTest, FillsPlaceholders) {
    EXPECT_EQ(PageTemplate::Fill("<t>{{A}}</t>{{B}}{{A}}", {{"A", "1"}, {"B", "2"}}), "<t>1</t>21");
    EXPECT_EQ(PageTemplate::Fill("x {{UNKNOWN}} y", {}), "x  y");
    EXPECT_EQ(PageTemplate::Fill("open {{ only", {}), "open {{ only");
    std::string out;
    EXPECT_FALSE(PageTemplate::Render("/no/such/template.html", {}, out));
}

TEST(BodySourceTest, ReadsPiecesOfEachKind) {
    const auto text = BodySource::FromText("hello");
    char buffer[8] = {};
    EXPECT_EQ(text->Size(), 5u);
    EXPECT_EQ(text->ReadAt(3, buffer, 8), 2);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(text->ReadAt(5, buffer, 8), 0);

    const auto synthetic = BodySource::Synthetic(300);
    EXPECT_EQ(synthetic->ReadAt(250, buffer, 8), 8);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 250);
    EXPECT_EQ(static_cast<unsigned char>(buffer[1]), 0);
    EXPECT_EQ(synthetic->Text(), nullptr);

    const auto dir = std::filesystem::temp_directory_path() /
                     ("zorbel-body-source-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "f.bin", std::ios::binary) << "0123456789";
    const auto file = BodySource::OpenFile((dir / "f.bin").string());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), 10u);
    EXPECT_EQ(file->ReadAt(7, buffer, 8), 3);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(BodySource::OpenFile(dir.string()), nullptr) << "a folder is no file";
    EXPECT_EQ(BodySource::OpenFile((dir / "missing").string()), nullptr);
    std::filesystem::remove_all(dir);
}

TEST(RequestLogTest, DropsOldestLinesBeyondItsBoundWithTheirTimes) {
    RequestLog log(10);
    for (int i = 0; i < 25; ++i) log.Add(std::to_string(i));
    const auto lines = log.Lines();
    ASSERT_LE(lines.size(), 10u);
    EXPECT_EQ(lines.back(), "24");
    const auto entries = log.Entries();
    ASSERT_EQ(entries.size(), lines.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].line, lines[i]);
        if (i > 0) EXPECT_LE(entries[i - 1].at, entries[i].at);
    }
    log.Clear();
    EXPECT_EQ(log.Text(), "");
}

TEST(StopSignalTest, WaitEndsEarlyOnlyOnStop) {
    StopSignal signal;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(signal.WaitFor(30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    std::thread raiser([&] { signal.Raise(); });
    EXPECT_FALSE(signal.WaitFor(std::chrono::hours(1)));
    raiser.join();
    EXPECT_TRUE(signal.IsRaised());
}

}  // namespace
}  // namespace zorbel::test
