// The player panel in a plain parent window, with movies and a catalog written by the tests.
// One player (and so one movie control, which takes seconds to warm up) serves every test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <wx/display.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include "app/CatalogFiles.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "parent/AllowanceRules.h"
#include "parent/DlgPinPrompt.h"
#include "parent/ParentGate.h"
#include "parent/ParentSettingsFile.h"
#include "parent/PinStore.h"
#include "parent/PlayDiary.h"
#include "parent/PlayTimePanel.h"
#include "parent/PlayTimeWatch.h"
#include "parent/SystemClock.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxStyle.h"
#include "platform/VelaPfcSystem.h"
#include "player/DlgPlayer.h"
#include "tests/app/CatalogLock.h"
#include "tests/platform/TempDir.h"
#include "tests/support/DesktopState.h"
#include "tests/support/PointerInput.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/web/flash/TestMovie.h"
#include "tools/catalog_builder/CatalogBuilder.h"
#include "web/flash/FlashUriScheme.h"
#include "web/flash/ShockwaveFlash.h"

namespace {

using namespace std::chrono_literals;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;
using zorbel::test::ShownBoxes;

TEST(TitleFromPathTest, TakesTheNameWithoutFolderAndLastExtension) {
    EXPECT_EQ(CDlgPlayer::TitleFromPath("C:\\cache\\小兔子.swf"), "小兔子");
    EXPECT_EQ(CDlgPlayer::TitleFromPath("/var/cache/小兔子.swf"), "小兔子");
    EXPECT_EQ(CDlgPlayer::TitleFromPath("/cache/a.b.swf"), "a.b");
    EXPECT_EQ(CDlgPlayer::TitleFromPath("plain"), "plain");
    EXPECT_EQ(CDlgPlayer::TitleFromPath("/dotted.dir/plain"), "plain");
    // The backslash is looked for first.
    EXPECT_EQ(CDlgPlayer::TitleFromPath("a\\b/c.swf"), "b/c");
    EXPECT_EQ(CDlgPlayer::TitleFromPath(""), "");
    EXPECT_EQ(CDlgPlayer::TitleFromPath("/cache/"), "");
}

class DlgPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zorbel::FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
        s_data = new zorbel::test::TempDir;
        s_exe = new zorbel::test::TempDir;
        s_movies = new zorbel::test::TempDir;
        setenv("XDG_DATA_HOME", s_data->Path().c_str(), 1);
        // No shipped catalog next to the executable: a missing one stays missing.
        CVelaPfcSystem::SetExeFolderOverride(s_exe->Path());
        std::filesystem::create_directories(s_data->File("Zorbel"));
        s_catalog = zorbel::files::CatalogPath();

        namespace build = zorbel::catalogbuild;
        build::CatalogSeed seed;
        seed.classes = {{1, 1, "儿歌"}};
        seed.titles = {{11, 1, "小兔子乖乖", 7}, {12, 1, "两只老虎", 0}, {13, 1, "数鸭子", 2}};
        s_catalogBuilt = build::BuildCatalog(seed, s_catalog).ok;

        zorbel::test::TestMovieRecipe recipe;
        recipe.frames = 250;
        recipe.frameRate = 12;
        s_rabbit = WriteMovie("小兔子乖乖.swf", recipe);
        recipe.frames = 30;
        s_duck = WriteMovie("数鸭子.swf", recipe);

