#include "offline/DlgOfflineLibrary.h"

#include "offline/ClassQueue.h"
#include "offline/OfflineQueueRunner.h"
#include "offline/OfflineShelf.h"
#include "platform/MessageBox.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <cstdio>
#include <ctime>

using zorbel::offline::ClassQueue;
using zorbel::offline::OfflineShelf;

namespace {

constexpr const char* kCaption = "离线宝库";

std::string SizeText(std::uint64_t bytes) {
    char text[32];
    if (bytes >= (1ull << 30))
        std::snprintf(text, sizeof text, "%.1f GB", bytes / double(1ull << 30));
    else if (bytes >= (1ull << 20))
        std::snprintf(text, sizeof text, "%.1f MB", bytes / double(1ull << 20));
    else
        std::snprintf(text, sizeof text, "%llu KB",
                      static_cast<unsigned long long>((bytes + 1023) / 1024));
    return text;
}

std::string DateText(std::int64_t when) {
    if (when <= 0) return "-";
    const std::time_t t = static_cast<std::time_t>(when);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

wxString U(const std::string& text) {
    return wxString::FromUTF8(text);
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgOfflineLibrary, wxDialog)
    EVT_BUTTON   (CDlgOfflineLibrary::kIdDelete,      CDlgOfflineLibrary::OnDelete)
    EVT_BUTTON   (CDlgOfflineLibrary::kIdCheckAll,    CDlgOfflineLibrary::OnCheckAll)
    EVT_BUTTON   (CDlgOfflineLibrary::kIdQueueClass,  CDlgOfflineLibrary::OnQueueClass)
    EVT_BUTTON   (CDlgOfflineLibrary::kIdCancelQueue, CDlgOfflineLibrary::OnCancelQueue)
    EVT_CHECKBOX (CDlgOfflineLibrary::kIdOfflineOnly, CDlgOfflineLibrary::OnOfflineOnly)
    EVT_TIMER    (CDlgOfflineLibrary::kIdTimer,       CDlgOfflineLibrary::OnTimer)
wxEND_EVENT_TABLE()
// clang-format on

CDlgOfflineLibrary::CDlgOfflineLibrary(wxWindow* parent, std::string cacheFolder,
                                       std::vector<ClassTitles> classes,
                                       std::function<void()> viewChanged)
    : wxDialog(parent, wxID_ANY, U(kCaption), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_cacheFolder(std::move(cacheFolder)),
      m_classes(std::move(classes)),
      m_viewChanged(std::move(viewChanged)),
      m_timer(this, kIdTimer) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, U("存在这台电脑上的节目，出门不联网也能玩哦：")), 0,
             wxALL, 8);
    m_summary = new wxStaticText(this, wxID_ANY, wxString());
    top->Add(m_summary, 0, wxLEFT | wxRIGHT, 8);
    m_list = new wxListCtrl(this, kIdList, wxDefaultPosition, wxSize(560, 260),
                            wxLC_REPORT | wxBORDER_SUNKEN);
    m_list->AppendColumn(U("节目"), wxLIST_FORMAT_LEFT, 220);
    m_list->AppendColumn(U("大小"), wxLIST_FORMAT_RIGHT, 80);
    m_list->AppendColumn(U("存进来的时间"), wxLIST_FORMAT_LEFT, 130);
    m_list->AppendColumn(U("状态"), wxLIST_FORMAT_LEFT, 110);
    top->Add(m_list, 1, wxEXPAND | wxALL, 8);

    auto* tidy = new wxBoxSizer(wxHORIZONTAL);
    tidy->Add(new wxButton(this, kIdDelete, U("删掉选中的")), 0, wxRIGHT, 8);
    tidy->Add(new wxButton(this, kIdCheckAll, U("全部检查一遍")), 0);
    top->Add(tidy, 0, wxLEFT | wxRIGHT, 8);

