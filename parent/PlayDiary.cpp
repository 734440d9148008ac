#include "parent/PlayDiary.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "parent/ParentSettingsFile.h"

namespace zorbel::parent {

namespace {

// Titles come from the catalog and may hold anything, the file's own separators included.
std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

bool IsDay(const std::string& day) {
    if (day.size() != 10 || day[4] != '-' || day[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (day[i] < '0' || day[i] > '9') return false;
    return true;
}

std::string Minutes(std::int64_t millis) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(millis) / 60000.0);
    return text;
}

template <typename Map>
std::vector<std::pair<std::string, std::int64_t>> MostFirst(const Map& totals) {
    std::vector<std::pair<std::string, std::int64_t>> rows(totals.begin(), totals.end());
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return rows;
}

}  // namespace

PlayDiary::PlayDiary(std::string path) : m_path(std::move(path)) {}

PlayDiary::~PlayDiary() {
    if (m_unsavedMs > 0) Flush();
}

std::string PlayDiary::PathBeside(const std::string& settingsPath) {
    return (std::filesystem::path(settingsPath).parent_path() / "play-diary.tsv").string();
}

void PlayDiary::Add(const std::string& day, const std::string& category, const std::string& title,
                    std::int64_t millis) {
    if (millis <= 0 || !IsDay(day)) return;
    m_unsaved[{day, category, title}] += millis;
    m_unsavedMs += millis;
}

std::map<PlayDiary::Key, std::int64_t> PlayDiary::Read(const std::string& path) {
    std::map<Key, std::int64_t> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (fields.size() != 4 || !IsDay(fields[0])) continue;
        char* end = nullptr;
        const long long millis = std::strtoll(fields[3].c_str(), &end, 10);
        if (end == fields[3].c_str() || *end != '\0' || millis <= 0) continue;
        rows[{fields[0], Unescape(fields[1]), Unescape(fields[2])}] += millis;
    }
    return rows;
}

bool PlayDiary::Flush() {
    std::error_code error;
    const auto status = std::filesystem::status(m_path, error);
    if (status.type() != std::filesystem::file_type::not_found &&
        status.type() != std::filesystem::file_type::regular)
        return false;
    std::map<Key, std::int64_t> rows = Read(m_path);
    for (const auto& [key, millis] : m_unsaved) rows[key] += millis;
    std::string newest;
    for (const auto& [key, millis] : rows) newest = std::max(newest, std::get<0>(key));
    const std::string oldestKept = ShiftDay(newest, 1 - kDaysKept);
    std::ostringstream text;
    for (const auto& [key, millis] : rows) {
        if (std::get<0>(key) < oldestKept) continue;
        text << std::get<0>(key) << '\t' << Escape(std::get<1>(key)) << '\t'
             << Escape(std::get<2>(key)) << '\t' << millis << '\n';
    }
    if (!ParentSettingsFile::WritePrivate(m_path, text.str())) return false;
    m_unsaved.clear();
    m_unsavedMs = 0;
    return true;
}

std::vector<DiaryEntry> PlayDiary::Entries() const {
    std::map<Key, std::int64_t> rows = Read(m_path);
    for (const auto& [key, millis] : m_unsaved) rows[key] += millis;
    std::vector<DiaryEntry> entries;
    entries.reserve(rows.size());
    for (const auto& [key, millis] : rows)
        entries.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), millis});
    return entries;
}

WeekReport PlayDiary::Week(const std::string& lastDay) const {
    WeekReport week;
    const std::string firstDay = ShiftDay(lastDay, -6);
    if (firstDay.empty()) return week;
    std::map<std::string, std::int64_t> days, categories;
    std::map<std::pair<std::string, std::string>, std::int64_t> titles;  // title, category
    for (int i = 0; i < 7; ++i) days[ShiftDay(firstDay, i)] = 0;
    for (DiaryEntry& entry : Entries()) {
        if (entry.day < firstDay || entry.day > lastDay) continue;
        days[entry.day] += entry.millis;
        categories[entry.category] += entry.millis;
        titles[{entry.title, entry.category}] += entry.millis;
        week.totalMillis += entry.millis;
        week.entries.push_back(std::move(entry));
    }
    week.days.assign(days.begin(), days.end());
    week.categories = MostFirst(categories);
    for (const auto& [key, millis] : titles)
        week.titles.push_back({std::string(), key.second, key.first, millis});
    std::stable_sort(week.titles.begin(), week.titles.end(),
                     [](const DiaryEntry& a, const DiaryEntry& b) { return a.millis > b.millis; });
    return week;
}

std::string PlayDiary::CsvField(const std::string& text) {
    std::string field = text;
    // A leading = + - @ (or a tab or return) would make a spreadsheet run the title as a
    // formula.
    if (!field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos)
        field.insert(0, 1, '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string PlayDiary::WeekCsv(const WeekReport& week) {
    std::string csv = "\xEF\xBB\xBF日期,类别,名称,分钟\r\n";
    for (const DiaryEntry& entry : week.entries)
        csv += entry.day + ',' + CsvField(entry.category) + ',' + CsvField(entry.title) + ',' +
               Minutes(entry.millis) + "\r\n";
    return csv;
}

bool PlayDiary::WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

namespace {
// Noon of day shifted by days, as UTC parts; false for a malformed day.
bool DayParts(const std::string& day, int days, struct tm& out) {
    if (!IsDay(day)) return false;
    struct tm parts {};
    parts.tm_year = std::stoi(day.substr(0, 4)) - 1900;
    parts.tm_mon = std::stoi(day.substr(5, 2)) - 1;
    parts.tm_mday = std::stoi(day.substr(8, 2)) + days;
    parts.tm_hour = 12;
    const time_t t = timegm(&parts);
    return gmtime_r(&t, &out) != nullptr;
}

std::string DayText(const struct tm& parts) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday);
    return text;
}
}  // namespace

std::string PlayDiary::ShiftDay(const std::string& day, int days) {
    struct tm parts {};
    return DayParts(day, days, parts) ? DayText(parts) : std::string();
}

int PlayDiary::Weekday(const std::string& day) {
    struct tm parts {};
    return DayParts(day, 0, parts) ? parts.tm_wday : -1;
}

std::string PlayDiary::LocalDay(std::int64_t wallSeconds) {
    const time_t t = static_cast<time_t>(wallSeconds);
    struct tm parts {};
    localtime_r(&t, &parts);
    return DayText(parts);
}

}  // namespace zorbel::parent
