// How long a catalog type takes to reach the main window's tree on a 40,000-title catalog
// (10,000 titles in the type): the games button's whole click path, the type loader alone, and
// a split of the loader's cost into the catalog queries, the bare tree inserts and the skin
// engine's per-item calls. Every figure includes painting the filled tree. With --load=N the
// benchmark first starts N busy processes, so the loaded case can be reproduced anywhere.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/utils.h>
#include <wx/webview.h>
#include <wx/wupdlock.h>

#include "app/CatalogFiles.h"
#include "bench/support/BackgroundLoad.h"
#include "bench/support/XRoundTrips.h"
#include "bench/support/XServerCpu.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "app/StartupSequence.h"
#include "catalog/DownloadState.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinButton.h"
#include "tests/support/StartedMainWindow.h"
#include "tests/support/ToolkitStart.h"
#include "tools/catalog_builder/CatalogBuilder.h"
#include "tools/catalog_builder/SyntheticCatalog.h"
#include "web/DlgShowAd.h"
#include "web/WebBrowser2.h"

using namespace zorbel::plim;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTitles = 40000;
int g_runs = 5;
// Only the rows whose name holds this text run (all when empty): for profiling one case.
std::string g_only;
// Prints when each timed run starts and ends (CLOCK_MONOTONIC seconds, the clock of
// `perf record -k mono`), so that a profile can be cut down to the timed runs.
bool g_trace = false;

double MonotonicSeconds(Clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}
constexpr const char* kGamesType = "4";

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of the whole process: on a loaded machine the wall time also holds the waits for a core.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Paints whatever the load left pending, so the figure ends with the tree on screen.
void Settle(wxWindow* window) {
    window->Update();
    while (wxTheApp->Pending()) wxTheApp->Dispatch();
    wxTheApp->Yield(true);
    window->Update();
}

CPlimDlg* g_dialog = nullptr;

// Lets the advertisement page that the untimed step loaded finish: a user clicks the next
// button after the page has come up, not while the web engine still lays it out (which on a
// loaded machine would share the processor with the timed click).
void SettleWebPage() {
    if (g_dialog == nullptr || g_dialog->m_pAdPanel == nullptr) return;
    wxWebView* view = g_dialog->m_pAdPanel->Browser().GetView();
    const auto loaded = Clock::now() + std::chrono::seconds(3);
    while (view != nullptr && view->IsBusy() && Clock::now() < loaded) {
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    }
    const auto drawn = Clock::now() + std::chrono::milliseconds(200);
    while (Clock::now() < drawn) {
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    }
}

struct Series {
    std::string name;
    std::vector<double> ms;
    std::vector<double> cpu;
    std::vector<double> call;    // up to the return of the call, before painting
    std::vector<double> waits;   // X server round trips
    std::vector<double> server;  // the X server's processor time
    unsigned items = 0;
};

void Print(const Series& s) {
    if (s.ms.empty()) return;
    std::vector<double> v = s.ms;
    std::sort(v.begin(), v.end());
    std::vector<double> c = s.cpu;
    std::sort(c.begin(), c.end());
    std::vector<double> k = s.call;
    std::sort(k.begin(), k.end());
    std::vector<double> w = s.waits;
    std::sort(w.begin(), w.end());
    std::vector<double> x = s.server;
    std::sort(x.begin(), x.end());
    std::printf(
        "%-34s min %6.1f  median %6.1f  max %6.1f ms  (median: cpu %5.1f, call %5.1f,"
        " X round trips %3.0f, X server cpu %5.1f)  items %u\n",
        s.name.c_str(), v.front(), v[v.size() / 2], v.back(), c[c.size() / 2], k[k.size() / 2],
        w[w.size() / 2], x[x.size() / 2], s.items);
}

// Runs setup (untimed) and then body g_runs times, timing body plus the painting after it.
Series Measure(const std::string& name, wxWindow* paintTarget, wxTreeCtrl* tree,
               const std::function<void()>& setup, const std::function<void()>& body) {
    Series s{name, {}, {}, {}, {}, {}, 0};
    if (name.find(g_only) == std::string::npos) return s;
    for (int run = 0; run < g_runs; ++run) {
        setup();
        Settle(paintTarget);
        SettleWebPage();
        const std::uint64_t waitsStart = zorbel::bench::XRoundTrips();
        const double serverStart = zorbel::bench::XServerCpuMs();
        const double cpuStart = CpuMs();
        const Clock::time_point start = Clock::now();
        body();
        s.call.push_back(Ms(start, Clock::now()));
        Settle(paintTarget);
        s.ms.push_back(Ms(start, Clock::now()));
        s.cpu.push_back(CpuMs() - cpuStart);
        s.waits.push_back(static_cast<double>(zorbel::bench::XRoundTrips() - waitsStart));
        s.server.push_back(zorbel::bench::XServerCpuMs() - serverStart);
        if (g_trace)
            std::printf("trace %s: %.6f %.6f\n", name.c_str(), MonotonicSeconds(start),
                        MonotonicSeconds(Clock::now()));
        if (tree != nullptr) s.items = static_cast<unsigned>(tree->GetCount());
    }
    return s;
}

