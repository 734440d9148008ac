// Memory of a process with N browser views (default 4) showing local pages: RSS and PSS of the
// process and of every WebKit process it started, from /proc/<pid>/smaps_rollup.
//   xvfb-run -a build/bin/web_memory_bench [views]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/utils.h>

#include "tests/support/EventPump.h"
#include "tests/support/ToolkitStart.h"
#include "web/WebBrowser2.h"

namespace fs = std::filesystem;
using zorbel::test::PumpFor;

namespace {

struct Memory {
    long rssKb = 0;
    long pssKb = 0;
};

Memory ReadRollup(int pid) {
    Memory m;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    // The first line names the range; then one "Key: value kB" per line.
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        long value = 0;
        if (!(fields >> key >> value)) continue;
        if (key == "Rss:")
            m.rssKb = value;
        else if (key == "Pss:")
            m.pssKb = value;
    }
    return m;
}

std::string NameOf(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// Every process below root, found through the parent ids in /proc/<pid>/stat.
std::vector<int> Descendants(int root) {
    std::multimap<int, int> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) continue;
        // The command name may hold blanks; the fields after its closing parenthesis do not.
        auto close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state;
        int ppid;
        rest >> state >> ppid;
        children.emplace(ppid, std::stoi(name));
    }
    std::vector<int> found;
    std::vector<int> todo{root};
    while (!todo.empty()) {
        int pid = todo.back();
        todo.pop_back();
        auto range = children.equal_range(pid);
        for (auto it = range.first; it != range.second; ++it) {
            found.push_back(it->second);
            todo.push_back(it->second);
        }
    }
    return found;
}

void Report(const char* title) {
    std::printf("%s\n", title);
    std::printf("  %-8s %-24s %10s %10s\n", "pid", "process", "RSS MB", "PSS MB");
    Memory total;
    std::vector<int> pids{static_cast<int>(getpid())};
    for (int child : Descendants(getpid())) pids.push_back(child);
    for (int pid : pids) {
        Memory m = ReadRollup(pid);
        total.rssKb += m.rssKb;
        total.pssKb += m.pssKb;
        std::printf("  %-8d %-24s %10.1f %10.1f\n", pid, NameOf(pid).c_str(), m.rssKb / 1024.0,
                    m.pssKb / 1024.0);
    }
    std::printf("  %-33s %10.1f %10.1f\n\n", "total", total.rssKb / 1024.0, total.pssKb / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const int views = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
    if (!zorbel::test::StartToolkit(argv[0])) return 1;

    fs::path dir = fs::temp_directory_path() / ("zorbel-web-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);

    auto* frame = new wxFrame(nullptr, wxID_ANY, "web memory", wxPoint(0, 0), wxSize(1000, 700));
    frame->Show();
    PumpFor(std::chrono::milliseconds(500));
    Report("before any web view");

    std::vector<std::unique_ptr<CWebBrowser2>> browsers;
    int loaded = 0;
    frame->Bind(wxEVT_WB_DOCUMENT_COMPLETE, [&](CWebBrowserEvent& e) {
        if (e.GetURL().StartsWith("file://")) ++loaded;
    });
    for (int i = 0; i < views; ++i) {
        fs::path page = dir / ("page" + std::to_string(i) + ".html");
        std::ofstream(page) << "<!DOCTYPE html><html><head><meta charset='utf-8'><style>"
                               "body{font:16px sans-serif;background:#fff6d8}</style></head>"
                               "<body><h1>页面 "
                            << i << "</h1><p>" << std::string(2000, 'x') << "</p><ul>" <<
            [] {
                std::string s;
                for (int k = 0; k < 50; ++k) s += "<li>item</li>";
                return s;
            }() << "</ul></body></html>";
        auto browser = std::make_unique<CWebBrowser2>();
        browser->Create(frame, 1032 + i, wxRect((i % 2) * 500, (i / 2) * 350, 490, 340));
        browser->SetSilent(true);
        browser->Navigate("file://" + page.string());
        browsers.push_back(std::move(browser));
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (loaded < views && std::chrono::steady_clock::now() < deadline)
        PumpFor(std::chrono::milliseconds(50));
    // Let the web processes finish their first paint and settle.
    PumpFor(std::chrono::seconds(3));
    char title[80];
    std::snprintf(title, sizeof title, "%d web views, %d of them loaded", views, loaded);
    Report(title);

    browsers.clear();
    frame->Destroy();
    PumpFor(std::chrono::milliseconds(200));
    std::error_code ec;
    fs::remove_all(dir, ec);
    zorbel::test::StopToolkit();
    return loaded == views ? 0 : 1;
}