    auto* road = new wxBoxSizer(wxHORIZONTAL);
    road->Add(new wxStaticText(this, wxID_ANY, U("把整个分类带上路：")), 0,
              wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_classChoice = new wxChoice(this, kIdClassChoice);
    for (const ClassTitles& c : m_classes) m_classChoice->Append(U(c.name));
    if (!m_classes.empty()) m_classChoice->SetSelection(0);
    road->Add(m_classChoice, 1, wxRIGHT, 8);
    road->Add(new wxButton(this, kIdQueueClass, U("开始下载")), 0, wxRIGHT, 8);
    road->Add(new wxButton(this, kIdCancelQueue, U("停下来")), 0);
    top->Add(road, 0, wxEXPAND | wxALL, 8);
    m_gauge = new wxGauge(this, wxID_ANY, 1000, wxDefaultPosition, wxSize(-1, 16));
    top->Add(m_gauge, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    m_queueText = new wxStaticText(this, wxID_ANY, wxString());
    top->Add(m_queueText, 0, wxEXPAND | wxALL, 8);

    m_offlineOnly = new wxCheckBox(this, kIdOfflineOnly, U("只显示能离线玩的节目"));
    m_offlineOnly->SetValue(OfflineShelf(m_cacheFolder).PlayableOfflineOnly());
    top->Add(m_offlineOnly, 0, wxALL, 8);
    // The toolkit's stock label would follow the system language, not the program's.
    auto* close = new wxButton(this, wxID_CANCEL, U("关上"));
    top->Add(close, 0, wxALIGN_RIGHT | wxALL, 8);
    SetEscapeId(wxID_CANCEL);
    SetSizerAndFit(top);
    Centre();

    Refresh();
    ShowQueue();
    m_lastDone = COfflineQueueRunner::Get().Snapshot().done;
    m_timer.Start(500);
}

CDlgOfflineLibrary::~CDlgOfflineLibrary() {
    m_timer.Stop();
}

void CDlgOfflineLibrary::Refresh() {
    const zorbel::offline::ShelfContents contents = OfflineShelf(m_cacheFolder).Scan();
    m_list->DeleteAllItems();
    m_rows.clear();
    long row = 0;
    for (const auto& title : contents.titles) {
        m_list->InsertItem(row, U(title.name));
        m_list->SetItem(row, 1, U(SizeText(title.size)));
        m_list->SetItem(row, 2, U(DateText(title.storedAt)));
        m_list->SetItem(row, 3,
                        U(title.verified    ? "检查过，完好"
                          : title.hasDigest ? "还没检查"
                                            : "能玩"));
        m_rows.emplace_back(title.name, false);
        ++row;
    }
    for (const auto& partial : contents.partials) {
        m_list->InsertItem(row, U(partial.name));
        m_list->SetItem(row, 1, U(SizeText(partial.held)));
        m_list->SetItem(row, 2, U("-"));
        std::string state = "没下载完";
        if (partial.length > 0)
            state += " " + std::to_string(partial.held * 100 / std::uint64_t(partial.length)) + "%";
        m_list->SetItem(row, 3, U(state));
        m_rows.emplace_back(partial.name, true);
        ++row;
    }
    std::string summary;
    if (!contents.ok) {
        summary = "还没有存下任何节目。";
    } else {
        summary = "一共存了 " + std::to_string(contents.titles.size()) + " 个节目，占用 " +
                  SizeText(contents.usedBytes) + "；磁盘还剩 " + SizeText(contents.freeBytes) +
                  "。";
        if (!contents.partials.empty())
            summary += "另有 " + std::to_string(contents.partials.size()) + " 个没下载完。";
    }
    m_summary->SetLabel(U(summary));
    Layout();
}

void CDlgOfflineLibrary::OnDelete(wxCommandEvent&) {
    std::vector<std::pair<std::string, bool>> chosen;
    for (long i = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
         i = m_list->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        if (static_cast<std::size_t>(i) < m_rows.size()) chosen.push_back(m_rows[i]);
    }
    if (chosen.empty()) {
        zorbel::AppMessageBox(this, "先在上面点一下要删掉的节目吧。", kCaption,
                              zorbel::kMbIconInformation);
        return;
    }
    const std::string question =
        "要删掉选中的 " + std::to_string(chosen.size()) + " 个节目吗？删掉以后要联网才能再玩。";
    if (zorbel::AppMessageBox(this, question, kCaption,
                              zorbel::kMbYesNo | zorbel::kMbIconQuestion) != zorbel::kIdYes)
        return;
    const OfflineShelf shelf(m_cacheFolder);
    std::string failed;
    for (const auto& [name, partial] : chosen) {
        const auto result = partial ? shelf.DeletePartial(name) : shelf.DeleteTitle(name);
        if (!result.ok) failed = name;
    }
    Refresh();
    if (m_viewChanged) m_viewChanged();
    if (!failed.empty())
        zorbel::AppMessageBox(this, "“" + failed + "”没能删掉，可能正在用，过一会儿再试试吧。",
                              kCaption, zorbel::kMbIconInformation);
}

void CDlgOfflineLibrary::OnCheckAll(wxCommandEvent&) {
    OfflineShelf::CheckReport report;
    {
        wxBusyCursor busy;
        report = OfflineShelf(m_cacheFolder).CheckAll();
    }
    Refresh();
    std::string text = "检查完啦：" + std::to_string(report.good.size()) + " 个完好";
    if (!report.unchecked.empty())
        text += "，" + std::to_string(report.unchecked.size()) + " 个没有校验码，没法检查";
    if (report.failed.empty()) {
        text += "。";
    } else {
        text += "，" + std::to_string(report.failed.size()) + " 个坏了，已经删掉";
        // Broken titles are fetched again at once when nothing else is being fetched.
        text += COfflineQueueRunner::Get().StartClass("检查后重新下载", report.failed)
                    ? "，正在重新下载。"
                    : "，下次点它时会重新下载。";
        if (m_viewChanged) m_viewChanged();
    }
    ShowQueue();
    zorbel::AppMessageBox(this, text, kCaption, zorbel::kMbIconInformation);
}

void CDlgOfflineLibrary::OnQueueClass(wxCommandEvent&) {
    const int choice = m_classChoice->GetSelection();
    if (choice == wxNOT_FOUND || static_cast<std::size_t>(choice) >= m_classes.size()) return;
    const ClassTitles& chosen = m_classes[static_cast<std::size_t>(choice)];
    COfflineQueueRunner& runner = COfflineQueueRunner::Get();
    if (runner.Snapshot().running) {
        zorbel::AppMessageBox(this, "还有一个分类在下载呢，等它下完或者先停下来吧。", kCaption,
                              zorbel::kMbIconInformation);
        return;
    }
    const OfflineShelf shelf(m_cacheFolder);
    const auto contents = shelf.Scan();
    const auto cached = shelf.CachedNames();
    std::size_t missing = 0;
    for (const std::string& title : chosen.titles) missing += cached.count(title) ? 0 : 1;
    if (missing == 0) {
        zorbel::AppMessageBox(this, "“" + chosen.name + "”里的节目都已经存好啦，不联网也能玩！",
                              kCaption, zorbel::kMbIconInformation);
        return;
    }
    std::uint64_t storedBytes = 0;
    for (const auto& title : contents.titles) storedBytes += title.size;
    const std::uint64_t estimate =
        ClassQueue::EstimateBytes(missing, storedBytes, contents.titles.size());
    if (!ClassQueue::Fits(estimate, contents.freeBytes)) {
        zorbel::AppMessageBox(this,
                              "磁盘快满了：这个分类大约要 " + SizeText(estimate) + "，可是只剩 " +
                                  SizeText(contents.freeBytes) + "。先删掉一些不玩的节目吧。",
                              kCaption, zorbel::kMbIconWarning);
        return;
    }
    const std::string question = "“" + chosen.name + "”还有 " + std::to_string(missing) +
                                 " 个节目没存，大约 " + SizeText(estimate) +
                                 "。现在一个一个下载下来吗？";
    if (zorbel::AppMessageBox(this, question, kCaption,
                              zorbel::kMbYesNo | zorbel::kMbIconQuestion) != zorbel::kIdYes)
        return;
    runner.StartClass(chosen.name, chosen.titles);
    ShowQueue();
}

void CDlgOfflineLibrary::OnCancelQueue(wxCommandEvent&) {
    COfflineQueueRunner::Get().Cancel();
    ShowQueue();
    Refresh();
}

void CDlgOfflineLibrary::OnOfflineOnly(wxCommandEvent&) {
    OfflineShelf(m_cacheFolder).SetPlayableOfflineOnly(m_offlineOnly->GetValue());
    if (m_viewChanged) m_viewChanged();
}

void CDlgOfflineLibrary::OnTimer(wxTimerEvent&) {
    const auto progress = COfflineQueueRunner::Get().Snapshot();
    if (progress.done != m_lastDone) {
        m_lastDone = progress.done;
        Refresh();
        if (m_viewChanged) m_viewChanged();
    }
    ShowQueue();
}

void CDlgOfflineLibrary::ShowQueue() {
    const auto progress = COfflineQueueRunner::Get().Snapshot();
    if (!progress.running || progress.total == 0) {
        m_gauge->SetValue(0);
        m_queueText->SetLabel(U("现在没有在下载的分类。"));
        return;
    }
    // The whole class's progress: finished titles plus the share of the one on its way.
    double share = 0;
    if (progress.currentRange > 0)
        share = double(progress.currentPos) / double(progress.currentRange);
    m_gauge->SetValue(static_cast<int>(1000.0 * (progress.done + share) / progress.total));
    std::string text = "正在下载“" + progress.className + "”：第 " +
                       std::to_string(std::min(progress.done + 1, progress.total)) + " 个，共 " +
                       std::to_string(progress.total) + " 个";
    if (!progress.current.empty()) text += "（" + progress.current + "）";
    if (progress.failures > 0) text += "。网络不太好，没下好的会再试的";
    m_queueText->SetLabel(U(text));
}
