// Listening mode in the main window: a class of songs played straight through (one of them
// downloaded on the way), the sleep timer, and the volume slider, driven by real pointer input
// and judged by what the screen shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/image.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/webview.h>

#include "app/CatalogFiles.h"
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "listening/ListeningBar.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinButton.h"
#include "platform/skin/CSkinSlider.h"
#include "player/DlgPlayer.h"
#include "tests/platform/TempDir.h"
#include "tests/support/StartedMainWindow.h"
#include "tests/support/PointerInput.h"
#include "tests/support/ScreenCapture.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/catalog_builder/CatalogBuilder.h"
#include "tools/demo_server/DemoServer.h"
#include "tools/swfgen/DemoMovie.h"
#include "web/flash/FlashUriScheme.h"
#include "web/flash/ShockwaveFlash.h"

using namespace zorbel::plim;
using namespace std::chrono_literals;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;
using zorbel::test::TempDir;

namespace {

// The class played through, in tree order; the middle one is only on the content server.
const char* const kSongs[] = {"小星星", "两只老虎", "找朋友"};
constexpr const char* kOtherClassSong = "数鸭子";

wxTreeItemId Find(wxTreeCtrl* tree, const std::string& text, wxTreeItemId from = wxTreeItemId()) {
    if (!from.IsOk()) from = tree->GetRootItem();
    if (!from.IsOk()) return from;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree->GetFirstChild(from, cookie); item.IsOk();
         item = tree->GetNextChild(from, cookie)) {
        if (tree->GetItemText(item).utf8_string() == text) return item;
        const wxTreeItemId found = Find(tree, text, item);
        if (found.IsOk()) return found;
    }
    return wxTreeItemId();
}

