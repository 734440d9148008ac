// Measures the movie control: time from creating it to the first frame of a movie on screen,
// time to switch to a second movie in the same control, and the memory of the process with one
// movie view (WebKit's web and network processes included). See README.md for the command.
#include <dirent.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
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
#include "web/flash/FlashUriScheme.h"
#include "web/flash/ShockwaveFlash.h"

namespace {

using Clock = std::chrono::steady_clock;
using zorbel::test::PumpUntil;

// A compressed ActionScript 2 movie of the given frames with a coloured background.
std::vector<uint8_t> MakeMovie(uint16_t frames) {
    std::vector<uint8_t> body = {0x80,
                                 0x00,
                                 0x05,
                                 0x50,
                                 0x00,
                                 0x00,
                                 0x0f,
                                 0xa0,
                                 0x00,  // 640x400 stage
                                 0x00,
                                 0x18,
                                 static_cast<uint8_t>(frames),
                                 static_cast<uint8_t>(frames >> 8)};
    body.insert(body.end(), {0x44, 0x11, 0, 0, 0, 0});        // FileAttributes
    body.insert(body.end(), {0x43, 0x02, 0x20, 0x80, 0xc0});  // SetBackgroundColor
    for (int i = 0; i < frames; ++i) body.insert(body.end(), {0x40, 0x00});
    body.insert(body.end(), {0x00, 0x00});
    uint32_t length = static_cast<uint32_t>(8 + body.size());
    std::vector<uint8_t> movie = {'C',
                                  'W',
                                  'S',
                                  10,
                                  static_cast<uint8_t>(length),
                                  static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length >> 16),
                                  static_cast<uint8_t>(length >> 24)};
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> packed(size);
    compress2(packed.data(), &size, body.data(), static_cast<uLong>(body.size()), 9);
    movie.insert(movie.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
    return movie;
}

std::vector<int> Descendants(int root) {
    std::map<int, std::vector<int>> children;
    if (DIR* d = opendir("/proc")) {
        while (dirent* e = readdir(d)) {
            int pid = std::atoi(e->d_name);
            if (pid <= 0) continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string line;
            std::getline(stat, line);
            size_t close = line.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream rest(line.substr(close + 2));
            char state;
            int ppid = 0;
            rest >> state >> ppid;
            children[ppid].push_back(pid);
        }
        closedir(d);
    }
    std::vector<int> out{root};
    for (size_t i = 0; i < out.size(); ++i)
        for (int c : children[out[i]]) out.push_back(c);
    return out;
}

std::string Name(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// Rss and Pss in kB from smaps_rollup.
std::pair<long, long> Memory(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    long value = 0, rss = 0, pss = 0;
    std::string unit;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        l >> key >> value;
        if (key == "Rss:") rss = value;
        if (key == "Pss:") pss = value;
    }
    return {rss, pss};
}

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::string ruffle = std::string(ZORBEL_APP_DIR) + "/ruffle";
    std::string moviePath;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--ruffle=", 0) == 0)
            ruffle = a.substr(9);
        else
            moviePath = a;
    }
    std::string generated;
    if (moviePath.empty()) {
        generated = "/tmp/zorbel-flash-bench-" + std::to_string(getpid()) + ".swf";
        auto bytes = MakeMovie(240);
        std::ofstream(generated, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        moviePath = generated;
    }

    if (!zorbel::test::StartToolkit(argv[0])) return 1;
    zorbel::FlashUriScheme::Instance().SetFilesFolder(ruffle);

    auto* frame =
        new wxFrame(nullptr, wxID_ANY, "flash bench", wxDefaultPosition, wxSize(640, 480));
    auto t0 = Clock::now();
    auto* flash = new zorbel::CShockwaveFlash(frame, 1000, wxPoint(0, 0), wxSize(640, 480));
    frame->Show();
    flash->LoadMovie(0, moviePath);  // queued until the player is ready, as the player panel does
    Clock::time_point ready{}, shown{};
    bool ok = PumpUntil(
        [&] {
            if (flash->IsPlayerReady() && ready == Clock::time_point{}) ready = Clock::now();
            return flash->IsFirstFrameShown();
        },
        std::chrono::seconds(120));
    shown = Clock::now();
    int rc = 0;
    if (!ok) {
        fprintf(stderr, "the movie never showed\n");
        rc = 1;
    } else {
        printf("player ready after            %8.0f ms\n", Ms(t0, ready));
        printf(
            "first frame shown after       %8.0f ms  (from creating the control, movie queued at "
            "once)\n",
            Ms(t0, shown));
        printf("frames %d, current frame %d\n", flash->TotalFrames(), flash->CurrentFrame());

        // Switching movies in the warm control, as every later title does.
        double total = 0;
        const int rounds = 5;
        for (int i = 0; i < rounds; ++i) {
            auto s = Clock::now();
            flash->LoadMovie(0, moviePath);
            if (!PumpUntil([&] { return flash->IsFirstFrameShown(); }, std::chrono::seconds(60))) {
                rc = 1;
                break;
            }
            total += Ms(s, Clock::now());
        }
        printf("next movie in the same control %7.0f ms  (mean of %d)\n", total / rounds, rounds);

        // Let the movie run a moment so memory reflects a playing view.
        auto settle = Clock::now() + std::chrono::seconds(3);
        PumpUntil([&] { return Clock::now() > settle; }, std::chrono::seconds(10));
        long rssSum = 0, pssSum = 0;
        for (int pid : Descendants(getpid())) {
            auto [rss, pss] = Memory(pid);
            printf("  %-24s pid %-7d RSS %7ld kB  PSS %7ld kB\n", Name(pid).c_str(), pid, rss, pss);
            rssSum += rss;
            pssSum += pss;
        }
        printf("process with one movie view:  RSS %ld MB, PSS %ld MB (program + WebKit children)\n",
               rssSum / 1024, pssSum / 1024);
    }
    frame->Destroy();
    PumpUntil([] { return false; }, std::chrono::seconds(0));
    zorbel::test::StopToolkit();
    if (!generated.empty()) unlink(generated.c_str());
    return rc;
}
