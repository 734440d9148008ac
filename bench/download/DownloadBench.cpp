// Download throughput of the worker with the window bridge and a running event loop, against
// the curl command on the same URL in the same run, and how late a 10 ms timer fires while
// the worker runs. Needs a display (xvfb-run) and the curl command.
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "catalog/TitleDownload.h"
#include "catalog/WindowDownloadUi.h"
#include "tests/support/ToolkitStart.h"
#include "tools/demo_server/DemoServer.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Settings {
    std::uint64_t size = 64ull << 20;
    int runs = 3;
    bool synchronous = false;
    bool core = false;
};

// The worker without a window: every call returns at once.
class NullUi : public DownloadUi {
public:
    void SetStatusText(const std::string&) override {}
    void SetProgressRange(std::uint64_t) override {}
    void SetProgressPos(std::uint64_t) override {}
    void ShowProgress(bool) override {}
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The calling thread's processor time: in --core mode the worker runs on it, and unlike the
// rate this hardly depends on what else the machine does.
double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Mib(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1 << 20);
}

// What the frame measured; outlives the frame.
struct Results {
    std::vector<double> rates;
    std::vector<double> lateness;
    bool failed = false;
};

class BenchFrame : public wxFrame {
public:
    BenchFrame(const Settings& settings, const std::string& url, const std::string& cache,
               Results& results)
        : wxFrame(nullptr, wxID_ANY, "download bench"),
          m_settings(settings),
          m_url(url),
          m_cache(cache),
          m_results(results),
          m_timer(this) {
        m_edit = new wxTextCtrl(this, CWindowDownloadUi::kStatusEditId, "", wxPoint(0, 0),
                                wxSize(12, 24));
        m_edit->Hide();
        m_gauge = new wxGauge(this, CWindowDownloadUi::kProgressBarId, 100, wxPoint(20, 20),
                              wxSize(116, 12));
        Bind(wxEVT_TEXT, &BenchFrame::OnText, this);
        Bind(wxEVT_TIMER, &BenchFrame::OnTimer, this);
        Show();
    }

    // The worker that just said "100%" clears DownloadBusy right after; a worker started
    // before that would end at once, as a second download does.
    void StartWhenIdle() {
        if (DownloadBusy.load() != 0) {
            CallAfter([this] { StartWhenIdle(); });
            return;
        }
        StartRun();
    }

    void StartRun() {
        const TitleDownload title = TitleDownload::Prepare(m_cache, "big", m_url);
        fs::remove(title.titlePath);
        SetDownloadUrl(title.url);
        SetCurrentTitlePath(title.titlePath);
        m_gauge->Show();
        m_start = Clock::now();
        m_lastTick = m_start;
        m_timer.Start(10);
        StartDownloadWorker(this, DownloadOptions(),
                            m_settings.synchronous
                                ? CWindowDownloadUi::ProgressDelivery::Synchronous
                                : CWindowDownloadUi::ProgressDelivery::Coalesced);
    }

private:
    void OnText(wxCommandEvent& event) {
        if (event.GetString() == "0%" || DownloadBusy.load() == 0) return;
        m_timer.Stop();
        const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        const bool ok =
            event.GetString() == "100%" && fs::file_size(GetCurrentTitlePath()) == m_settings.size;
        if (!ok) {
            std::fprintf(stderr, "run ended with \"%s\"\n", event.GetString().utf8_str().data());
            m_results.failed = true;
            CallAfter([this] { Close(); });
            return;
        }
        auto& rates = m_results.rates;
        rates.push_back(Mib(m_settings.size) / seconds);
        std::printf("worker run %zu: %.3f s, %.1f MiB/s\n", rates.size(), seconds, rates.back());
        std::fflush(stdout);
        if (static_cast<int>(rates.size()) < m_settings.runs)
            CallAfter([this] { StartWhenIdle(); });
        else
            CallAfter([this] { Close(); });
    }

    void OnTimer(wxTimerEvent&) {
        const auto now = Clock::now();
        m_results.lateness.push_back(
            std::chrono::duration<double, std::milli>(now - m_lastTick).count() - 10);
        m_lastTick = now;
        // A run that ended without "100%" failed.
        if (DownloadBusy.load() == 0 && DownloadWorkerCount() == 0) {
            std::fprintf(stderr, "the worker ended without \"100%%\"\n");
            m_timer.Stop();
            m_results.failed = true;
            Close();
        }
    }

