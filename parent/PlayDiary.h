#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zorbel::parent {

// Minutes of one title on one day.
struct DiaryEntry {
    std::string day;  // YYYY-MM-DD; empty in a week's per-title totals
    std::string category;
    std::string title;
    std::int64_t millis = 0;
};

// A week in figures, for the parent's view and its export.
struct WeekReport {
    std::vector<std::pair<std::string, std::int64_t>> days;        // 7, oldest first
    std::vector<std::pair<std::string, std::int64_t>> categories;  // most played first
    std::vector<DiaryEntry> titles;                                // most played first
    std::vector<DiaryEntry> entries;                               // by day, then title
    std::int64_t totalMillis = 0;
};

// What the child played, and for how long, per day: the active play parent mode counts, kept
// in a file of the parent's own beside the parent settings and nowhere else. Counted time
// is gathered in memory and added to the file on Flush, so two starts of the program each add
// their own share.
class PlayDiary {
public:
    static constexpr int kDaysKept = 35;

    explicit PlayDiary(std::string path);
    ~PlayDiary();
    PlayDiary(const PlayDiary&) = delete;
    PlayDiary& operator=(const PlayDiary&) = delete;

    // "play-diary.tsv" in the folder of the parent settings file at settingsPath.
    static std::string PathBeside(const std::string& settingsPath);

    void Add(const std::string& day, const std::string& category, const std::string& title,
             std::int64_t millis);
    std::int64_t UnsavedMillis() const { return m_unsavedMs; }
    // Adds what was counted since the last flush to the file and drops days older than
    // kDaysKept. False when the file could not be written (the time stays to try again).
    bool Flush();

    // The file's entries with what is not yet flushed, by day, then category and title.
    std::vector<DiaryEntry> Entries() const;
    // The seven days that end with lastDay (YYYY-MM-DD).
    WeekReport Week(const std::string& lastDay) const;

    // The week as CSV for a spreadsheet: UTF-8 with a byte order mark, a heading row, then
    // one row per day and title with its minutes.
    static std::string WeekCsv(const WeekReport& week);
    // One CSV field: quoted when it must be, and a text a spreadsheet would read as a formula
    // kept as text.
    static std::string CsvField(const std::string& text);
    // Writes text to path whole; false when it could not.
    static bool WriteFile(const std::string& path, const std::string& text);

    // The day `days` days after day (negative: before); empty for a malformed day.
    static std::string ShiftDay(const std::string& day, int days);
    // 0 for a Sunday to 6 for a Saturday; -1 for a malformed day.
    static int Weekday(const std::string& day);
    // The local date at wallSeconds, YYYY-MM-DD.
    static std::string LocalDay(std::int64_t wallSeconds);

private:
    using Key = std::tuple<std::string, std::string, std::string>;  // day, category, title
    static std::map<Key, std::int64_t> Read(const std::string& path);

    std::string m_path;
    std::map<Key, std::int64_t> m_unsaved;
    std::int64_t m_unsavedMs = 0;
};

}  // namespace zorbel::parent
