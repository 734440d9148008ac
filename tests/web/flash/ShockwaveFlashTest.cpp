// The movie control under a virtual display: one control, created once and reused for every
// movie as the player panel does, fed with movies written by the tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include <wx/frame.h>
#include <wx/webview.h>

#include "tests/support/DesktopState.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/web/flash/TestMovie.h"
#include "web/flash/FlashMoviePreparer.h"
#include "web/flash/FlashUriScheme.h"
#include "player/SwfHeader.h"
#include "tools/demo_server/DemoServer.h"
#include "tools/swfgen/DemoMovie.h"
#include "web/GraphicsPath.h"
#include "web/flash/ShockwaveFlash.h"

namespace zorbel {
namespace {

using namespace std::chrono_literals;
using test::PumpFor;
using test::PumpUntil;

// A folder of its own under the temporary folder, removed afterwards.
struct TempDirForFlash {
    std::string path =
        (std::filesystem::temp_directory_path() / ("flash-walled-" + std::to_string(getpid())))
            .string();
    TempDirForFlash() { std::filesystem::create_directories(path); }
    ~TempDirForFlash() { std::filesystem::remove_all(path); }
};

class ShockwaveFlashTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
        s_folder =
            std::filesystem::temp_directory_path() / ("flash-window-" + std::to_string(getpid()));
        std::filesystem::create_directories(s_folder);
        s_frame = new wxFrame(nullptr, wxID_ANY, "movie", wxDefaultPosition, wxSize(400, 300));
        s_flash = new CShockwaveFlash(s_frame, 1000, wxPoint(0, 0), wxSize(400, 300));
        s_frame->Show();
        // Before the player is ready: nothing loaded, nothing to count.
        s_totalBeforeAnyMovie = s_flash->TotalFrames();
    }
    static void TearDownTestSuite() {
        s_frame->Destroy();
        PumpFor(200ms);
        std::filesystem::remove_all(s_folder);
    }

    static std::string WriteMovie(const std::string& name, const test::TestMovieRecipe& recipe) {
        std::string path = (s_folder / name).string();
        test::WriteFileBytes(path, test::MakeTestMovie(recipe));
        return path;
    }
    // Loads a movie and waits until the player has it on screen.
    static bool LoadAndWait(const std::string& path) {
        s_flash->LoadMovie(0, path);
        return PumpUntil([] { return s_flash->IsFirstFrameShown(); }, 60s);
    }
    // The frame the page sees right now (0-based), asked synchronously.
    static int PageFrame() {
        wxString out;
        if (!s_flash->WebView()->RunScript("zorbelHost.currentFrame()", &out)) return -1;
        long v = -1;
        out.ToLong(&v);
        return static_cast<int>(v);
    }
    // After a stop: until the page has run the command and its last report has arrived, i.e. the
    // control's frame, the page's frame and the page's frame a moment later all agree.
    static bool WaitUntilSettled() {
        return PumpUntil(
            [] {
                int page = PageFrame();
                if (page != s_flash->CurrentFrame()) return false;
                PumpFor(200ms);
                return PageFrame() == page && s_flash->CurrentFrame() == page;
            },
            20s);
    }
    static double PageVolume() {
        wxString out;
        if (!s_flash->WebView()->RunScript("zorbelHost.volume()", &out)) return -1;
        double v = -1;
        out.ToCDouble(&v);
        return v;
    }
    static std::string PageState() {
        wxString out;
        s_flash->WebView()->RunScript("zorbelHost.state()", &out);
        return out.utf8_string();
    }

    static inline std::filesystem::path s_folder;
    static inline wxFrame* s_frame = nullptr;
    static inline CShockwaveFlash* s_flash = nullptr;
    static inline int s_totalBeforeAnyMovie = 0;
};

TEST_F(ShockwaveFlashTest, TotalFramesComesFromTheHeaderOnceLoaded) {
    EXPECT_EQ(s_totalBeforeAnyMovie, CShockwaveFlash::kNoFrames);
    test::TestMovieRecipe recipe;
    recipe.frames = 60;
    recipe.compression = 'C';
    std::string path = WriteMovie("sixty.swf", recipe);
    // Queued before the player is ready; nothing to count yet.
    s_flash->LoadMovie(0, path);
    EXPECT_EQ(s_flash->TotalFrames(), CShockwaveFlash::kNoFrames);
    ASSERT_TRUE(PumpUntil([] { return s_flash->IsFirstFrameShown(); }, 60s)) << PageState();
    EXPECT_EQ(s_flash->TotalFrames(), 60);
    EXPECT_EQ(s_flash->ControlMode(), FrameControlMode::Callbacks);
}

