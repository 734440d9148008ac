#pragma once

#include <string>

#include <wx/dialog.h>

#include "parent/PlayDiary.h"

class wxListCtrl;

// The parent's view of the week: minutes of play per day, per category and per title over
// the seven days up to today, from the play diary on this machine, with an export to CSV.
// Reached from the parent's settings, so only behind the PIN.
class CDlgPlayWeek : public wxDialog {
public:
    enum ControlId {
        kIdDays = 2201,
        kIdCategories,
        kIdTitles,
        kIdExport,
    };
    static constexpr const char* kCaption = "这一周玩了什么";
    static constexpr const char* kExportedText = "导出好啦！可以用表格软件打开看看～";
    static constexpr const char* kExportFailedText = "哎呀，没能导出，换个地方再试一次吧！";

    CDlgPlayWeek(wxWindow* parent, const std::string& diaryPath, const std::string& today);

    // Writes the week's CSV to path and says how it went; the export button asks where.
    bool ExportTo(const std::string& path);
    const zorbel::parent::WeekReport& Week() const { return m_week; }

private:
    void OnExport(wxCommandEvent& event);
    void FillLists();

    zorbel::parent::WeekReport m_week;
    std::string m_today;
    wxListCtrl* m_days = nullptr;
    wxListCtrl* m_categories = nullptr;
    wxListCtrl* m_titles = nullptr;

    wxDECLARE_EVENT_TABLE();
};
