// The whole program's download of an uncached title: a real click (XTest) on a title in the
// main window's catalog tree, the main window's own event loop, the download worker and its
// window bridge, the content server played by an in-process demo server. Measures how long
// after the click the title's HTTP request reaches the server, when the advertisement page's
// request does, and the rate from the click to the worker's "100%" against the curl command
// on the same URL, run just before each click. Needs a display with a window manager
// (with-desktop.sh).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <wx/app.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "app/StartupSequence.h"
#include "bench/support/BackgroundLoad.h"
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinButton.h"
#include "tests/support/EventPump.h"
#include "tests/support/PointerInput.h"
#include "tests/support/StartedMainWindow.h"
#include "tests/support/ToolkitStart.h"
#include "tools/catalog_builder/CatalogBuilder.h"
#include "tools/catalog_builder/SyntheticCatalog.h"
#include "tools/demo_server/DemoServer.h"
#include "web/flash/FlashUriScheme.h"

namespace fs = std::filesystem;
using namespace zorbel::plim;
using Clock = std::chrono::steady_clock;

namespace {

struct Settings {
    std::uint64_t size = 64ull << 20;
    int runs = 5;
    int load = 0;
};

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Mib(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1 << 20);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void PrintSeries(const char* name, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    if (v.empty()) return;
    std::printf("%-40s min %7.1f  median %7.1f  max %7.1f %s\n", name, v.front(), v[v.size() / 2],
                v.back(), unit);
}

struct Run {
    double clickToRequest = -1;  // the tree's button press to the title's request
    double sentToRequest = -1;   // the XTest press sent to the title's request
    double clickToAdRequest = -1;
    double rate = 0;      // MiB/s from the press to "100%"
    double curlRate = 0;  // the curl command's, on the same URL just before the click
};

// One download of url by the curl command into out: MiB/s, or a negative number on failure.
double CurlRate(const std::string& url, const fs::path& out, std::uint64_t size) {
    const std::string command = "curl -s -f -o '" + out.string() + "' '" + url + "'";
    const auto t0 = Clock::now();
    const int rc = std::system(command.c_str());
    const double seconds = Ms(t0, Clock::now()) / 1000;
    std::error_code error;
    const bool ok = rc == 0 && fs::file_size(out, error) == size;
    fs::remove(out, error);
    if (!ok) {
        std::fprintf(stderr, "curl failed (%d)\n", rc);
        return -1;
    }
    return Mib(size) / seconds;
}

// Clicks one uncached title after another in the catalog tree, from the main window's own
// event loop, and reads the server's request log after each download.
class ClickDriver : public wxEvtHandler {
public:
    ClickDriver(CPlimDlg* dialog, zorbel::demo::DemoServer& server, const Settings& settings,
                std::string curlUrl, fs::path curlOut, std::vector<Run>& runs)
        : m_dialog(dialog),
          m_server(server),
          m_settings(settings),
          m_curlUrl(std::move(curlUrl)),
          m_curlOut(std::move(curlOut)),
          m_runs(runs),
          m_timer(this) {
        m_tree = dynamic_cast<wxTreeCtrl*>(dialog->GetDlgItem(kIdCatalogTree));
        m_status = dynamic_cast<wxTextCtrl*>(dialog->GetDlgItem(kIdStatusEdit));
        Bind(wxEVT_TIMER, &ClickDriver::OnTimer, this);
        // Bound on the controls, so these run before the main window's own handlers.
        m_tree->Bind(wxEVT_LEFT_DOWN, &ClickDriver::OnTreePress, this);
        m_status->Bind(wxEVT_TEXT, &ClickDriver::OnStatus, this);
    }

    ~ClickDriver() override {
        m_tree->Unbind(wxEVT_LEFT_DOWN, &ClickDriver::OnTreePress, this);
        m_status->Unbind(wxEVT_TEXT, &ClickDriver::OnStatus, this);
    }

    bool Failed() const { return m_failed; }

    void Start() {
        // The titles of the first class, which the type loader expands.
        const wxTreeItemId root = m_tree->GetRootItem();
        wxTreeItemIdValue cookie;
        const wxTreeItemId firstClass = m_tree->GetFirstChild(root, cookie);
        for (wxTreeItemId item = m_tree->GetFirstChild(firstClass, cookie); item.IsOk();
             item = m_tree->GetNextChild(firstClass, cookie))
            m_titles.push_back(item);
        if (static_cast<int>(m_titles.size()) < m_settings.runs) {
            std::fprintf(stderr, "the first class holds only %zu titles\n", m_titles.size());
            Finish(true);
            return;
        }
        Prepare();
    }

private:
    enum class Step { Point, Press, Download };