        s_main = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(20, 20), wxSize(800, 600));
        s_player = new CDlgPlayer;
        s_created = s_player->Create(s_main);
        s_main->Show();
        s_player->SetSize(0, 0, 800, 600);
    }

    static void TearDownTestSuite() {
        // The answers to the last commands arrive first: the toolkit's web view does not
        // survive an answer that comes after it is gone.
        PumpFor(500ms);
        s_main->Destroy();
        PumpFor(200ms);
        CVelaPfcSystem::SetExeFolderOverride("");
        delete s_movies;
        delete s_exe;
        delete s_data;
    }

    void SetUp() override {
        ASSERT_TRUE(s_created);
        ASSERT_TRUE(s_catalogBuilt);
        ShownBoxes().clear();
    }

    static std::string WriteMovie(const std::string& name,
                                  const zorbel::test::TestMovieRecipe& recipe) {
        const std::string path = s_movies->File(name);
        zorbel::test::WriteFileBytes(path, zorbel::test::MakeTestMovie(recipe));
        return path;
    }

    // Plays path unless it is already open, and waits until its first frame is on screen.
    static bool EnsureOpen(const std::string& path) {
        if (!s_player->MovieControl() || s_player->MoviePath() != path) s_player->PlayMovie(path);
        return PumpUntil([] { return Flash() && Flash()->IsFirstFrameShown(); }, 60s);
    }

    static zorbel::CShockwaveFlash* Flash() { return s_player->MovieControl(); }

    static int Count(const std::string& sql) {
        CDbVelaLite db;
        if (!db.Open(s_catalog, zorbel::files::kCatalogKey)) return -100;
        std::unique_ptr<CSqlStatement> st(db.Prepare(sql));
        return st && st->NextRow() ? st->ColumnInt(0) : -1;
    }

    static void SendSeek(wxObject* source, int position) {
        wxCommandEvent event(wxEVT_XSCROLL_HSCROLL, CDlgPlayer::kSeekBarId);
        event.SetEventObject(source);
        event.SetInt(position);
        event.SetExtraLong(CXScrollBar::kThumbTrack);
        s_player->GetEventHandler()->ProcessEvent(event);
    }

    static wxPoint OnScreen(wxWindow* window, double xFraction) {
        const wxRect rect = window->GetScreenRect();
        return wxPoint(rect.x + int(rect.width * xFraction), rect.y + rect.height / 2);
    }

    static void DoubleClick(wxWindow* window) {
        zorbel::test::MovePointer(OnScreen(window, 0.5));
        PumpFor(100ms);
        zorbel::test::DoubleClickPointer();
        PumpFor(100ms);
    }

    static inline zorbel::test::TempDir* s_data = nullptr;
    static inline zorbel::test::TempDir* s_exe = nullptr;
    static inline zorbel::test::TempDir* s_movies = nullptr;
    static inline std::string s_catalog;
    static inline bool s_catalogBuilt = false;
    static inline std::string s_rabbit;
    static inline std::string s_duck;
    static inline wxFrame* s_main = nullptr;
    static inline CDlgPlayer* s_player = nullptr;
    static inline bool s_created = false;
};

TEST_F(DlgPlayerTest, WithoutAMovieTheButtonsDoNothingAndTheFavouriteNamesAnEmptyTitle) {
    // A player of its own that never gets a movie (and so never makes a movie control).
    auto* idle = new CDlgPlayer;
    ASSERT_TRUE(idle->Create(s_main));
    EXPECT_EQ(idle->GetSize(), wxSize(0, 0));
    EXPECT_EQ(idle->GetParent(), s_main);
    EXPECT_EQ(idle->GetLabel(), wxString::FromUTF8("佐贝乐儿童游戏"));
    idle->SetSize(0, 0, 400, 300);
    PumpFor(250ms);
    EXPECT_EQ(idle->StatusText(), "00:00:00/99:99:99");
    EXPECT_EQ(idle->SeekBar().m_nRange, 1000);
    EXPECT_EQ(idle->SeekBar().m_crThumb, MakeRgb(198, 97, 239));
    EXPECT_EQ(idle->SeekBar().m_bThumbColor, 1);
    EXPECT_EQ(idle->SeekBar().GetId(), CDlgPlayer::kSeekBarId);
    EXPECT_FALSE(idle->FindWindow(CDlgPlayer::kSeekPlaceholderId)->IsShown());

    idle->OnPlay();
    idle->OnPause();
    idle->OnStop();
    SendSeek(&idle->SeekBar(), 500);
    EXPECT_EQ(idle->IsActive(), 0);
    EXPECT_FALSE(idle->IsProgressTimerRunning());
    EXPECT_EQ(idle->MovieControl(), nullptr);

    idle->Hide();
    idle->PlayMovie("");
    EXPECT_TRUE(idle->IsShown());
    EXPECT_EQ(idle->MovieControl(), nullptr);

    idle->AddFavorite();
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text, "555~~~，为宝宝收藏“”没有成功哦！");
    EXPECT_EQ(ShownBoxes()[0].caption, "佐贝乐儿童游戏");
    EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbIconWarning);
    EXPECT_EQ(ShownBoxes()[0].owner, nullptr);

    // A double click on the black rectangle switches to full screen as well.
    wxWindow* black = idle->FindWindow(CDlgPlayer::kFrameId);
    wxCommandEvent dclick(wxEVT_COMMAND_LEFT_DCLICK, CDlgPlayer::kFrameId);
    dclick.SetEventObject(black);
    black->ProcessWindowEvent(dclick);
    EXPECT_TRUE(PumpUntil([idle] { return idle->IsFullScreen(); }, 2s));
    idle->ToggleFullScreen();
    EXPECT_FALSE(idle->IsFullScreen());
    EXPECT_EQ(idle->GetParent(), s_main);
    idle->Destroy();
    PumpFor(50ms);
}

