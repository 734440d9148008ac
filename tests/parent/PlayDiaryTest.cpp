#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "parent/PlayDiary.h"
#include "tests/platform/TempDir.h"

using zorbel::parent::PlayDiary;
using zorbel::parent::WeekReport;

namespace {

constexpr std::int64_t kMinute = 60 * 1000;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(PlayDiaryTest, TwoStartsAddUpAndOddTitlesComeBackWhole) {
    zorbel::test::TempDir dir;
    const std::string path = PlayDiary::PathBeside(dir.Path() + "/parent.conf");
    const std::string odd = "小\t兔\n乖\\乖";
    {
        PlayDiary first(path), second(path);
        first.Add("2024-06-01", "儿歌", odd, 2 * kMinute);
        second.Add("2024-06-01", "儿歌", odd, kMinute);
        second.Add("2024-06-01", "游戏", "拼图", 30000);
        second.Add("2024-06-01", "游戏", "拼图", 0);      // nothing counted
        second.Add("June 1st", "游戏", "拼图", kMinute);  // no day: dropped
        ASSERT_TRUE(first.Flush());
        EXPECT_EQ(first.UnsavedMillis(), 0);
    }  // the second flushes as it goes
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    {
        std::ofstream junk(path, std::ios::app);
        junk << "2024-06-01\tno millis\n\tx\ty\t5\n2024-06-01\ta\tb\t-4\n";
    }
    const auto entries = PlayDiary(path).Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].title, odd);
    EXPECT_EQ(entries[0].millis, 3 * kMinute);
    EXPECT_EQ(entries[1].millis, 30000);
}

TEST(PlayDiaryTest, KeepsFiveWeeksAndReportsTheSevenDaysToToday) {
    zorbel::test::TempDir dir;
    const std::string path = dir.Path() + "/play-diary.tsv";
    PlayDiary diary(path);
    diary.Add("2024-01-20", "故事", "old", kMinute);  // past five weeks by the end
    diary.Add("2024-02-26", "故事", "三只小猪", 4 * kMinute);
    diary.Add("2024-02-29", "儿歌", "两只老虎", 2 * kMinute);
    diary.Add("2024-03-01", "游戏", "拼图", 4 * kMinute);
    diary.Add("2024-03-03", "儿歌", "两只老虎", 3 * kMinute);
    diary.Add("2024-03-04", "游戏", "tomorrow", kMinute);
    ASSERT_TRUE(diary.Flush());
    EXPECT_EQ(ReadAll(path).find("old"), std::string::npos);

    const WeekReport week = diary.Week("2024-03-03");
    ASSERT_EQ(week.days.size(), 7u);
    EXPECT_EQ(week.days.front().first, "2024-02-26");
    EXPECT_EQ(week.days[3], std::make_pair(std::string("2024-02-29"), 2 * kMinute));
    EXPECT_EQ(week.days[5].second, 0);
    EXPECT_EQ(week.totalMillis, 13 * kMinute);
    ASSERT_EQ(week.categories.size(), 3u);
    EXPECT_EQ(week.categories[0], std::make_pair(std::string("儿歌"), 5 * kMinute));
    ASSERT_EQ(week.titles.size(), 3u);
    EXPECT_EQ(week.titles[0].title, "两只老虎");
    EXPECT_EQ(week.titles[0].millis, 5 * kMinute);
    EXPECT_EQ(PlayDiary::ShiftDay("2024-12-31", 1), "2025-01-01");
    EXPECT_EQ(PlayDiary::ShiftDay("12/31/2024", 1), "");
    EXPECT_EQ(PlayDiary::Weekday("2024-03-03"), 0);
}

TEST(PlayDiaryTest, CsvQuotesWhatItMustAndKeepsFormulasAsText) {
    WeekReport week;
    week.entries = {{"2024-06-01", "儿歌", "小星星, \"一闪\"", 90000},
                    {"2024-06-01", "游戏", "=HYPERLINK(\"x\")", 6000},
                    {"2024-06-02", "故事", "line\nbreak", 60000}};
    const std::string csv = PlayDiary::WeekCsv(week);
    EXPECT_EQ(csv,
              "\xEF\xBB\xBF日期,类别,名称,分钟\r\n"
              "2024-06-01,儿歌,\"小星星, \"\"一闪\"\"\",1.5\r\n"
              "2024-06-01,游戏,\"'=HYPERLINK(\"\"x\"\")\",0.1\r\n"
              "2024-06-02,故事,\"line\nbreak\",1.0\r\n");
    zorbel::test::TempDir dir;
    ASSERT_TRUE(PlayDiary::WriteFile(dir.Path() + "/week.csv", csv));
    EXPECT_EQ(ReadAll(dir.Path() + "/week.csv"), csv);
    EXPECT_FALSE(PlayDiary::WriteFile(dir.Path() + "/no/such/folder/week.csv", csv));
}

}  // namespace
