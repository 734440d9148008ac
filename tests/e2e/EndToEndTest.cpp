// The whole program from outside: the real executable started on the test display with its
// own settings, data and cache folders, the maker's servers played by an in-process demo
// server, a title selected through the program's test script (ZORBEL_TEST_SCRIPT), downloaded,
// played and recorded, and the program ended by the updater's quit message sent with
// zorbel-send.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "platform/x11/InstanceMarker.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/platform/TempDir.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/demo_server/DemoServer.h"

using zorbel::test::ChildProcess;
using zorbel::test::PumpUntil;
using zorbel::test::TempDir;
using namespace std::chrono_literals;

namespace {

namespace fs = std::filesystem;

// Guards against a hang only: the player's engine alone takes seconds to start here.
constexpr auto kGuard = 90s;
constexpr const char* kTitle = "两只老虎";  // a song: type 1, and a file of the demo content

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines)
        if (l == line) return true;
    return false;
}

size_t CountAtDepth(const std::vector<std::string>& lines, char depth) {
    size_t n = 0;
    for (const std::string& l : lines)
        if (!l.empty() && l[0] == depth) ++n;
    return n;
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& tail) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= tail.size() &&
            name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
            names.push_back(name);
    }
    return names;
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(kAppExe.c_str(), X_OK), 0) << kAppExe;
        ASSERT_EQ(access(kSendExe.c_str(), X_OK), 0) << kSendExe;
        // A left-over instance would make ours a second start, which ends at once.
        ASSERT_EQ(zorbel::x11::CInstanceMarker::Find("zorbel"), 0u);

        zorbel::demo::DemoServerOptions options;
        options.contentDir = ZORBEL_DEMO_DIR "/content";
        options.wwwDir = ZORBEL_DEMO_DIR "/www";
        server_ = std::make_unique<zorbel::demo::DemoServer>(options);
        ASSERT_TRUE(server_->Start().ok());

        // The program's folder: its own executable (a hard link, or a copy across file systems)
        // so that its settings file is ours; everything else of the app folder linked in.
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(ZORBEL_APP_DIR)) {
            const std::string name = entry.path().filename().string();
            const fs::path target = fs::path(app_.Path()) / name;
            if (name == "Zorbel.ini" || name == "CMakeFiles") continue;
            if (name == "zorbel") {
                fs::create_hard_link(entry.path(), target, error);
                if (error) fs::copy_file(entry.path(), target, error);
                ASSERT_FALSE(error) << error.message();
            } else {
                fs::create_symlink(entry.path(), target, error);
            }
        }
        cache_ = app_.File("cache");
        std::ofstream(app_.File("Zorbel.ini"))
            << "[VIEDO]\nViedoPath=" << cache_ << "\n\n[HOSTS]\nWebSite=" << server_->BaseUrl()
            << "\nWebServer=" << server_->BaseUrl() << "\nContentServer=" << server_->BaseUrl()
            << "\nVendorSiteName=zorbel.localhost\n";

        // A fake updater that notes each start.
        const std::string updater = bin_.File("Tarnup.exe");
        std::ofstream(updater) << "#!/bin/sh\necho \"$*\" >> \"$(dirname \"$0\")/calls.log\"\n";
        chmod(updater.c_str(), 0755);
    }

    std::map<std::string, std::string> Environment(const std::string& script) const {
        const char* path = getenv("PATH");
        return {{"XDG_DATA_HOME", data_.Path()},
                {"XDG_CONFIG_HOME", config_.Path()},
                {"ZORBEL_TEST_SCRIPT", script},
                {"PATH", bin_.Path() + ":" + (path != nullptr ? path : "/usr/bin:/bin")}};
    }

    bool AppearsInTime(const std::string& path) {
        return PumpUntil([&] { return fs::exists(path) || !program_.Running(); }, kGuard) &&
               fs::exists(path);
    }

    const std::string kAppExe = ZORBEL_APP_DIR "/zorbel";
    const std::string kSendExe = ZORBEL_BINARY_DIR "/bin/zorbel-send";
    std::unique_ptr<zorbel::demo::DemoServer> server_;
    TempDir app_;
    TempDir data_;
    TempDir config_;
    TempDir bin_;
    TempDir out_;
    std::string cache_;
    ChildProcess program_;
};

}  // namespace