    Settings m_settings;
    std::string m_url;
    std::string m_cache;
    Results& m_results;
    wxTimer m_timer;
    wxTextCtrl* m_edit;
    wxGauge* m_gauge;
    Clock::time_point m_start, m_lastTick;
};

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sync")
            settings.synchronous = true;
        else if (arg == "--core")
            settings.core = true;
        else if (arg.rfind("--size=", 0) == 0)
            settings.size = std::stoull(arg.substr(7));
        else if (arg.rfind("--runs=", 0) == 0)
            settings.runs = std::max(1, std::stoi(arg.substr(7)));
        else {
            std::fprintf(stderr, "usage: %s [--size=BYTES] [--runs=N] [--sync | --core]\n",
                         argv[0]);
            return 2;
        }
    }

    const fs::path root =
        fs::temp_directory_path() / ("zorbel-download-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "content");
    fs::create_directories(root / "www");
    fs::create_directories(root / "cache");
    zorbel::demo::DemoServerOptions options;
    options.contentDir = (root / "content").string();
    options.wwwDir = (root / "www").string();
    zorbel::demo::DemoServer server(options);
    const auto started = server.Start();
    if (!started.ok()) {
        std::fprintf(stderr, "demo server: %s\n", started.error.c_str());
        return 1;
    }
    const std::string base = server.BaseUrl() + "/_fault/size/" + std::to_string(settings.size);
    const std::string fileUrl = base + "/vudevu/fla/big.swf";

    std::vector<double> curlRates;
    for (int i = 0; i < settings.runs; ++i) {
        const std::string out = (root / "cache" / "curl.out").string();
        const std::string command = "curl -s -f -o '" + out + "' '" + fileUrl + "'";
        const auto t0 = Clock::now();
        const int rc = std::system(command.c_str());
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        if (rc != 0 || fs::file_size(out) != settings.size) {
            std::fprintf(stderr, "curl failed (%d)\n", rc);
            return 1;
        }
        fs::remove(out);
        curlRates.push_back(Mib(settings.size) / seconds);
        std::printf("curl run %d: %.3f s, %.1f MiB/s\n", i + 1, seconds, curlRates.back());
    }

    if (settings.core) {
        std::vector<double> rates, cpus;
        for (int i = 0; i < settings.runs; ++i) {
            const TitleDownload title =
                TitleDownload::Prepare((root / "cache").string(), "big", base);
            SetDownloadUrl(title.url);
            SetCurrentTitlePath(title.titlePath);
            NullUi ui;
            CDownloadWorker worker(ui);
            const auto t0 = Clock::now();
            const double cpu0 = ThreadCpuMs();
            const DownloadResult result = worker.Run();
            const double cpu = ThreadCpuMs() - cpu0;
            const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
            if (result.outcome != DownloadOutcome::Completed) {
                std::fprintf(stderr, "the worker's download failed: %s\n", result.detail.c_str());
                return 1;
            }
            fs::remove(title.titlePath);
            rates.push_back(Mib(settings.size) / seconds);
            cpus.push_back(cpu);
            std::printf("worker (no window) run %d: %.3f s, %.1f MiB/s, worker CPU %.0f ms\n",
                        i + 1, seconds, rates.back(), cpu);
        }
        server.Stop();
        fs::remove_all(root);
        std::printf(
            "median: curl %.1f MiB/s, worker without window %.1f MiB/s, ratio %.2f; "
            "worker CPU %.0f ms\n",
            Median(curlRates), Median(rates), Median(rates) / Median(curlRates), Median(cpus));
        return 0;
    }

    if (!zorbel::test::StartToolkit(argv[0])) return 1;
    Results results;
    auto* frame = new BenchFrame(settings, base, (root / "cache").string(), results);
    frame->CallAfter([frame] { frame->StartRun(); });
    wxTheApp->OnRun();
    StopDownloadWorkers();
    const std::vector<double>& rates = results.rates;
    std::vector<double> late = results.lateness;
    const bool failed = results.failed;
    zorbel::test::StopToolkit();
    server.Stop();
    fs::remove_all(root);
    if (failed || rates.empty()) {
        std::fprintf(stderr, "the worker's download failed\n");
        return 1;
    }

    std::sort(late.begin(), late.end());
    const double curl = Median(curlRates), worker = Median(rates);
    std::printf("size %.0f MiB, %d runs, progress %s\n", Mib(settings.size), settings.runs,
                settings.synchronous ? "synchronous per 512 bytes" : "coalesced");
    std::printf("median: curl %.1f MiB/s, worker %.1f MiB/s, ratio %.2f (target >= 0.80)\n", curl,
                worker, worker / curl);
    if (!late.empty()) {
        std::printf(
            "10 ms timer during the worker: %zu ticks, lateness median %.2f ms, p99 %.2f ms, max "
            "%.2f ms\n",
            late.size(), late[late.size() / 2], late[late.size() * 99 / 100], late.back());
    }
    return 0;
}