TEST_F(DlgPlayerTest, ControlsAreLaidOutAlongTheBottom) {
    const wxSize client = s_player->GetClientSize();
    const wxRect seek = s_player->SeekBar().GetRect();
    EXPECT_EQ(seek, wxRect(5, client.y - 40, client.x - 10, 7));
    EXPECT_EQ(s_player->SeekBar().m_rectTrack.width, client.x - 10);
    EXPECT_EQ(s_player->FindWindow(CDlgPlayer::kFrameId)->GetRect(),
              wxRect(5, 5, client.x - 10, client.y - 50));
    const wxSize button = s_player->FindWindow(CDlgPlayer::kFavoriteId)->GetSize();
    int x = 5;
    for (int id : {CDlgPlayer::kFavoriteId, CDlgPlayer::kPlayId, CDlgPlayer::kPauseId,
                   CDlgPlayer::kStopId, CDlgPlayer::kFullScreenId}) {
        EXPECT_EQ(s_player->FindWindow(id)->GetRect(),
                  wxRect(x, client.y - button.y, button.x, button.y))
            << id;
        x += button.x + 5;
    }
    const int statusX = 5 * (button.x + 6);
    EXPECT_EQ(s_player->FindWindow(CDlgPlayer::kStatusId)->GetRect(),
              wxRect(statusX, client.y - 20, client.x - 5 - statusX, 20));
}

TEST_F(DlgPlayerTest, StatusLineCountsFramesAndShowsTheLastFrameAsTheTotal) {
    s_player->PlayMovie(s_rabbit);
    ASSERT_NE(Flash(), nullptr);
    EXPECT_EQ(s_player->Title(), "小兔子乖乖");
    EXPECT_EQ(s_player->IsActive(), 1);
    EXPECT_TRUE(s_player->IsProgressTimerRunning());
    EXPECT_FALSE(s_player->FindWindow(CDlgPlayer::kFrameId)->IsShown());
    EXPECT_EQ(Flash()->GetRect(), s_player->FindWindow(CDlgPlayer::kFrameId)->GetRect());
    // Until the player has the movie there are no frames to count.
    if (!Flash()->IsMovieLoaded()) {
        EXPECT_TRUE(PumpUntil(
            [] {
                return Flash()->IsMovieLoaded() ||
                       s_player->StatusText() == CDlgPlayer::kWaitingText;
            },
            5s))
            << s_player->StatusText();
    }
    ASSERT_TRUE(EnsureOpen(s_rabbit));

    s_player->Pause();
    EXPECT_EQ(s_player->IsActive(), 1);
    EXPECT_TRUE(s_player->IsProgressTimerRunning());
    Flash()->FrameNum(124);
    EXPECT_TRUE(
        PumpUntil([] { return s_player->StatusText() == "您在看：小兔子乖乖(124/250)"; }, 10s))
        << s_player->StatusText();
    EXPECT_TRUE(PumpUntil([] { return s_player->SeekBar().m_nPos == 124 * 1000 / 250; }, 10s))
        << s_player->SeekBar().m_nPos;

    Flash()->FrameNum(249);
    EXPECT_TRUE(
        PumpUntil([] { return s_player->StatusText() == "您在看：小兔子乖乖(250/250)"; }, 10s))
        << s_player->StatusText();
    EXPECT_TRUE(PumpUntil([] { return s_player->SeekBar().m_nPos == 249 * 1000 / 250; }, 10s));
}