TEST_F(ShockwaveFlashTest, CurrentFrameAdvancesWhilePlayingAndHoldsWhenStopped) {
    test::TestMovieRecipe recipe;
    recipe.frames = 200;
    recipe.frameRate = 24;
    ASSERT_TRUE(LoadAndWait(WriteMovie("play.swf", recipe)));
    s_flash->Play();
    int start = s_flash->CurrentFrame();
    ASSERT_TRUE(PumpUntil([&] { return s_flash->CurrentFrame() >= start + 3; }, 20s))
        << PageState();
    // With no graphics processor the engine draws on a 2D canvas instead of WebGL on a software
    // rasteriser, and either way the movie's background reaches the screen.
    const bool gpu = zorbel::web::HasRenderNode("/dev/dri");
    EXPECT_NE(PageState().find(gpu ? "\"renderer\":\"webgl\"" : "\"renderer\":\"canvas\""),
              std::string::npos)
        << PageState();
    const wxPoint middle = s_flash->GetScreenRect().GetPosition() + wxPoint(200, 150);
    wxColour seen;
    EXPECT_TRUE(PumpUntil(
        [&] {
            seen = zorbel::test::ScreenPixel(middle);
            return std::abs(seen.Red() - 0x33) + std::abs(seen.Green() - 0x66) +
                       std::abs(seen.Blue() - 0x99) <=
                   6;
        },
        10s))
        << seen.GetAsString(wxC2S_HTML_SYNTAX);

    s_flash->Stop();
    ASSERT_TRUE(WaitUntilSettled());
    int held = s_flash->CurrentFrame();
    PumpFor(600ms);
    EXPECT_EQ(s_flash->CurrentFrame(), held);
    EXPECT_EQ(PageFrame(), held);

    // Stopped and out of sight, the player rests; shown again, it holds the same frame.
    s_frame->Hide();
    EXPECT_TRUE(
        PumpUntil([] { return PageState().find("\"resting\":true") != std::string::npos; }, 10s))
        << PageState();
    EXPECT_NE(PageState().find("\"isPlaying\":false"), std::string::npos) << PageState();
    // Nor does the engine's background ticker go on waking the page for a paused movie.
    EXPECT_NE(PageState().find("\"tickWorkers\":0"), std::string::npos) << PageState();
    // Every movie so far has sounded through one output, and it rests with the player.
    EXPECT_TRUE(PumpUntil(
        [] {
            return PageState().find("\"audio\":\"suspended\",\"audioContexts\":1") !=
                   std::string::npos;
        },
        10s))
        << PageState();
    s_frame->Show();
    EXPECT_TRUE(
        PumpUntil([] { return PageState().find("\"resting\":false") != std::string::npos; }, 10s))
        << PageState();
    EXPECT_EQ(PageFrame(), held);

    s_flash->Play();
    EXPECT_TRUE(PumpUntil([&] { return s_flash->CurrentFrame() > held; }, 20s));
    // Sound needs no click first.
    EXPECT_TRUE(PumpUntil(
        [] { return PageState().find("\"audio\":\"running\"") != std::string::npos; }, 10s))
        << PageState();
}

TEST_F(ShockwaveFlashTest, FrameNumLandsOnTheFrameAsked) {
    test::TestMovieRecipe recipe;
    recipe.frames = 250;
    ASSERT_TRUE(LoadAndWait(WriteMovie("seek.swf", recipe)));
    s_flash->Stop();
    s_flash->FrameNum(124);
    EXPECT_EQ(s_flash->CurrentFrame(), 124);
    ASSERT_TRUE(PumpUntil([] { return PageFrame() == 124; }, 10s)) << PageState();
    PumpFor(300ms);
    EXPECT_EQ(PageFrame(), 124);
    EXPECT_EQ(s_flash->CurrentFrame(), 124);

    // Seeking while playing lands there and plays on from it.
    s_flash->Play();
    s_flash->FrameNum(200);
    ASSERT_TRUE(PumpUntil([] { return PageFrame() >= 200; }, 10s));
    EXPECT_TRUE(PumpUntil([] { return PageFrame() > 201; }, 10s));

    // Past the end: the last frame.
    s_flash->Stop();
    s_flash->FrameNum(100000);
    EXPECT_TRUE(PumpUntil([] { return PageFrame() == 249; }, 10s));
}