// A short generated song: two seconds, still at its end; stop() there or the player's wrap.
std::vector<uint8_t> Song(int n, bool stopAtEnd) {
    using namespace zorbel::swfgen;
    DemoMoviePlan plan;
    for (int id = 0;; ++id) {
        plan = DemoMovie::PlanFor("song" + std::to_string(n) + "-" + std::to_string(id),
                                  DemoKind::Song);
        if (!plan.actionScript3 &&
            (plan.lastFrameAction == DemoFrameAction::StopAtEnd) == stopAtEnd)
            break;
    }
    plan.frameCount = uint16_t(2 * (plan.frameRateFixed >> 8));
    return DemoMovie::Build(plan);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Share of the pixels in a screen rectangle that are close to a colour.
double ShareOf(const wxRect& screen, const wxColour& colour, int tolerance = 40) {
    wxImage image = zorbel::test::CaptureScreen(screen);
    if (!image.IsOk()) return 0;
    long near = 0, all = 0;
    for (int y = 0; y < image.GetHeight(); y += 2)
        for (int x = 0; x < image.GetWidth(); x += 2, ++all)
            near += std::abs(image.GetRed(x, y) - colour.Red()) +
                        std::abs(image.GetGreen(x, y) - colour.Green()) +
                        std::abs(image.GetBlue(x, y) - colour.Blue()) <=
                    tolerance;
    return all ? double(near) / all : 0;
}

void ClickOn(wxWindow* window, wxPoint offset = wxDefaultPosition) {
    const wxRect r = window->GetScreenRect();
    if (offset == wxDefaultPosition) offset = wxPoint(r.width / 2, r.height / 2);
    zorbel::test::MovePointer(r.GetTopLeft() + offset);
    PumpFor(150ms);
    zorbel::test::ClickPointer();
}

class ListeningWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zorbel::FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
        s_data = new TempDir;
        s_exe = new TempDir;
        s_content = new TempDir;
        s_www = new TempDir;
        setenv("XDG_DATA_HOME", s_data->Path().c_str(), 1);
        CVelaPfcSystem::SetExeFolderOverride(s_exe->Path());
        std::filesystem::create_directories(s_data->File("Zorbel"));

        namespace build = zorbel::catalogbuild;
        build::CatalogSeed seed;
        seed.classes = {{1, 1, "儿歌"}, {2, 1, "童谣"}, {4, 4, "益智"}};
        seed.titles = {{11, 1, kSongs[0], 0},
                       {12, 1, kSongs[1], 0},
                       {13, 1, kSongs[2], 0},
                       {14, 2, kOtherClassSong, 0}};
        s_catalogBuilt = build::BuildCatalog(seed, zorbel::files::CatalogPath()).ok;

        zorbel::demo::DemoServerOptions options;
        options.contentDir = s_content->Path();
        options.wwwDir = s_www->Path();
        s_server = new zorbel::demo::DemoServer(options);
        s_serverStarted = s_server->Start().ok();
        s_cache = s_exe->File("cache");
        std::ofstream ini(s_exe->File("Zorbel.ini"), std::ios::trunc);
        ini << "[VIEDO]\nViedoPath=" << s_cache << "\n[HOSTS]\nWebSite=" << s_server->BaseUrl()
            << "\nWebServer=" << s_server->BaseUrl() << "\nContentServer=" << s_server->BaseUrl()
            << "\nVendorSiteName=vendor.example\n";
        ini.close();
        for (int i = 0; i < 3; ++i) s_songs.push_back(Song(i, i != 1));
        s_songs.push_back(Song(3, true));
        for (int i = 0; i < 3; ++i)
            WriteBytes(s_content->File(std::string(kSongs[i]) + ".swf"), s_songs[i]);
        WriteBytes(s_content->File(std::string(kOtherClassSong) + ".swf"), s_songs[3]);

        s_dialog = zorbel::test::ShowMainWindowWithPanels();
    }

    static void TearDownTestSuite() {
        PumpUntil([] { return DownloadBusy.load() == 0; }, 10s);
        StopDownloadWorkers();
        AppExiting = 0;
        PumpFor(300ms);
        s_dialog->Destroy();
        PumpFor(300ms);
        CVelaPfcSystem::SetExeFolderOverride("");
        delete s_server;
        delete s_www;
        delete s_content;
        delete s_exe;
        delete s_data;
    }

    void SetUp() override {
        ASSERT_TRUE(s_catalogBuilt);
        ASSERT_TRUE(s_serverStarted);
        ASSERT_TRUE(PumpUntil([] { return DownloadBusy.load() == 0; }, 10s));
        zorbel::test::ShownBoxes().clear();
        std::error_code error;
        std::filesystem::remove_all(s_cache, error);
        std::filesystem::create_directories(s_cache);
        Player()->OnStop();
        Bar()->SetStraightThrough(false);
        Bar()->SetSleepOff();
        if (Bar()->IsAsleep()) Bar()->Wake();
        Bar()->CancelCountdown();
        Click(kIdCategorySongs);
        // The advertisement page the view shows comes up again when it has loaded, over
        // whatever plays by then: let it load first.
        PumpFor(1500ms);
    }

    static CDlgPlayer* Player() { return s_dialog->m_pPlayerPanel; }
    static CListeningBar* Bar() { return Player()->Listening(); }
    static wxTreeCtrl* CatalogTree() { return s_dialog->m_treeCatalog; }
    static std::string Cached(const std::string& title) { return s_cache + "/" + title + ".swf"; }
    static void PutInCache(int song) { WriteBytes(Cached(kSongs[song]), s_songs[song]); }
    static void Click(int id) {
        if (auto* button = dynamic_cast<CSkinButton*>(s_dialog->GetDlgItem(id))) button->Click();
    }
    static void Select(const std::string& title) {
        const wxTreeItemId item = Find(CatalogTree(), title);
        ASSERT_TRUE(item.IsOk()) << title;
        CatalogTree()->SelectItem(item);
    }
    static bool Plays(const std::string& title) {
        return Player()->MoviePath() == Cached(title) && Player()->IsShown() &&
               Player()->MovieControl() && Player()->MovieControl()->IsFirstFrameShown();
    }
    static double PageVolume() {
        wxString out;
        auto* movie = Player()->MovieControl();
        if (!movie || !movie->WebView()->RunScript("zorbelHost.volume()", &out)) return -1;
        double v = -1;
        out.ToCDouble(&v);
        return v;
    }
    static std::string Settings() {
        std::ifstream in(s_exe->File("Zorbel.ini"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Follows the titles as they come on, until cond holds.
    static bool Follow(std::vector<std::string>& played, const std::function<bool()>& cond,
                       std::chrono::seconds timeout) {
        return PumpUntil(
            [&] {
                const std::string title = Player()->Title();
                if (Player()->MovieControl() && Player()->MovieControl()->IsFirstFrameShown() &&
                    (played.empty() || played.back() != title))
                    played.push_back(title);
                return cond();
            },
            timeout);
    }

    static inline TempDir* s_data = nullptr;
    static inline TempDir* s_exe = nullptr;
    static inline TempDir* s_content = nullptr;
    static inline TempDir* s_www = nullptr;
    static inline zorbel::demo::DemoServer* s_server = nullptr;
    static inline CPlimDlg* s_dialog = nullptr;
    static inline std::string s_cache;
    static inline std::vector<std::vector<uint8_t>> s_songs;
    static inline bool s_catalogBuilt = false;
    static inline bool s_serverStarted = false;
};

TEST_F(ListeningWindowTest, StraightThroughPlaysTheClassToItsEndFetchingWhatIsNotCached) {
    PutInCache(0);
    PutInCache(2);
    // Switched off, the end of a song changes nothing: it stays where it ended.
    Select(kSongs[0]);
    ASSERT_TRUE(PumpUntil([] { return Plays(kSongs[0]); }, 60s));
    const int endsBefore = Bar()->EndsHeard();
    ASSERT_TRUE(PumpUntil([&] { return Bar()->EndsHeard() > endsBefore; }, 20s));
    PumpFor(1500ms);
    EXPECT_FALSE(Bar()->IsCountingDown());
    EXPECT_EQ(Bar()->Cover()->CurrentMode(), CListeningCover::Mode::kHidden);
    EXPECT_TRUE(Plays(kSongs[0]));
    EXPECT_FALSE(std::filesystem::exists(Cached(kSongs[1])));

    // The switch on the bar, clicked; it is remembered at once.
    ClickOn(s_dialog->m_pPlayerPanel->FindWindow(CListeningBar::kNextId));
    ASSERT_TRUE(PumpUntil([] { return Bar()->IsStraightThrough(); }, 5s));
    EXPECT_NE(Settings().find("StraightThrough=1"), std::string::npos) << Settings();

    std::vector<std::string> played;
    Player()->OnStop();
    CatalogTree()->Unselect();
    Select(kSongs[0]);
    // The countdown shows on the movie, naming the next song.
    ASSERT_TRUE(Follow(
        played, [] { return Bar()->IsCountingDown(); }, 30s));
    EXPECT_EQ(Bar()->NextTitle(), kSongs[1]);
    EXPECT_NE(Bar()->Cover()->Text().find(kSongs[1]), std::string::npos);
    ASSERT_TRUE(PumpUntil([] { return Bar()->Cover()->IsShownOnScreen(); }, 5s));
    PumpFor(300ms);
    EXPECT_GT(ShareOf(Bar()->Cover()->GetScreenRect(), wxColour(255, 248, 225), 60), 0.2);
    // Then the rest of the class, the middle one fetched from the server on the way, and the
    // list ends there: the next class's song never comes.
    ASSERT_TRUE(Follow(
        played, [] { return Bar()->Cover()->Text() == "这一组都听完啦，真棒！"; }, 90s));
    EXPECT_EQ(played, (std::vector<std::string>{kSongs[0], kSongs[1], kSongs[2]}));
    EXPECT_TRUE(std::filesystem::exists(Cached(kSongs[1])));
    PumpFor(1500ms);
    EXPECT_EQ(Player()->Title(), kSongs[2]);
    EXPECT_FALSE(Player()->MovieControl()->IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(Cached(kOtherClassSong)));
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());

    // A countdown the child says no to starts nothing.
    Player()->OnStop();
    CatalogTree()->Unselect();
    Select(kSongs[0]);
    ASSERT_TRUE(PumpUntil([] { return Bar()->IsCountingDown(); }, 30s));
    ClickOn(Bar()->Cover()->Button());
    ASSERT_TRUE(PumpUntil([] { return !Bar()->IsCountingDown(); }, 5s));
    PumpFor(std::chrono::milliseconds(zorbel::listening::Countdown::kSeconds * 1000 + 500));
    EXPECT_EQ(Player()->Title(), kSongs[0]);
}

TEST_F(ListeningWindowTest, AfterTwoTitlesItSleepsWithTheScreenDimmed) {
    for (int i = 0; i < 3; ++i) PutInCache(i);
    Bar()->SetStraightThrough(true);
    Bar()->SetSleepAfterTitles(2);
    std::vector<std::string> played;
    Select(kSongs[0]);
    ASSERT_TRUE(Follow(
        played, [] { return Bar()->IsAsleep(); }, 90s));
    EXPECT_EQ(played, (std::vector<std::string>{kSongs[0], kSongs[1]}));
    EXPECT_FALSE(Player()->MovieControl()->IsPlaying());
    EXPECT_FALSE(Bar()->Sleep().IsSet());
    // The night sky covers the player; the third song never starts.
    ASSERT_TRUE(PumpUntil([] { return Bar()->Cover()->IsShownOnScreen(); }, 5s));
    PumpFor(std::chrono::milliseconds(zorbel::listening::Countdown::kSeconds * 1000 + 500));
    EXPECT_EQ(Player()->Title(), kSongs[1]);
    const wxRect cover = Bar()->Cover()->GetScreenRect();
    EXPECT_GT(ShareOf(wxRect(cover.x, cover.y + cover.height * 7 / 8, cover.width, 8),
                      wxColour(34, 31, 77), 60),
              0.8);
    // "Listen a little longer" wakes it up.
    ClickOn(Bar()->Cover()->Button());
    ASSERT_TRUE(PumpUntil([] { return !Bar()->IsAsleep(); }, 5s));
    EXPECT_TRUE(Player()->MovieControl()->IsPlaying());
    // The second song loops in the player: played on, it ends again, and "after this title"
    // set now puts it to bed at that end.
    Bar()->SetStraightThrough(false);
    Bar()->SetSleepAfterTitles(1);
    ASSERT_TRUE(PumpUntil([] { return Bar()->IsAsleep(); }, 20s));
    EXPECT_EQ(Player()->Title(), kSongs[1]);
}

TEST_F(ListeningWindowTest, VolumeReachesThePlayerAndSurvivesARestart) {
    PutInCache(0);
    Select(kSongs[0]);
    ASSERT_TRUE(PumpUntil([] { return Plays(kSongs[0]); }, 60s));
    EXPECT_NEAR(PageVolume(), 1.0, 0.01);
    // Dragged from its end down to about a quarter.
    CSkinSlider* slider = Bar()->VolumeSlider();
    ASSERT_NE(slider, nullptr);
    const wxPoint origin = slider->GetScreenPosition();
    const wxRect track = slider->TrackRect();
    zorbel::test::MovePointer(origin + slider->ThumbCentre());
    PumpFor(100ms);
    zorbel::test::PressPointer(true);
    PumpFor(100ms);
    zorbel::test::MovePointer(origin +
                              wxPoint(track.x + track.width / 4, track.y + track.height / 2));
    PumpFor(100ms);
    zorbel::test::PressPointer(false);
    ASSERT_TRUE(PumpUntil([] { return Bar()->Volume() < 40 && Bar()->Volume() > 10; }, 5s))
        << Bar()->Volume();
    const int volume = Bar()->Volume();
    EXPECT_TRUE(PumpUntil([&] { return std::abs(PageVolume() - volume / 100.0) < 0.01; }, 5s))
        << PageVolume();
    EXPECT_NE(Settings().find("Volume=" + std::to_string(volume)), std::string::npos);

    // Mute and back.
    ClickOn(Player()->FindWindow(CListeningBar::kSoundId));
    ASSERT_TRUE(PumpUntil([] { return Bar()->IsMuted() && PageVolume() == 0; }, 5s));
    ClickOn(Player()->FindWindow(CListeningBar::kSoundId));
    ASSERT_TRUE(PumpUntil([&] { return !Bar()->IsMuted() && PageVolume() > 0; }, 5s));

    // A player made anew, as at the next start, has it from the settings and gives it to the
    // movie it plays.
    auto* again = new CDlgPlayer;
    ASSERT_TRUE(again->Create(s_dialog));
    ASSERT_NE(again->EnableListening(), nullptr);
    again->SetSize(Player()->GetRect());
    EXPECT_EQ(again->Listening()->Volume(), volume);
    EXPECT_EQ(again->Listening()->VolumeSlider()->GetValue(), volume);
    EXPECT_TRUE(again->Listening()->IsStraightThrough() == Bar()->IsStraightThrough());
    Player()->Hide();
    again->PlayMovie(Cached(kSongs[0]));
    ASSERT_TRUE(PumpUntil(
        [&] { return again->MovieControl() && again->MovieControl()->IsFirstFrameShown(); }, 60s));
    wxString out;
    ASSERT_TRUE(again->MovieControl()->WebView()->RunScript("zorbelHost.volume()", &out));
    double v = -1;
    out.ToCDouble(&v);
    EXPECT_NEAR(v, volume / 100.0, 0.01);
    again->Destroy();
    PumpFor(300ms);
    Bar()->SetVolume(100);
}

}  // namespace
