#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>
#include <string>
#include <vector>

class wxCheckBox;
class wxChoice;
class wxGauge;
class wxListCtrl;
class wxStaticText;

// The offline library: what is kept on this machine (titles with size and date, unfinished
// downloads, the room used and left), deleting, checking every title against its digest,
// fetching a whole class for the road and the "playable offline" switch.
class CDlgOfflineLibrary : public wxDialog {
public:
    struct ClassTitles {
        std::string name;
        std::vector<std::string> titles;
    };
    // viewChanged runs after the switch changed or titles came or went, so the trees follow.
    CDlgOfflineLibrary(wxWindow* parent, std::string cacheFolder, std::vector<ClassTitles> classes,
                       std::function<void()> viewChanged);
    ~CDlgOfflineLibrary() override;

    // Re-reads the folder into the list and the figures.
    void Refresh();

    enum {
        kIdList = 2101,
        kIdDelete,
        kIdCheckAll,
        kIdClassChoice,
        kIdQueueClass,
        kIdCancelQueue,
        kIdOfflineOnly,
        kIdTimer,
    };

    wxListCtrl* List() const { return m_list; }
    wxStaticText* Summary() const { return m_summary; }

private:
    void OnDelete(wxCommandEvent& event);
    void OnCheckAll(wxCommandEvent& event);
    void OnQueueClass(wxCommandEvent& event);
    void OnCancelQueue(wxCommandEvent& event);
    void OnOfflineOnly(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void ShowQueue();

    std::string m_cacheFolder;
    std::vector<ClassTitles> m_classes;
    std::function<void()> m_viewChanged;
    // Each row's title name and whether it is an unfinished download.
    std::vector<std::pair<std::string, bool>> m_rows;
    std::size_t m_lastDone = 0;

    wxStaticText* m_summary = nullptr;
    wxListCtrl* m_list = nullptr;
    wxChoice* m_classChoice = nullptr;
    wxGauge* m_gauge = nullptr;
    wxStaticText* m_queueText = nullptr;
    wxCheckBox* m_offlineOnly = nullptr;
    wxTimer m_timer;

    wxDECLARE_EVENT_TABLE();
};