TEST_F(ShockwaveFlashTest, RewindReturnsToTheFirstFrame) {
    test::TestMovieRecipe recipe;
    recipe.frames = 120;
    recipe.frameRate = 30;
    ASSERT_TRUE(LoadAndWait(WriteMovie("rewind.swf", recipe)));
    s_flash->Play();
    ASSERT_TRUE(PumpUntil([] { return s_flash->CurrentFrame() >= 5; }, 20s));
    // What the player panel's stop button does.
    s_flash->Rewind();
    s_flash->Stop();
    EXPECT_TRUE(PumpUntil([] { return PageFrame() == 0; }, 10s)) << PageState();
    PumpFor(300ms);
    EXPECT_EQ(s_flash->CurrentFrame(), 0);
    EXPECT_EQ(PageFrame(), 0);
}

TEST_F(ShockwaveFlashTest, DamagedOrMissingMoviesGiveNoFramesAndTheControlStaysUsable) {
    test::TestMovieRecipe recipe;
    std::vector<uint8_t> bytes = test::MakeTestMovie(recipe);
    bytes.resize(bytes.size() / 2);
    std::string damaged = (s_folder / "damaged.swf").string();
    test::WriteFileBytes(damaged, bytes);
    std::string junk = (s_folder / "junk.swf").string();
    test::WriteFileBytes(junk, {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v', 'i', 'e'});

    for (const std::string& path : {damaged, junk, (s_folder / "missing.swf").string()}) {
        s_flash->LoadMovie(0, path);
        PumpFor(500ms);
        EXPECT_EQ(s_flash->TotalFrames(), CShockwaveFlash::kNoFrames) << path;
        EXPECT_EQ(s_flash->CurrentFrame(), 0) << path;
        s_flash->Play();
        s_flash->FrameNum(3);
        s_flash->Rewind();
        s_flash->Stop();
        PumpFor(100ms);
        EXPECT_EQ(s_flash->TotalFrames(), CShockwaveFlash::kNoFrames) << path;
    }
    recipe.frames = 8;
    EXPECT_TRUE(LoadAndWait(WriteMovie("after-damage.swf", recipe)));
    EXPECT_EQ(s_flash->TotalFrames(), 8);
}

TEST_F(ShockwaveFlashTest, MoviesWithoutTheFrameActionFollowTheClockAndRewindThroughTheMenu) {
    test::TestMovieRecipe recipe;
    recipe.frames = 90;
    recipe.frameRate = 24;
    recipe.actionScript3 = true;
    ASSERT_TRUE(LoadAndWait(WriteMovie("as3.swf", recipe)));
    EXPECT_EQ(s_flash->ControlMode(), FrameControlMode::TimelineMenu);
    EXPECT_EQ(s_flash->TotalFrames(), 90);
    s_flash->Play();
    ASSERT_TRUE(PumpUntil([] { return s_flash->CurrentFrame() >= 3; }, 20s)) << PageState();
    s_flash->Stop();
    ASSERT_TRUE(WaitUntilSettled());
    int held = s_flash->CurrentFrame();
    PumpFor(600ms);
    EXPECT_EQ(s_flash->CurrentFrame(), held);
    s_flash->Rewind();
    EXPECT_TRUE(PumpUntil([] { return s_flash->CurrentFrame() == 0 && PageFrame() == 0; }, 10s));
}

// The end of a movie on the demo generator's titles: songs stop on or wrap from their last
// frame (exact frames with the frame action, estimated without), a game loops and never ends,
// and a header that miscounts the frames leaves it to the picture.
TEST_F(ShockwaveFlashTest, EachKindOfTitleEndsAsItShouldAndAGameNever) {
    using swfgen::DemoFrameAction;
    using swfgen::DemoKind;
    struct Case {
        const char* what;
        DemoKind kind;
        bool as3;
        DemoFrameAction action;
        FrameControlMode mode;
        MovieEnd end;
        int version = 0;            // 0: as planned
        int headerExtraFrames = 0;  // the header claims this many frames more than there are
    };
    const Case cases[] = {
        {"song, stop() on its last frame", DemoKind::Song, false, DemoFrameAction::StopAtEnd,
         FrameControlMode::Callbacks, MovieEnd::StoppedAtLast},
        {"story the player wraps", DemoKind::Story, false, DemoFrameAction::None,
         FrameControlMode::Callbacks, MovieEnd::Wrapped},
        {"ActionScript 3 song, estimated", DemoKind::Song, true, DemoFrameAction::None,
         FrameControlMode::TimelineMenu, MovieEnd::Wrapped},
        {"game looping on purpose", DemoKind::Game, false, DemoFrameAction::LoopToStart,
         FrameControlMode::Callbacks, MovieEnd::None},
        {"old clip whose header miscounts", DemoKind::Knowledge, false, DemoFrameAction::StopAtEnd,
         FrameControlMode::TimelineMenu, MovieEnd::PictureStill, 7, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        swfgen::DemoMoviePlan plan;
        for (int id = 0;; ++id) {
            plan = swfgen::DemoMovie::PlanFor("end" + std::to_string(id), c.kind);
            if (plan.actionScript3 == c.as3 && plan.lastFrameAction == c.action) break;
        }
        if (c.version) plan.version = uint8_t(c.version);
        if (c.headerExtraFrames) plan.compressed = false;
        std::vector<uint8_t> bytes = swfgen::DemoMovie::Build(plan);
        if (c.headerExtraFrames) {
            SwfHeaderResult h = SwfHeader::Read(bytes);
            ASSERT_TRUE(h.ok());
            const int claimed = plan.frameCount + c.headerExtraFrames;
            bytes[h.header.firstTagOffset - 2] = uint8_t(claimed);
            bytes[h.header.firstTagOffset - 1] = uint8_t(claimed >> 8);
        }
        const std::string path = (s_folder / (std::string("end-") + c.what + ".swf")).string();
        ASSERT_TRUE(test::WriteFileBytes(path, bytes));
        s_flash->SetEndless(c.kind == DemoKind::Game);
        ASSERT_TRUE(LoadAndWait(path)) << PageState();
        EXPECT_EQ(s_flash->ControlMode(), c.mode);
        EXPECT_EQ(s_flash->IsFrameCountTrusted(), c.headerExtraFrames == 0);
        const int total = s_flash->TotalFrames();
        const int fps = static_cast<int>(plan.frameRateFixed >> 8);
        s_flash->Play();
        // From a second and a half before the end; nothing has ended on the way there.
        s_flash->FrameNum(std::max(0, plan.frameCount - fps * 3 / 2));
        ASSERT_TRUE(
            PumpUntil([&] { return s_flash->CurrentFrame() >= plan.frameCount - fps; }, 20s))
            << PageState();
        EXPECT_EQ(s_flash->LastEnd(), MovieEnd::None);
        if (c.end == MovieEnd::None) {
            // Round the loop and on: it wraps, and that is no end.
            ASSERT_TRUE(PumpUntil([&] { return s_flash->CurrentFrame() < fps; }, 20s));
            PumpFor(1500ms);
            EXPECT_EQ(s_flash->LastEnd(), MovieEnd::None);
            continue;
        }
        ASSERT_TRUE(PumpUntil([] { return s_flash->LastEnd() != MovieEnd::None; }, 30s))
            << PageState();
        EXPECT_EQ(s_flash->LastEnd(), c.end) << MovieEndName(s_flash->LastEnd());
        const int at = s_flash->CurrentFrame();
        if (c.end == MovieEnd::StoppedAtLast) EXPECT_EQ(at, total - 1);
        if (c.end == MovieEnd::Wrapped) EXPECT_LT(at, fps);
    }
    s_flash->SetEndless(false);

    // The sound's loudness reaches the player and stays for the next movie.
    s_flash->SetVolume(35);
    EXPECT_TRUE(PumpUntil([] { return std::abs(PageVolume() - 0.35) < 0.01; }, 10s));
    test::TestMovieRecipe recipe;
    ASSERT_TRUE(LoadAndWait(WriteMovie("after-volume.swf", recipe)));
    EXPECT_NEAR(PageVolume(), 0.35, 0.01);
    s_flash->SetVolume(100);
    EXPECT_TRUE(PumpUntil([] { return std::abs(PageVolume() - 1.0) < 0.01; }, 10s));
}

// The timeline-menu path checked against the truth: an ActionScript 2 movie that has the frame
// action is driven through the menu as if it had none, and its callbacks say where it really is.
TEST_F(ShockwaveFlashTest, TimelineMenuSeeksLandExactly) {
    test::TestMovieRecipe recipe;
    recipe.frames = 80;
    ASSERT_TRUE(LoadAndWait(WriteMovie("menu-seek.swf", recipe)));
    PreparedMovie prepared = FlashMoviePreparer::Prepare(test::MakeTestMovie(recipe));
    ASSERT_EQ(prepared.mode, FrameControlMode::Callbacks);
    std::string uri = FlashUriScheme::Instance().AddMovie(prepared.bytes);
    // A load the control does not know about: its reports are ignored by the control.
    s_flash->WebView()->RunScriptAsync("zorbelHost.load(900001, '" + uri +
                                       "', 'menu', 80, false);");
    auto js = [](const char* code) {
        wxString out;
        s_flash->WebView()->RunScript(code, &out);
        return out.utf8_string();
    };
    auto realFrame = [&js] {
        return js(
            "(function(){var p=document.querySelector('#stage > *');"
            "return typeof p.zorbelCurrentFrame==='function'?p.zorbelCurrentFrame():-1;})()");
    };
    ASSERT_TRUE(PumpUntil(
        [&] {
            std::string state = PageState();
            return state.find("\"id\":900001") != std::string::npos &&
                   state.find("\"loaded\":true") != std::string::npos &&
                   std::atoi(realFrame().c_str()) >= 1;
        },
        30s))
        << PageState();

    js("zorbelHost.gotoFrame(30)");
    EXPECT_EQ(PageFrame(), 30);
    EXPECT_TRUE(PumpUntil([&] { return realFrame() == "31"; }, 20s)) << realFrame();
    js("zorbelHost.gotoFrame(10)");
    EXPECT_TRUE(PumpUntil([&] { return realFrame() == "11"; }, 20s)) << realFrame();
    PumpFor(300ms);
    EXPECT_EQ(realFrame(), "11");  // stopped there
    EXPECT_EQ(PageFrame(), 10);

    js("zorbelHost.play()");
    EXPECT_TRUE(PumpUntil([&] { return std::atoi(realFrame().c_str()) > 13; }, 20s)) << realFrame();
    js("zorbelHost.gotoFrame(0)");
    js("zorbelHost.stop()");
    PumpFor(500ms);
    EXPECT_EQ(PageFrame(), 0);
    FlashUriScheme::Instance().RemoveMovie(uri);
}

// The player panel and the main window destroy the control whenever they go, often with commands
// still running in the page; the answers to those commands arrive after the control is gone.
class ShockwaveFlashLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
        m_folder =
            std::filesystem::temp_directory_path() / ("flash-lifetime-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        test::TestMovieRecipe recipe;
        recipe.frames = 100;
        recipe.frameRate = 24;
        m_movie = (m_folder / "lifetime.swf").string();
        ASSERT_TRUE(test::WriteFileBytes(m_movie, test::MakeTestMovie(recipe)));
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // A window with a control that shows the movie, ready for commands.
    CShockwaveFlash* ShowMovieInNewWindow(wxFrame*& frame) {
        frame = new wxFrame(nullptr, wxID_ANY, "movie", wxDefaultPosition, wxSize(320, 240));
        auto* flash = new CShockwaveFlash(frame, wxID_ANY, wxPoint(0, 0), wxSize(320, 240));
        frame->Show();
        flash->LoadMovie(0, m_movie);
        if (!PumpUntil([flash] { return flash->IsFirstFrameShown(); }, 60s)) return nullptr;
        return flash;
    }
    static void SendCommands(CShockwaveFlash* flash) {
        for (int i = 0; i < 5; ++i) {
            flash->Play();
            flash->FrameNum(i * 7);
            flash->Stop();
            flash->Rewind();
        }
    }

    std::filesystem::path m_folder;
    std::string m_movie;
};

TEST_F(ShockwaveFlashLifetimeTest, DestroyingTheWindowWithCommandsInFlightIsSafe) {
    wxFrame* frame = nullptr;
    CShockwaveFlash* flash = ShowMovieInNewWindow(frame);
    ASSERT_NE(flash, nullptr);
    SendCommands(flash);
    EXPECT_GT(CShockwaveFlash::ScriptsInFlight(), 0);
    PumpFor(4ms);
    SendCommands(flash);
    frame->Destroy();
    // Every answer still on its way arrives now, with the control and its web view gone.
    PumpFor(1000ms);
    EXPECT_TRUE(PumpUntil([] { return CShockwaveFlash::ScriptsInFlight() == 0; }, 10s))
        << CShockwaveFlash::ScriptsInFlight();
}

TEST_F(ShockwaveFlashLifetimeTest, DeletingTheControlAloneWithCommandsInFlightIsSafe) {
    wxFrame* frame = nullptr;
    CShockwaveFlash* flash = ShowMovieInNewWindow(frame);
    ASSERT_NE(flash, nullptr);
    SendCommands(flash);
    // As the player panel does when it drops the control: the window it sat in stays.
    delete flash;
    PumpFor(1000ms);
    EXPECT_TRUE(PumpUntil([] { return CShockwaveFlash::ScriptsInFlight() == 0; }, 10s));

    // A control made afterwards in the same window works as before.
    auto* again = new CShockwaveFlash(frame, wxID_ANY, wxPoint(0, 0), wxSize(320, 240));
    again->LoadMovie(0, m_movie);
    EXPECT_TRUE(PumpUntil([again] { return again->IsFirstFrameShown(); }, 60s));
    EXPECT_EQ(again->TotalFrames(), 100);
    SendCommands(again);
    frame->Destroy();
    PumpFor(1000ms);
    EXPECT_TRUE(PumpUntil([] { return CShockwaveFlash::ScriptsInFlight() == 0; }, 10s));
}

// A movie whose first frame calls getURL twice (AS1): into level 1, which makes the player
// fetch a movie, then to "_self", which would take the page away. In parent mode neither may
// reach anything: the URL option stops the second, the view's content rules the first.
// Without the walls each call reaches its address, which shows the test can see a request at
// all.
std::vector<uint8_t> GetUrlMovie(const std::vector<std::pair<std::string, std::string>>& calls) {
    test::TestMovieRecipe recipe;
    recipe.version = 8;
    recipe.frames = 100;
    recipe.fileAttributes = false;
    std::vector<uint8_t> bytes = test::MakeTestMovie(recipe);
    std::vector<uint8_t> action;
    for (const auto& [url, target] : calls) {
        action.push_back(0x83);
        const size_t length = url.size() + 1 + target.size() + 1;
        action.push_back(static_cast<uint8_t>(length & 0xFF));
        action.push_back(static_cast<uint8_t>(length >> 8));
        action.insert(action.end(), url.begin(), url.end());
        action.push_back(0);
        action.insert(action.end(), target.begin(), target.end());
        action.push_back(0);
    }
    action.push_back(0);  // end of actions
    const std::vector<uint8_t> tag = test::TestTag(12, action);
    // Tags start after the signature, length, frame rectangle, rate and count.
    const size_t rectBytes = (5 + 4 * (bytes[8] >> 3) + 7) / 8;
    bytes.insert(bytes.begin() + 8 + rectBytes + 4, tag.begin(), tag.end());
    const uint32_t total = static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(total >> (8 * i));
    return bytes;
}

bool Requested(const demo::DemoServer& server, const std::string& path) {
    for (const std::string& line : server.RequestLogLines())
        if (line.find(path) != std::string::npos) return true;
    return false;
}

TEST(ShockwaveFlashWalledTest, GetUrlReachesNothingWhileWalled) {
    FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
    TempDirForFlash folder;
    demo::DemoServerOptions options;
    options.contentDir = folder.path;
    options.wwwDir = folder.path;
    demo::DemoServer outside(options);
    ASSERT_TRUE(outside.Start().ok());
    const std::string movie = folder.path + "/geturl.swf";
    ASSERT_TRUE(
        test::WriteFileBytes(movie, GetUrlMovie({{outside.BaseUrl() + "/level.swf", "_level1"},
                                                 {outside.BaseUrl() + "/away", "_self"}})));
    // The player's own scheme only, as parent mode has it with hosts elsewhere.
    const std::string rules =
        R"([{"trigger":{"url-filter":".*"},"action":{"type":"block"}},)"
        R"({"trigger":{"url-filter":"^zorbel:"},"action":{"type":"ignore-previous-rules"}}])";

    auto* frame = new wxFrame(nullptr, wxID_ANY, "movie", wxDefaultPosition, wxSize(320, 240));
    auto* flash = new CShockwaveFlash(frame, wxID_ANY, wxPoint(0, 0), wxSize(320, 240));
    frame->Show();
    flash->SetWalledGarden(true, rules);
    flash->LoadMovie(0, movie);
    ASSERT_TRUE(PumpUntil([flash] { return flash->IsFirstFrameShown(); }, 20s)) << [flash] {
        wxString out;
        flash->WebView()->RunScript("JSON.stringify(zorbelHost.state())", &out);
        return out.utf8_string();
    }();
    EXPECT_EQ(flash->WallsUp(), rules);
    // The frame action still reports: the walls keep the movie from the browser, not from us.
    flash->Play();
    EXPECT_TRUE(PumpUntil([flash] { return flash->CurrentFrame() > 5; }, 20s));
    EXPECT_EQ(flash->ControlMode(), FrameControlMode::Callbacks);
    PumpFor(1000ms);
    EXPECT_TRUE(outside.RequestLogLines().empty());

    // One call per movie here: a page that goes away may take the other request with it.
    flash->SetWalledGarden(false);
    EXPECT_TRUE(flash->WallsUp().empty());
    const std::string levelOnly = folder.path + "/level.swf";
    const std::string awayOnly = folder.path + "/away.swf";
    ASSERT_TRUE(test::WriteFileBytes(levelOnly,
                                     GetUrlMovie({{outside.BaseUrl() + "/level.swf", "_level1"}})));
    ASSERT_TRUE(
        test::WriteFileBytes(awayOnly, GetUrlMovie({{outside.BaseUrl() + "/away", "_self"}})));
    flash->LoadMovie(0, levelOnly);
    EXPECT_TRUE(PumpUntil([&] { return Requested(outside, "/level.swf"); }, 30s));
    flash->LoadMovie(0, awayOnly);
    EXPECT_TRUE(PumpUntil([&] { return Requested(outside, "/away"); }, 30s));
    frame->Destroy();
    PumpFor(500ms);
}

TEST(FlashUriSchemeTest, AnswersWithPlayerFilesAndMoviesOnly) {
    FlashUriScheme& scheme = FlashUriScheme::Instance();
    scheme.SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
    scheme.Register();
    scheme.Register();  // only the first registration acts; a second would abort in WebKit
    EXPECT_TRUE(scheme.IsRegistered());

    std::string type, file;
    std::shared_ptr<const std::vector<uint8_t>> movie;
    ASSERT_TRUE(scheme.Lookup("zorbel://app/ruffle.js", type, movie, file));
    EXPECT_EQ(type, "text/javascript");
    EXPECT_FALSE(movie);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    ASSERT_TRUE(scheme.Lookup("zorbel://app/host.html", type, movie, file));
    EXPECT_EQ(type, "text/html");
    bool sawWasm = false;
    for (const auto& entry : std::filesystem::directory_iterator(scheme.FilesFolder())) {
        if (entry.path().extension() != ".wasm") continue;
        ASSERT_TRUE(
            scheme.Lookup("zorbel://app/" + entry.path().filename().string(), type, movie, file));
        EXPECT_EQ(type, "application/wasm");
        sawWasm = true;
    }
    EXPECT_TRUE(sawWasm);

    size_t before = scheme.MovieCount();
    std::string uri = scheme.AddMovie({'F', 'W', 'S', 10});
    ASSERT_TRUE(scheme.Lookup(uri, type, movie, file));
    EXPECT_EQ(type, "application/x-shockwave-flash");
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->size(), 4u);
    scheme.RemoveMovie(uri);
    EXPECT_EQ(scheme.MovieCount(), before);
    movie.reset();
    EXPECT_FALSE(scheme.Lookup(uri, type, movie, file));
    EXPECT_FALSE(scheme.Lookup("zorbel://app/movie/999999.swf", type, movie, file));
    EXPECT_FALSE(scheme.Lookup("zorbel://app/../CMakeCache.txt", type, movie, file));
    EXPECT_FALSE(scheme.Lookup("zorbel://app/missing.js", type, movie, file));
    EXPECT_FALSE(scheme.Lookup("file:///etc/passwd", type, movie, file));
}

}  // namespace
}  // namespace zorbel