TEST_F(DlgPlayerTest, StopThenPlayStartsAgainAtTheFirstFrame) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    s_player->Pause();
    Flash()->FrameNum(150);
    s_player->OnPlay();
    ASSERT_TRUE(PumpUntil([] { return Flash()->CurrentFrame() > 150; }, 20s));

    s_player->OnStop();
    EXPECT_EQ(s_player->IsActive(), 0);
    EXPECT_FALSE(s_player->IsProgressTimerRunning());
    EXPECT_EQ(s_player->SeekBar().m_nPos, 0);
    ASSERT_TRUE(PumpUntil([] { return Flash()->CurrentFrame() == 0; }, 10s));
    PumpFor(300ms);
    EXPECT_EQ(Flash()->CurrentFrame(), 0);
    EXPECT_EQ(s_player->SeekBar().m_nPos, 0);

    s_player->OnPlay();
    EXPECT_EQ(s_player->IsActive(), 1);
    EXPECT_TRUE(s_player->IsProgressTimerRunning());
    ASSERT_TRUE(PumpUntil([] { return Flash()->CurrentFrame() > 0; }, 20s));
    EXPECT_LT(Flash()->CurrentFrame(), 150);
    ASSERT_TRUE(PumpUntil([] { return s_player->SeekBar().m_nPos > 0; }, 20s));
    EXPECT_LT(s_player->SeekBar().m_nPos, 600);
}

TEST_F(DlgPlayerTest, SeekToTheMiddleLandsOnFrame125AndPlaysAlsoWhenPaused) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    s_player->Pause();
    ASSERT_FALSE(Flash()->IsPlaying());

    // Only the seek bar moves the movie.
    const int before = Flash()->CurrentFrame();
    SendSeek(s_player, 500);
    EXPECT_FALSE(Flash()->IsPlaying());
    EXPECT_EQ(Flash()->CurrentFrame(), before);

    s_player->SeekBar().SetScrollPos(500, true);
    SendSeek(&s_player->SeekBar(), 500);
    EXPECT_EQ(Flash()->CurrentFrame(), 125);
    EXPECT_TRUE(Flash()->IsPlaying());
    EXPECT_EQ(s_player->IsActive(), 1);
    EXPECT_TRUE(PumpUntil([] { return Flash()->CurrentFrame() > 125; }, 20s));
}