    void Prepare() {
        // curl on the same URL in the same conditions (the previous page loads and all), for
        // the rate to be set against.
        m_curlRate = CurlRate(m_curlUrl, m_curlOut, m_settings.size);
        if (m_curlRate < 0) {
            Finish(true);
            return;
        }
        const wxTreeItemId item = m_titles[m_runs.size()];
        m_tree->EnsureVisible(item);
        m_step = Step::Point;
        m_timer.StartOnce(300);
    }

    void OnTimer(wxTimerEvent&) {
        const wxTreeItemId item = m_titles[m_runs.size()];
        switch (m_step) {
            case Step::Point: {
                wxRect rect;
                if (!m_tree->GetBoundingRect(item, rect, true)) {
                    std::fprintf(stderr, "the title's row is not on the screen\n");
                    Finish(true);
                    return;
                }
                zorbel::test::MovePointer(
                    m_tree->ClientToScreen(rect.GetPosition() + wxPoint(8, 6)));
                m_step = Step::Press;
                // Time for the hover to be drawn, and for whatever the last run left to settle.
                m_timer.StartOnce(500);
                return;
            }
            case Step::Press:
                m_server.ClearRequestLog();
                m_pressed = Clock::time_point();
                m_done = Clock::time_point();
                m_step = Step::Download;
                m_sent = Clock::now();
                zorbel::test::ClickPointer();
                m_timer.StartOnce(120000);
                return;
            case Step::Download:
                std::fprintf(stderr, "no \"100%%\" within two minutes of the click\n");
                Finish(true);
                return;
        }
    }

    void OnTreePress(wxMouseEvent& event) {
        if (m_step == Step::Download && m_pressed == Clock::time_point()) m_pressed = Clock::now();
        event.Skip();
    }

    // "100%" ends the run. It is not handed on: the play step would load the served bytes,
    // which are no movie, into the player.
    void OnStatus(wxCommandEvent& event) {
        if (m_step != Step::Download || event.GetString() != "100%") {
            event.Skip();
            return;
        }
        m_done = Clock::now();
        m_timer.Stop();
        Run run;
        if (m_pressed == Clock::time_point()) m_pressed = m_sent;
        for (const auto& [line, at] : m_server.RequestLogTimes()) {
            if (run.clickToRequest < 0 && line.find("/vudevu/fla/") != std::string::npos) {
                run.clickToRequest = Ms(m_pressed, at);
                run.sentToRequest = Ms(m_sent, at);
            }
            if (run.clickToAdRequest < 0 && line.find("from=showad") != std::string::npos)
                run.clickToAdRequest = Ms(m_pressed, at);
        }
        run.rate = Mib(m_settings.size) / (Ms(m_pressed, m_done) / 1000);
        run.curlRate = m_curlRate;
        m_runs.push_back(run);
        std::printf(
            "run %zu: click to request %.1f ms (press sent %.1f ms before the click arrived), "
            "click to the ad page's request %.1f ms, click to \"100%%\" %.0f ms, %.1f MiB/s "
            "(curl just before: %.1f MiB/s)\n",
            m_runs.size(), run.clickToRequest, Ms(m_sent, m_pressed), run.clickToAdRequest,
            Ms(m_pressed, m_done), run.rate, run.curlRate);
        std::fflush(stdout);
        CallAfter([this] { Next(); });
    }

    void Next() {
        if (DownloadBusy.load() != 0) {
            CallAfter([this] { Next(); });
            return;
        }
        std::error_code error;
        fs::remove(GetCurrentTitlePath(), error);
        if (static_cast<int>(m_runs.size()) >= m_settings.runs) {
            Finish(false);
            return;
        }
        Prepare();
    }

    void Finish(bool failed) {
        m_failed = failed;
        m_step = Step::Point;
        wxTheApp->ExitMainLoop();
    }

