#include "mainwnd/TestScript.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <wx/app.h>
#include <wx/treectrl.h>

#include "mainwnd/PlimDlg.h"
#include "player/DlgPlayer.h"
#include "web/flash/ShockwaveFlash.h"

namespace {

wxTreeItemId FindItem(wxTreeCtrl* tree, const wxTreeItemId& item, const wxString& text) {
    if (!item.IsOk()) return wxTreeItemId();
    if (item != tree->GetRootItem() && tree->GetItemText(item) == text) return item;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
         child = tree->GetNextChild(item, cookie)) {
        const wxTreeItemId found = FindItem(tree, child, text);
        if (found.IsOk()) return found;
    }
    return wxTreeItemId();
}

void DumpItems(wxTreeCtrl* tree, const wxTreeItemId& item, int depth, std::ostream& out) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
         child = tree->GetNextChild(item, cookie)) {
        out << depth << '\t' << tree->GetItemText(child).utf8_str() << '\n';
        DumpItems(tree, child, depth + 1, out);
    }
}

// "<file> <label>": appends "<label> <figure>" to file.
void AppendFigure(const std::string& fileAndLabel, long long figure) {
    std::istringstream args(fileAndLabel);
    std::string file;
    std::string label;
    args >> file >> label;
    std::ofstream(file, std::ios::app) << label << ' ' << figure << '\n';
}

}  // namespace

void CTestScript::StartFromEnvironment(CPlimDlg* window) {
    const char* path = std::getenv(kVariable);
    if (path == nullptr || *path == '\0' || window == nullptr) return;
    std::ifstream file(path);
    if (!file) return;
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        if (!line.empty()) lines.push_back(line);
    // It deletes itself when done.
    new CTestScript(window, std::move(lines));
}

CTestScript::CTestScript(CPlimDlg* window, std::vector<std::string> lines)
    : m_window(window), m_lines(std::move(lines)), m_timer(this), m_stallTimer(this) {
    Bind(wxEVT_TIMER, &CTestScript::OnTick, this, m_timer.GetId());
    Bind(wxEVT_TIMER, &CTestScript::OnStallTick, this, m_stallTimer.GetId());
    m_timer.StartOnce(kTickMs);
}

void CTestScript::OnTick(wxTimerEvent&) {
    // A stamp takes no turn of its own: it marks the moment the line before it ended and the
    // line after it begins, so a benchmark's figure holds no waiting of the script's own.
    while (m_window && m_next < m_lines.size() && Run(m_lines[m_next])) {
        const bool stamped = IsStamp(m_lines[m_next]);
        ++m_next;
        if (!stamped && (m_next >= m_lines.size() || !IsStamp(m_lines[m_next]))) break;
    }
    if (m_window && m_next < m_lines.size()) {
        // A wait looks often, so that what it waits for is seen within a few milliseconds.
        m_timer.StartOnce(m_lines[m_next].rfind("wait-", 0) == 0 ? 5 : kTickMs);
        return;
    }
    m_timer.Stop();
    m_stallTimer.Stop();
    Unbind(wxEVT_TIMER, &CTestScript::OnTick, this, m_timer.GetId());
    Unbind(wxEVT_TIMER, &CTestScript::OnStallTick, this, m_stallTimer.GetId());
    // Not inside its own event: the toolkit still uses the handler on the way back.
    if (wxTheApp != nullptr) wxTheApp->ScheduleForDestruction(this);
}

void CTestScript::OnStallTick(wxTimerEvent&) {
    const auto now = std::chrono::steady_clock::now();
    const double late =
        std::chrono::duration<double, std::milli>(now - m_lastStallTick).count() - kStallTickMs;
    m_longestStallMs = std::max(m_longestStallMs, late);
    m_lastStallTick = now;
}

bool CTestScript::IsStamp(const std::string& line) {
    return line.rfind("stamp ", 0) == 0 || line.rfind("stalls ", 0) == 0;
}

bool CTestScript::Run(const std::string& line) {
    CPlimDlg* window = m_window.get();
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::string rest;
    std::getline(words >> std::ws, rest);

    if (command == "select") {
        wxTreeCtrl* tree = window->m_treeCatalog;
        if (tree == nullptr) return true;
        const wxTreeItemId item = FindItem(tree, tree->GetRootItem(), wxString::FromUTF8(rest));
        if (item.IsOk()) tree->SelectItem(item);
        return true;
    }
    if (command == "wait-play") {
        const CDlgPlayer* player = window->m_pPlayerPanel;
        return player != nullptr && !player->MoviePath().empty() && player->IsActive() == 1;
    }
    if (command == "wait-frame") {
        const CDlgPlayer* player = window->m_pPlayerPanel;
        const zorbel::CShockwaveFlash* control = player ? player->MovieControl() : nullptr;
        return control != nullptr && control->IsFirstFrameShown();
    }
    if (command == "sleep") {
        const auto now = std::chrono::steady_clock::now();
        if (m_sleepLine != m_next) {
            m_sleepLine = m_next;
            m_sleepUntil = now + std::chrono::milliseconds(std::atoi(rest.c_str()));
        }
        if (now < m_sleepUntil) return false;
        m_sleepLine = static_cast<size_t>(-1);
        return true;
    }
    if (command == "stamp") {
        // Wall-clock milliseconds, so that a benchmark outside can set them against its own.
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
        AppendFigure(rest, static_cast<long long>(ms));
        return true;
    }
    if (command == "watch-stalls") {
        m_lastStallTick = std::chrono::steady_clock::now();
        m_longestStallMs = 0;
        m_stallTimer.Start(kStallTickMs);
        return true;
    }
    if (command == "stalls") {
        AppendFigure(rest, static_cast<long long>(m_longestStallMs));
        m_longestStallMs = 0;
        m_stallTimer.Stop();
        return true;
    }
    if (command == "radio") {
        const int id = std::atoi(rest.c_str());
        wxWindow* control = window->GetDlgItem(id);
        wxCommandEvent click(wxEVT_RADIOBUTTON, id);
        click.SetEventObject(control != nullptr ? control : window);
        click.SetInt(1);
        window->GetEventHandler()->ProcessEvent(click);
        return true;
    }
    if (command == "dump") {
        std::istringstream args(rest);
        int id = 0;
        std::string file;
        args >> id;
        std::getline(args >> std::ws, file);
        auto* tree = dynamic_cast<wxTreeCtrl*>(window->GetDlgItem(id));
        if (tree == nullptr || file.empty()) return true;
        {
            std::ofstream out(file + ".part", std::ios::trunc);
            if (tree->GetRootItem().IsOk()) DumpItems(tree, tree->GetRootItem(), 0, out);
        }
        std::rename((file + ".part").c_str(), file.c_str());
        return true;
    }
    return true;
}
