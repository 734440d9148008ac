#include "parent/DlgPlayWeek.h"

#include <cstdio>

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "parent/ParentGate.h"
#include "platform/MessageBox.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgPlayWeek, wxDialog)
    EVT_BUTTON (CDlgPlayWeek::kIdExport, CDlgPlayWeek::OnExport)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
using zorbel::parent::PlayDiary;

wxString Utf8(const std::string& text) {
    return wxString::FromUTF8(text.c_str());
}

std::string MinutesText(std::int64_t millis) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>((millis + 30000) / 60000));
    return text;
}

wxListCtrl* MakeList(wxWindow* parent, int id,
                     std::initializer_list<std::pair<const char*, int>> columns) {
    auto* list = new wxListCtrl(parent, id, wxDefaultPosition, wxSize(-1, 200),
                                wxLC_REPORT | wxLC_SINGLE_SEL);
    for (const auto& [heading, width] : columns)
        list->AppendColumn(Utf8(heading), wxLIST_FORMAT_LEFT, width);
    return list;
}

void AddRow(wxListCtrl* list, std::initializer_list<std::string> cells) {
    const long row = list->InsertItem(list->GetItemCount(), Utf8(*cells.begin()));
    int column = 0;
    for (const std::string& cell : cells)
        if (column++ > 0) list->SetItem(row, column - 1, Utf8(cell));
}
}  // namespace

CDlgPlayWeek::CDlgPlayWeek(wxWindow* parent, const std::string& diaryPath, const std::string& today)
    : wxDialog(parent, wxID_ANY, Utf8(kCaption)), m_today(today) {
    m_week = PlayDiary(diaryPath).Week(today);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY,
                                 Utf8("最近 7 天一共玩了 " + MinutesText(m_week.totalMillis) +
                                      " 分钟（只算真正在玩的时间）")),
                0, wxALL, 10);
    auto* lists = new wxBoxSizer(wxHORIZONTAL);
    m_days = MakeList(this, kIdDays, {{"日期", 100}, {"星期", 50}, {"分钟", 60}});
    m_categories = MakeList(this, kIdCategories, {{"类别", 70}, {"分钟", 60}});
    m_titles = MakeList(this, kIdTitles, {{"名称", 170}, {"类别", 60}, {"分钟", 60}});
    lists->Add(m_days, 0, wxRIGHT, 8);
    lists->Add(m_categories, 0, wxRIGHT, 8);
    lists->Add(m_titles, 1, wxEXPAND);
    column->Add(lists, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
    column->Add(new wxStaticText(this, wxID_ANY, Utf8("这些记录只存在这台电脑上。")), 0, wxALL, 10);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, kIdExport, Utf8("导出成表格（CSV）…")));
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CANCEL, Utf8("关闭")));
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    SetEscapeId(wxID_CANCEL);
    FillLists();
    CentreOnParent();
}

void CDlgPlayWeek::FillLists() {
    static const char* const kWeekdays[7] = {"日", "一", "二", "三", "四", "五", "六"};
    // Newest day first: the parent looks at today and yesterday most.
    for (auto it = m_week.days.rbegin(); it != m_week.days.rend(); ++it) {
        const int weekday = PlayDiary::Weekday(it->first);
        AddRow(m_days, {it->first, weekday < 0 ? std::string() : kWeekdays[weekday],
                        MinutesText(it->second)});
    }
    for (const auto& [category, millis] : m_week.categories)
        AddRow(m_categories, {category, MinutesText(millis)});
    for (const zorbel::parent::DiaryEntry& title : m_week.titles)
        AddRow(m_titles, {title.title, title.category, MinutesText(title.millis)});
}

bool CDlgPlayWeek::ExportTo(const std::string& path) {
    const bool ok = PlayDiary::WriteFile(path, PlayDiary::WeekCsv(m_week));
    zorbel::AppMessageBox(this, ok ? kExportedText : kExportFailedText,
                          zorbel::parent::ParentGate::kCaption, zorbel::kMbIconInformation);
    return ok;
}

void CDlgPlayWeek::OnExport(wxCommandEvent&) {
    wxFileDialog ask(this, Utf8("把这一周的记录存到哪里？"), wxString(),
                     Utf8("玩耍记录-" + m_today + ".csv"), Utf8("表格文件 (*.csv)|*.csv"),
                     wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (ask.ShowModal() != wxID_OK) return;
    ExportTo(ask.GetPath().utf8_string());
}