TEST_F(DlgPlayerTest, AMissingFileOnlyShowsThePlayerAndTheMovieGoesOn) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    s_player->OnPlay();
    s_player->Hide();
    s_player->PlayMovie(s_movies->File("没有这个.swf"));
    EXPECT_TRUE(s_player->IsShown());
    EXPECT_EQ(s_player->MoviePath(), s_rabbit);
    EXPECT_EQ(s_player->Title(), "小兔子乖乖");
    EXPECT_EQ(Flash()->MoviePath(), s_rabbit);
    EXPECT_TRUE(Flash()->IsPlaying());
    EXPECT_EQ(s_player->IsActive(), 1);
    const int frame = Flash()->CurrentFrame();
    EXPECT_TRUE(PumpUntil([frame] { return Flash()->CurrentFrame() != frame; }, 20s));
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(DlgPlayerTest, PlaysAndFavouritesAreCounted) {
    const std::string played = "SELECT f_Clicks FROM T_Raruri_Played WHERE f_FileID=13";
    const std::string titleClicks = "SELECT f_Clicks FROM T_Raruri_FileList WHERE f_FileID=13";
    const std::string favourite = "SELECT f_Clicks FROM T_Raruri_Favorites WHERE f_FileID=13";
    std::vector<int> counts;
    for (int i = 0; i < 3; ++i) {
        s_player->PlayMovie(s_duck);
        // Written on a worker: the movie does not wait for the catalog.
        ASSERT_TRUE(PumpUntil([] { return !s_player->IsWritingPlay(); }, 10s));
        counts.push_back(Count(played));
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Count(titleClicks), 2 + 3);
    EXPECT_TRUE(ShownBoxes().empty());

    s_player->AddFavorite();
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text, "哇哇，成功为宝宝收藏“数鸭子”咯！");
    EXPECT_EQ(ShownBoxes()[0].caption, "佐贝乐儿童游戏");
    EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbIconWarning);
    EXPECT_EQ(ShownBoxes()[0].owner, nullptr);
    EXPECT_EQ(Count(favourite), 0);

    // Pressed again: the notice comes first, the count rises once it is closed.
    int countDuringNotice = -1;
    std::string text;
    long style = 0;
    zorbel::SetMessageBoxHook([&](wxWindow*, const std::string& t, const std::string&, long s) {
        text = t;
        style = s;
        countDuringNotice = Count(favourite);
        return int(zorbel::kIdOk);
    });
    s_player->AddFavorite();
    zorbel::test::InstallRecordingMessageBoxHook();
    EXPECT_EQ(text, "您已经为宝宝收藏过“数鸭子”咯！");
    EXPECT_EQ(style, zorbel::kMbIconInformation);
    EXPECT_EQ(countDuringNotice, 0);
    EXPECT_EQ(Count(favourite), 1);
    EXPECT_EQ(Count(played), 2);
}

TEST_F(DlgPlayerTest, WithoutACatalogThePlayHappensAndThePlayerReportsIt) {
    const std::string moved = s_catalog + ".away";
    std::filesystem::rename(s_catalog, moved);
    s_player->PlayMovie(s_rabbit);
    EXPECT_TRUE(PumpUntil([] { return !s_player->IsWritingPlay(); }, 10s));
    std::filesystem::rename(moved, s_catalog);
    EXPECT_EQ(s_player->MoviePath(), s_rabbit);
    EXPECT_EQ(s_player->IsActive(), 1);
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text.rfind("CODE:1002，程序数据被损坏，请联系", 0), 0u)
        << ShownBoxes()[0].text;
    EXPECT_EQ(ShownBoxes()[0].caption, "佐贝乐.儿童游戏");
    EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbIconError);
    EXPECT_EQ(ShownBoxes()[0].owner, s_player);
    EXPECT_TRUE(Flash()->IsPlaying());
}

TEST_F(DlgPlayerTest, FullScreenTwiceComesBackToTheSameState) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    const wxRect before = s_player->GetRect();
    const wxRect mainBefore(s_main->GetPosition(), s_main->GetClientSize());
    for (int round = 0; round < 2; ++round) {
        s_player->ToggleFullScreen();
        ASSERT_TRUE(s_player->IsFullScreen());
        wxFrame* frame = s_player->FullScreenFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(s_player->GetParent(), frame);
        EXPECT_TRUE(frame->IsShown());
        EXPECT_FALSE(s_main->IsShown());
        EXPECT_EQ(zorbel::test::FullScreenFault(frame), "");
        EXPECT_EQ(s_player->GetSize(), frame->GetClientSize());
        // Along the bottom edge of the screen.
        EXPECT_EQ(s_player->SeekBar().GetPosition().y, s_player->GetClientSize().y - 40);
        // The main window's layout keeps placing the player; the place waits for the return.
        s_player->SetSize(before);
        EXPECT_EQ(s_player->GetSize(), frame->GetClientSize());
        EXPECT_TRUE(Flash()->IsPlaying());

        s_player->ToggleFullScreen();
        EXPECT_FALSE(s_player->IsFullScreen());
        EXPECT_EQ(s_player->FullScreenFrame(), nullptr);
        EXPECT_EQ(s_player->GetParent(), s_main);
        EXPECT_EQ(s_player->GetRect(), before);
        EXPECT_TRUE(s_main->IsShown());
        EXPECT_FALSE(s_main->IsMaximized());
        EXPECT_FALSE(s_main->IsIconized());
        EXPECT_TRUE(
            PumpUntil([] { return zorbel::test::IsMapped(zorbel::test::XWindowOf(s_main)); }, 3s));
        EXPECT_EQ(s_main->GetClientSize(), mainBefore.GetSize());
        EXPECT_EQ(s_main->GetPosition(), mainBefore.GetPosition());
        PumpFor(100ms);
    }
}