TEST_F(EndToEndTest, SelectDownloadPlayRecordAndQuitByTheUpdatersMessage) {
    const std::string catalogDump = out_.File("catalog.txt");
    const std::string recommendedDump = out_.File("recommended.txt");
    const std::string playedDump = out_.File("played.txt");
    const std::string script = out_.File("script.txt");
    std::ofstream(script) << "dump 1021 " << catalogDump << "\n"
                          << "dump 1022 " << recommendedDump << "\n"
                          << "select " << kTitle << "\n"
                          << "wait-play\n"
                          << "radio 1035\n"
                          << "dump 1022 " << playedDump << "\n";

    ASSERT_TRUE(program_.Start(app_.File("zorbel"), Environment(script)));

    // After the first second: the songs in the catalog tree, the recommended list in the
    // quick list, the updater started once with the program's name.
    ASSERT_TRUE(AppearsInTime(catalogDump)) << "the program ended or never ran its start-up";
    const std::vector<std::string> catalog = Lines(catalogDump);
    EXPECT_TRUE(Contains(catalog, "0\t经典儿歌"));
    EXPECT_TRUE(Contains(catalog, std::string("1\t") + kTitle));
    ASSERT_TRUE(AppearsInTime(recommendedDump));
    const std::vector<std::string> recommended = Lines(recommendedDump);
    ASSERT_FALSE(recommended.empty());
    EXPECT_EQ(recommended[0], "0\t最新推荐");
    EXPECT_GT(CountAtDepth(recommended, '1'), 0u);
    // The updater runs on its own; its note may come a moment later.
    EXPECT_TRUE(PumpUntil([&] { return !Lines(bin_.File("calls.log")).empty(); }, 10s));
    EXPECT_EQ(Lines(bin_.File("calls.log")), std::vector<std::string>{"zorbel"});

    // The title is fetched, played, and then the played list shows it.
    ASSERT_TRUE(AppearsInTime(playedDump)) << "no play within the guard time";
    const std::vector<std::string> played = Lines(playedDump);
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played[0], "0\t宝宝玩过");
    EXPECT_TRUE(Contains(played, std::string("1\t") + kTitle));

    const std::string cached = cache_ + "/" + kTitle + ".swf";
    ASSERT_TRUE(fs::exists(cached));
    EXPECT_EQ(ReadFile(cached),
              ReadFile(std::string(ZORBEL_DEMO_DIR "/content/") + kTitle + ".swf"));
    bool fetched = false;
    for (const std::string& line : server_->RequestLogLines())
        if (line.rfind("GET /vudevu/fla/", 0) == 0) fetched = true;
    EXPECT_TRUE(fetched);

    // The play is recorded in the user's copy of the catalog.
    {
        CDbVelaLite db;
        ASSERT_TRUE(db.Open(data_.Path() + "/Zorbel/ZorbelPlim.dat", "R807@391T"));
        std::unique_ptr<CSqlStatement> rows(db.Prepare("SELECT * FROM T_Raruri_Played"));
        ASSERT_NE(rows, nullptr);
        int count = 0;
        while (rows->NextRow()) ++count;
        EXPECT_EQ(count, 1);
    }

    // The updater's message ends the program without a question; nothing temporary remains.
    EXPECT_EQ(std::system(("'" + kSendExe + "' 'Tarnup is ok!'").c_str()), 0);
    int status = -1;
    ASSERT_TRUE(program_.WaitForExit(30s, &status));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(FilesEndingIn(cache_, ".tmp").empty());
    EXPECT_EQ(FilesEndingIn(cache_, ".swf"),
              std::vector<std::string>{std::string(kTitle) + ".swf"});
}