// The type's classes and titles, read the way the type loader reads them.
std::vector<std::pair<std::string, std::vector<std::string>>> ReadType(const std::string& type) {
    std::vector<std::pair<std::string, std::vector<std::string>>> classes;
    CDbVelaLite db;
    if (!db.Open(zorbel::files::CatalogPath(), zorbel::files::kCatalogKey)) return classes;
    std::unique_ptr<CSqlStatement> cls(db.Prepare(zorbel::sql::SqlClassesOfType(type)));
    std::unique_ptr<CSqlStatement> titles(db.Prepare(zorbel::sql::SqlTitlesOfBoundClass()));
    while (cls && cls->IsValid() && cls->NextRow()) {
        classes.push_back({cls->ColumnText(zorbel::sql::kClassName), {}});
        if (!titles->Rebind(1, cls->ColumnInt(zorbel::sql::kClassId))) continue;
        while (titles->NextRow())
            classes.back().second.push_back(titles->ColumnText(zorbel::sql::kFileProgramName));
    }
    return classes;
}

// The loader's inserts without the catalog: the same items, with or without the skin calls.
void FillTree(wxTreeCtrl* tree,
              const std::vector<std::pair<std::string, std::vector<std::string>>>& classes,
              bool skin) {
    // Frozen as the type loader freezes it.
    wxWindowUpdateLocker noUpdates(tree);
    tree->DeleteAllItems();
    if (skin) SkinDLL_SubclassWindow(tree, "tree.videolist");
    const wxTreeItemId root =
        tree->GetRootItem().IsOk() ? tree->GetRootItem() : tree->AddRoot(wxString());
    bool first = true;
    auto add = [&](const wxTreeItemId& parent, const std::string& text) {
        const wxTreeItemId item = tree->AppendItem(parent, wxString::FromUTF8(text));
        if (skin) {
            SkinDLL_TreeCtrl_SetDrawItemSkin(tree, item, "drawitem.item", 0);
            SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, item, "item.name", text.c_str(), 0);
        }
        return item;
    };
    for (const auto& [name, titles] : classes) {
        const wxTreeItemId classItem = add(root, name);
        for (const std::string& title : titles) add(classItem, title);
        if (first) tree->Expand(classItem);
        first = false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    int loadProcesses = 0;
    bool loadOwnSession = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--load=", 0) == 0) {
            loadProcesses = std::max(0, std::atoi(arg.c_str() + 7));
        } else if (arg.rfind("--runs=", 0) == 0) {
            g_runs = std::max(1, std::atoi(arg.c_str() + 7));
        } else if (arg == "--load-same-session") {
            loadOwnSession = false;
        } else if (arg == "--trace") {
            g_trace = true;
        } else if (arg.rfind("--only=", 0) == 0) {
            g_only = arg.substr(7);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--load=PROCESSES [--load-same-session]] [--runs=N] "
                         "[--only=TEXT] [--trace]\n",
                         argv[0]);
            return 2;
        }
    }
    std::printf("load average before: %s\n", zorbel::bench::BackgroundLoad::LoadAverage().c_str());
    // Started before the toolkit and its threads: the children are plain forks.
    zorbel::bench::BackgroundLoad load;
    if (!load.Start(loadProcesses, loadOwnSession)) {
        std::fprintf(stderr, "cannot start the background load\n");
        return 1;
    }
    if (loadProcesses > 0)
        std::printf("%d busy background processes (%s)\n", loadProcesses,
                    loadOwnSession ? "a session of their own" : "in the benchmark's session");
    if (!zorbel::test::StartToolkit(argv[0])) return 1;
    int boxes = 0;
    zorbel::SetMessageBoxHook(
        [&boxes](wxWindow*, const std::string& text, const std::string&, long) {
            ++boxes;
            std::fprintf(stderr, "message box: %s\n", text.c_str());
            return 1;
        });

    char pattern[] = "/tmp/tree_load_bench.XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::filesystem::path work(pattern);
    std::filesystem::create_directories(work / "data" / "Zorbel");
    std::filesystem::create_directories(work / "exe");
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    CVelaPfcSystem::SetExeFolderOverride((work / "exe").string());
    {
        std::ofstream ini(work / "exe" / "Zorbel.ini");
        ini << "[VIEDO]\nViedoPath=" << (work / "cache").string()
            << "\n[HOSTS]\nWebSite=\nWebServer=\nContentServer=\nVendorSiteName=vendor.example\n";
    }

    Clock::time_point start = Clock::now();
    const auto built = zorbel::catalogbuild::BuildCatalog(
        zorbel::catalogbuild::MakeSyntheticSeed(kTitles, "http://127.0.0.1:9"),
        zorbel::files::CatalogPath());
    if (!built.ok) {
        std::fprintf(stderr, "catalog build failed: %s\n", built.error.c_str());
        return 1;
    }
    std::printf("catalog of %d titles built in %.0f ms\n", kTitles, Ms(start, Clock::now()));

    CPlimDlg* dialog =
        zorbel::test::ShowStartedMainWindow(std::string(ZORBEL_SOURCE_DIR) + "/res/skins");
    g_dialog = dialog;
    Settle(dialog);
    auto* tree = dynamic_cast<wxTreeCtrl*>(dialog->GetDlgItem(kIdCatalogTree));
    auto* games = dynamic_cast<CSkinButton*>(dialog->GetDlgItem(kIdCategoryGames));
    auto* home = dynamic_cast<CSkinButton*>(dialog->GetDlgItem(kIdCategoryHome));
    if (tree == nullptr || games == nullptr || home == nullptr) {
        std::fprintf(stderr, "main window lacks the tree or the category buttons\n");
        return 1;
    }

    // The first click also creates the ad panel; it is reported but not counted.
    start = Clock::now();
    games->Click();
    Settle(dialog);
    std::printf("first games click (creates the ad panel): %.1f ms, items %u\n",
                Ms(start, Clock::now()), static_cast<unsigned>(tree->GetCount()));

    std::vector<Series> results;
    results.push_back(Measure(
        "games click from home", dialog, tree, [&] { home->Click(); }, [&] { games->Click(); }));
    results.push_back(Measure(
        "games click from games", dialog, tree, [] {}, [&] { games->Click(); }));
    results.push_back(Measure(
        "home, then LoadCatalogType(\"4\")", dialog, tree, [&] { home->Click(); },
        [&] { dialog->LoadCatalogType(kGamesType); }));
    results.push_back(Measure(
        "home, then tree Show + load", dialog, tree, [&] { home->Click(); },
        [&] {
            tree->Show();
            dialog->LoadCatalogType(kGamesType);
        }));
    results.push_back(Measure(
        "LoadCatalogType(\"4\") on empty", dialog, tree, [&] { tree->DeleteAllItems(); },
        [&] { dialog->LoadCatalogType(kGamesType); }));

    // Where the loader's time goes.
    std::vector<std::pair<std::string, std::vector<std::string>>> classes;
    results.push_back(Measure(
        "split: catalog open + queries", dialog, nullptr, [] {},
        [&] { classes = ReadType(kGamesType); }));
    if (classes.empty()) classes = ReadType(kGamesType);
    unsigned titleCount = 0;
    for (const auto& c : classes) titleCount += static_cast<unsigned>(c.second.size());
    results.back().items = titleCount + static_cast<unsigned>(classes.size());
    results.push_back(Measure(
        "split: inserts, no skin calls", dialog, tree, [&] { tree->DeleteAllItems(); },
        [&] { FillTree(tree, classes, false); }));
    results.push_back(Measure(
        "split: inserts + skin calls", dialog, tree, [&] { tree->DeleteAllItems(); },
        [&] { FillTree(tree, classes, true); }));
    results.push_back(Measure(
        "split: DeleteAllItems of full tree", dialog, tree, [&] { FillTree(tree, classes, true); },
        [&] { tree->DeleteAllItems(); }));

    // The parts of the click path that do not depend on the catalog.
    results.push_back(Measure(
        "split: ShowAdPage (ad panel)", dialog, nullptr, [] {},
        [&] { dialog->ShowAdPage(std::string()); }));
    results.push_back(Measure(
        "split: showing the hidden tree", dialog, nullptr, [&] { tree->Hide(); },
        [&] { tree->Show(); }));

    std::printf("%d runs each, figures include painting:\n", g_runs);
    for (const Series& s : results) Print(s);
    std::printf("load average after: %s\n", zorbel::bench::BackgroundLoad::LoadAverage().c_str());
    load.Stop();
    if (boxes != 0) std::printf("message boxes shown: %d\n", boxes);

    home->Click();
    g_dialog = nullptr;
    dialog->Destroy();
    while (wxTheApp->Pending()) wxTheApp->Dispatch();
    CVelaPfcSystem::SetExeFolderOverride("");
    std::error_code error;
    std::filesystem::remove_all(work, error);
    zorbel::test::StopToolkit();
    return 0;
}