TEST_F(DlgPlayerTest, AClickOnTheSeekBarMovesTheMovieThereAndPlays) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    s_player->OnStop();
    ASSERT_TRUE(PumpUntil([] { return Flash()->CurrentFrame() == 0; }, 10s));
    s_player->Raise();
    zorbel::test::MovePointer(OnScreen(&s_player->SeekBar(), 0.75));
    PumpFor(100ms);
    zorbel::test::ClickPointer();
    EXPECT_TRUE(PumpUntil([] { return Flash()->CurrentFrame() > 150; }, 10s))
        << Flash()->CurrentFrame() << " " << s_player->SeekBar().m_nPos;
    EXPECT_TRUE(Flash()->IsPlaying());
    EXPECT_EQ(s_player->IsActive(), 1);
    EXPECT_TRUE(s_player->IsProgressTimerRunning());
}

TEST_F(DlgPlayerTest, ADoubleClickOnTheMovieTogglesFullScreen) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    s_main->Raise();
    PumpFor(200ms);
    DoubleClick(Flash()->WebView());
    ASSERT_TRUE(PumpUntil([] { return s_player->IsFullScreen(); }, 5s));
    PumpFor(300ms);
    // The second one lands in the full-screen frame.
    DoubleClick(Flash()->WebView());
    EXPECT_TRUE(PumpUntil([] { return !s_player->IsFullScreen(); }, 5s));
    EXPECT_EQ(s_player->GetParent(), s_main);
    PumpFor(200ms);
}

TEST_F(DlgPlayerTest, KeysNeverLeaveThePlayer) {
    ASSERT_TRUE(EnsureOpen(s_rabbit));
    s_player->OnPlay();
    int mainSaw = 0;
    auto count = [&mainSaw](wxKeyEvent& event) {
        ++mainSaw;
        event.Skip();
    };
    s_main->Bind(wxEVT_CHAR_HOOK, count);
    for (int key : {int(WXK_ESCAPE), int(WXK_RETURN), int(WXK_SPACE), int('P')}) {
        wxKeyEvent event(wxEVT_CHAR_HOOK);
        event.m_keyCode = key;
        wxWindow* button = s_player->FindWindow(CDlgPlayer::kStopId);
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
    }
    s_main->Unbind(wxEVT_CHAR_HOOK, count);
    EXPECT_EQ(mainSaw, 0);
    EXPECT_EQ(s_player->IsActive(), 1);
    EXPECT_TRUE(Flash()->IsPlaying());
}

TEST_F(DlgPlayerTest, APlayThatMeetsALockIsCountedOnceTheLockClears) {
    const std::string played = "SELECT f_Clicks FROM T_Raruri_Played WHERE f_FileID=11";
    const std::string titleClicks = "SELECT f_Clicks FROM T_Raruri_FileList WHERE f_FileID=11";
    const std::string favourite = "SELECT count(*) FROM T_Raruri_Favorites WHERE f_FileID=11";
    const int titleBefore = Count(titleClicks);
    const int playedBefore = Count(played);
    {
        zorbel::test::CatalogLock lock(s_catalog, zorbel::files::kCatalogKey);
        ASSERT_TRUE(lock.Held());
        s_player->PlayMovie(s_rabbit);
        // A favourite pressed meanwhile waits behind the play and is announced as made.
        s_player->AddFavorite();
        EXPECT_TRUE(Flash()->IsPlaying());
        // Tried again meanwhile, still held.
        PumpFor(1500ms);
    }
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text, "哇哇，成功为宝宝收藏“小兔子乖乖”咯！");
    EXPECT_TRUE(PumpUntil([&] { return Count(favourite) == 1; }, 10s));
    EXPECT_EQ(Count(titleClicks), titleBefore + 1);
    EXPECT_EQ(Count(played), playedBefore < 0 ? 0 : playedBefore + 1);
    // Nothing is written twice.
    PumpFor(1500ms);
    EXPECT_EQ(Count(titleClicks), titleBefore + 1);
    EXPECT_EQ(Count(favourite), 1);
    EXPECT_EQ(ShownBoxes().size(), 1u);
}

}  // namespace