    CPlimDlg* m_dialog;
    zorbel::demo::DemoServer& m_server;
    Settings m_settings;
    std::string m_curlUrl;
    fs::path m_curlOut;
    double m_curlRate = 0;
    std::vector<Run>& m_runs;
    wxTimer m_timer;
    wxTreeCtrl* m_tree = nullptr;
    wxTextCtrl* m_status = nullptr;
    std::vector<wxTreeItemId> m_titles;
    Step m_step = Step::Point;
    Clock::time_point m_sent, m_pressed, m_done;
    bool m_failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--size=", 0) == 0) {
            settings.size = std::stoull(arg.substr(7));
        } else if (arg.rfind("--runs=", 0) == 0) {
            settings.runs = std::max(1, std::stoi(arg.substr(7)));
        } else if (arg.rfind("--load=", 0) == 0) {
            settings.load = std::max(0, std::stoi(arg.substr(7)));
        } else {
            std::fprintf(stderr, "usage: %s [--size=BYTES] [--runs=N] [--load=PROCESSES]\n",
                         argv[0]);
            return 2;
        }
    }
    std::printf("load average before: %s\n", zorbel::bench::BackgroundLoad::LoadAverage().c_str());
    zorbel::bench::BackgroundLoad load;
    if (!load.Start(settings.load, true)) return 1;

    const fs::path root =
        fs::temp_directory_path() / ("zorbel-click-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "data" / "Zorbel");
    fs::create_directories(root / "exe");
    fs::create_directories(root / "content");
    zorbel::demo::DemoServerOptions options;
    options.contentDir = (root / "content").string();
    options.wwwDir = ZORBEL_SOURCE_DIR "/tools/demo_server/www";
    zorbel::demo::DemoServer server(options);
    if (const auto started = server.Start(); !started.ok()) {
        std::fprintf(stderr, "demo server: %s\n", started.error.c_str());
        return 1;
    }
    const std::string contentServer =
        server.BaseUrl() + "/_fault/size/" + std::to_string(settings.size);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    CVelaPfcSystem::SetExeFolderOverride((root / "exe").string());
    {
        std::ofstream ini(root / "exe" / "Zorbel.ini");
        ini << "[VIEDO]\nViedoPath=" << (root / "cache").string()
            << "\n[HOSTS]\nWebSite=" << server.BaseUrl() << "\nWebServer=" << server.BaseUrl()
            << "\nContentServer=" << contentServer << "\nVendorSiteName=vendor.example\n";
    }
    // About a hundred titles in each class.
    const auto built = zorbel::catalogbuild::BuildCatalog(
        zorbel::catalogbuild::MakeSyntheticSeed(4000, server.BaseUrl()),
        zorbel::files::CatalogPath());
    if (!built.ok) {
        std::fprintf(stderr, "catalog build failed: %s\n", built.error.c_str());
        return 1;
    }

    if (!zorbel::test::StartToolkit(argv[0])) return 1;
    zorbel::SetMessageBoxHook([](wxWindow*, const std::string& text, const std::string&, long) {
        std::fprintf(stderr, "message box: %s\n", text.c_str());
        return 1;
    });
    zorbel::FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
    CPlimDlg* dialog =
        zorbel::test::ShowStartedMainWindow(std::string(ZORBEL_SOURCE_DIR) + "/res/skins");
    // The start-up the program runs a second after showing the window, at once.
    dialog->DeferredStartup();
    auto* games = dynamic_cast<CSkinButton*>(dialog->GetDlgItem(kIdCategoryGames));
    if (games == nullptr) return 1;
    games->Click();
    // The player's control and the advertisement page get ready.
    zorbel::test::PumpFor(std::chrono::seconds(4));

    std::vector<Run> runs;
    bool failed = false;
    {
        ClickDriver driver(dialog, server, settings, contentServer + "/vudevu/fla/curl.swf",
                           root / "curl.out", runs);
        driver.CallAfter([&driver] { driver.Start(); });
        wxTheApp->OnRun();
        failed = driver.Failed();
    }
    std::printf("load average after: %s\n", zorbel::bench::BackgroundLoad::LoadAverage().c_str());
    load.Stop();

    StopDownloadWorkers();
    dialog->Destroy();
    zorbel::test::PumpFor(std::chrono::milliseconds(300));
    zorbel::test::StopToolkit();
    CVelaPfcSystem::SetExeFolderOverride("");
    server.Stop();
    std::error_code error;
    fs::remove_all(root, error);
    if (failed || runs.empty()) return 1;

    std::vector<double> toRequest, sentToRequest, toAd, rates, curlRates, ratios;
    for (const Run& run : runs) {
        toRequest.push_back(run.clickToRequest);
        sentToRequest.push_back(run.sentToRequest);
        toAd.push_back(run.clickToAdRequest);
        rates.push_back(run.rate);
        curlRates.push_back(run.curlRate);
        ratios.push_back(run.rate / run.curlRate);
    }
    std::printf("size %.0f MiB, %zu runs\n", Mib(settings.size), runs.size());
    PrintSeries("click to the title's request", toRequest, "ms (target < 20)");
    PrintSeries("XTest press sent to the title's request", sentToRequest, "ms");
    PrintSeries("click to the ad page's request", toAd, "ms");
    PrintSeries("click to \"100%\" rate", rates, "MiB/s");
    PrintSeries("curl -o rate just before each click", curlRates, "MiB/s");
    PrintSeries("click to \"100%\" rate / curl's", ratios, "");
    const double curl = Median(curlRates);
    std::printf(
        "median: curl %.1f MiB/s, click to \"100%%\" %.1f MiB/s, ratio %.2f (target >= "
        "0.90)\n",
        curl, Median(rates), Median(rates) / curl);
    return 0;
}