// Parent mode: with a PIN set and no minutes left today, a play pauses at once behind the
// time's-up cover; the play button cannot get round it; the PIN on the cover grants time.
TEST_F(DlgPlayerTest, WithTheDayUsedUpThePlayerPausesBehindTheCoverUntilTheParentGrants) {
    zorbel::test::TempDir config;
    const char* saved = getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    zorbel::parent::SystemClock clock;
    const std::string path = zorbel::parent::ParentGate::SettingsPath();
    ASSERT_EQ(zorbel::parent::PinStore(path, clock).SetPin("2580"), zorbel::parent::PinChange::kOk);
    {
        zorbel::parent::ParentSettingsFile file(path);
        ASSERT_TRUE(file.Load());
        zorbel::parent::AllowanceRules rules;
        rules.minutesPerDay.fill(0);
        rules.Write(file);
        ASSERT_TRUE(file.Save());
    }
    CDlgPinPrompt::SetHook([](wxWindow*, const std::string&) { return std::string("2580"); });

    CPlayTimeWatch* watch = s_player->PlayTimeWatch();
    ASSERT_NE(watch, nullptr);
    s_player->PlayMovie(s_duck);
    // Loaded paused: the movie is there, its first frame is never played.
    ASSERT_TRUE(PumpUntil([] { return Flash() && Flash()->IsMovieLoaded(); }, 60s));
    EXPECT_EQ(watch->Panel()->CurrentMode(), CPlayTimePanel::Mode::kCover);
    EXPECT_TRUE(watch->Panel()->IsShownOnScreen());
    EXPECT_EQ(watch->Panel()->Text(), CPlayTimeWatch::kTimeUpText);
    EXPECT_FALSE(Flash()->IsPlaying());
    // On screen the cover, not the movie, whose native view would otherwise stay on top.
    EXPECT_FALSE(Flash()->IsShownOnScreen());
    PumpFor(300ms);
    const wxRect player = s_player->GetScreenRect();
    const wxColour middle = zorbel::test::ScreenPixel(
        wxPoint(player.x + player.width / 2, player.y + player.height / 2));
    EXPECT_NEAR(middle.Red(), 250, 12);
    EXPECT_NEAR(middle.Green(), 234, 12);
    EXPECT_NEAR(middle.Blue(), 240, 12);
    s_player->OnPlay();
    EXPECT_FALSE(Flash()->IsPlaying());

    wxCommandEvent grant(wxEVT_BUTTON, CPlayTimePanel::kGrantId);
    watch->Panel()->GetEventHandler()->ProcessEvent(grant);
    EXPECT_EQ(watch->Panel()->CurrentMode(), CPlayTimePanel::Mode::kHidden);
    EXPECT_TRUE(Flash()->IsShownOnScreen());
    s_player->OnPlay();
    EXPECT_TRUE(Flash()->IsPlaying());
    PumpFor(1500ms);
    EXPECT_TRUE(Flash()->IsPlaying());
    // The play went into the parent's week under the title's kind, looked up in the catalog.
    s_player->OnPause();
    EXPECT_TRUE(PumpUntil(
        [&] {
            const auto entries =
                zorbel::parent::PlayDiary(zorbel::parent::PlayDiary::PathBeside(path)).Entries();
            return entries.size() == 1 && entries[0].title == "数鸭子" &&
                   entries[0].category == "儿歌" && entries[0].millis > 0;
        },
        5s));

    CDlgPinPrompt::SetHook({});
    setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    if (!saved) unsetenv("XDG_CONFIG_HOME");
}
