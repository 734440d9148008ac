// The main window's content panels and its time- and outside-driven behaviour: the panel
// operations, the deferred start-up one second after the first showing, the updater's two
// command lines (a fake Tarnup.exe on PATH records them), the updater's quit message over
// copy-data, and the advertisement rotation. The maker's servers are an in-process demo
// server; the catalog is the app folder's demo catalog in a temporary data folder.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <wx/app.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/weakref.h>

#include "catalog/DownloadState.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/ProgramLauncher.h"
#include "platform/VelaPfcSystem.h"
#include "platform/x11/CopyDataSender.h"
#include "player/DlgPlayer.h"
#include "tests/platform/TempDir.h"
#include "tests/support/FakeTray.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/demo_server/DemoServer.h"
#include "web/DlgMovie.h"
#include "web/DlgShowAd.h"
#include "web/flash/FlashUriScheme.h"

using zorbel::test::FakeTray;
using namespace zorbel::plim;
using namespace std::chrono_literals;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;
using zorbel::test::TempDir;

namespace {

namespace fs = std::filesystem;

std::string Label(wxWindow* window) {
    return window == nullptr ? std::string("(none)") : std::string(window->GetLabel().utf8_str());
}

std::string AppName() {
    return std::string(wxTheApp->GetAppName().utf8_str());
}

// The texts of the items directly under item.
std::vector<std::string> ChildTexts(wxTreeCtrl* tree, const wxTreeItemId& item) {
    std::vector<std::string> texts;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
         child = tree->GetNextChild(item, cookie))
        texts.push_back(std::string(tree->GetItemText(child).utf8_str()));
    return texts;
}

class PanelsAndStartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        content_ = new TempDir;
        zorbel::demo::DemoServerOptions options;
        options.contentDir = content_->Path();
        options.wwwDir = ZORBEL_SOURCE_DIR "/tools/demo_server/www";
        server_ = new zorbel::demo::DemoServer(options);
        ASSERT_TRUE(server_->Start().ok());

        // The fake updater writes one line per start: its argument count, then each argument
        // after a tab.
        bin_ = new TempDir;
        const std::string script = bin_->File("Tarnup.exe");
        std::ofstream(script) << "#!/bin/sh\n"
                                 "{ printf '%s' \"$#\"; for a in \"$@\"; do printf '\\t%s' \"$a\"; "
                                 "done; printf '\\n'; } >> \"$(dirname \"$0\")/calls.log\"\n";
        chmod(script.c_str(), 0755);
        const char* path = getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        setenv("PATH", (bin_->Path() + ":" + savedPath_).c_str(), 1);
    }

    static void TearDownTestSuite() {
        setenv("PATH", savedPath_.c_str(), 1);
        delete server_;
        delete content_;
        delete bin_;
        server_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(server_, nullptr);
        // The program's folder: settings, and the demo catalog the data folder is filled from.
        CVelaPfcSystem::SetExeFolderOverride(exe_.Path());
        std::error_code error;
        fs::create_directories(exe_.File("data"));
        for (const char* name : {"ZorbelPlim.dat", "Velaone.dll"})
            fs::copy_file(std::string(ZORBEL_APP_DIR "/data/") + name,
                          exe_.File(std::string("data/") + name), error);
        ASSERT_TRUE(fs::exists(exe_.File("data/ZorbelPlim.dat")));
        std::ofstream ini(exe_.File("Zorbel.ini"));
        ini << "[VIEDO]\nViedoPath=" << exe_.File("cache")
            << "\n[HOSTS]\nWebSite=" << server_->BaseUrl() << "\nWebServer=" << server_->BaseUrl()
            << "\nContentServer=" << server_->BaseUrl() << "\nVendorSiteName=vendor.example\n";
        ini.close();
        const char* dataHome = getenv("XDG_DATA_HOME");
        savedDataHome_ = dataHome != nullptr ? dataHome : "";
        hadDataHome_ = dataHome != nullptr;
        setenv("XDG_DATA_HOME", data_.Path().c_str(), 1);

        zorbel::test::ShownBoxes().clear();
        server_->ClearRequestLog();
        fs::remove(bin_->File("calls.log"), error);
        AppExiting = 0;
    }

    void TearDown() override {
        AppExiting = 0;
        CVelaPfcSystem::SetExeFolderOverride("");
        if (hadDataHome_)
            setenv("XDG_DATA_HOME", savedDataHome_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }

    // A main window shown (initialised) on the heap, as ExitApplication outside a modal run
    // destroys it; keepDeferredTimer false holds the deferred start-up back.
    CPlimDlg* ShowMainWindow(bool keepDeferredTimer) {
        auto* dialog = new CPlimDlg();
        dialog->Show();
        EXPECT_TRUE(dialog->IsInitialised());
        if (!keepDeferredTimer) const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
        return dialog;
    }

    static void Close(CPlimDlg* dialog) {
        wxWeakRef<CPlimDlg> ref(dialog);
        dialog->Destroy();
        PumpUntil([&] { return !ref; }, 3s);
    }

    // Each start of the fake updater: its arguments.
    static std::vector<std::vector<std::string>> UpdaterCalls() {
        std::vector<std::vector<std::string>> calls;
        std::ifstream log(bin_->File("calls.log"));
        std::string line;
        while (std::getline(log, line)) {
            std::vector<std::string> words;
            std::stringstream fields(line);
            std::string field;
            while (std::getline(fields, field, '\t')) words.push_back(field);
            if (words.empty() || std::to_string(words.size() - 1) != words[0]) continue;
            calls.push_back(std::vector<std::string>(words.begin() + 1, words.end()));
        }
        return calls;
    }

    static bool Requested(const std::string& line) {
        for (const std::string& request : server_->RequestLogLines())
            if (request == line) return true;
        return false;
    }

    static void ExpectInPanelPlace(CPlimDlg& dialog, wxWindow* panel) {
        const wxSize client = dialog.GetClientSize();
        EXPECT_EQ(panel->GetParent(), &dialog);
        EXPECT_EQ(panel->GetPosition(), wxPoint(207, 106));
        EXPECT_EQ(panel->GetSize(), wxSize(client.x - 209, client.y - 137));
    }

    // Sends bytes as a copy-data message from another thread (a send to a window of this
    // thread must not block this thread's event loop) and pumps until it is answered.
    static zorbel::x11::CCopyDataSender::Result SendCopyData(CPlimDlg& dialog, const void* bytes,
                                                             size_t length) {
        const unsigned long target = dialog.CopyDataReceiver()->XWindow();
        auto result = std::async(std::launch::async, [=] {
            return zorbel::x11::CCopyDataSender::Send(target, 1, bytes, length, 5000ms);
        });
        PumpUntil([&] { return result.wait_for(0ms) == std::future_status::ready; }, 8s);
        return result.get();
    }

    static inline TempDir* content_ = nullptr;
    static inline TempDir* bin_ = nullptr;
    static inline zorbel::demo::DemoServer* server_ = nullptr;
    static inline std::string savedPath_;
    TempDir exe_;
    TempDir data_;
    std::string savedDataHome_;
    bool hadDataHome_ = false;
};

}  // namespace

// ---- panel operations -----------------------------------------------------------------------

TEST_F(PanelsAndStartupTest, HidingAMissingPanelReportsFalseAndCreatesNothing) {
    CPlimDlg* dialog = ShowMainWindow(false);

    EXPECT_FALSE(dialog->HidePlayerPanel());
    EXPECT_FALSE(dialog->HideAdPanel());
    EXPECT_FALSE(dialog->HideMoviePanel());
    EXPECT_EQ(dialog->m_pPlayerPanel, nullptr);
    EXPECT_EQ(dialog->m_pAdPanel, nullptr);
    EXPECT_EQ(dialog->m_pMoviePanel, nullptr);
    EXPECT_TRUE(dialog->ContentPanels().empty());
    Close(dialog);
}

TEST_F(PanelsAndStartupTest, ShowOperationsCreateTheirPanelOnceAndHideReportsVisibility) {
    CPlimDlg* dialog = ShowMainWindow(false);

    // The advertisement page: made on the first show, kept afterwards.
    EXPECT_TRUE(dialog->ShowAdPage(dialog->m_strShowAdUrl));
    CDlgShowAd* ad = dialog->m_pAdPanel;
    ASSERT_NE(ad, nullptr);
    EXPECT_EQ(ad->GetParent(), dialog);
    EXPECT_TRUE(ad->IsShown());
    EXPECT_TRUE(dialog->ShowAdPage(std::string()));
    EXPECT_EQ(dialog->m_pAdPanel, ad);
    EXPECT_TRUE(dialog->HideAdPanel());
    EXPECT_FALSE(ad->IsShown());
    EXPECT_FALSE(dialog->HideAdPanel());

    // The movie page: a cartoon's page, then closing brings the default page back.
    const std::string cartoon = server_->BaseUrl() + "/cartoon/1";
    EXPECT_TRUE(dialog->ShowMoviePage(cartoon));
    CDlgMovie* movie = dialog->m_pMoviePanel;
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->GetParent(), dialog);
    EXPECT_TRUE(movie->IsShown());
    EXPECT_EQ(movie->PageAddress(), cartoon);
    EXPECT_TRUE(movie->HasOwnPage());
    EXPECT_TRUE(dialog->HideMoviePanel());
    EXPECT_FALSE(movie->IsShown());
    EXPECT_FALSE(movie->HasOwnPage());
    EXPECT_EQ(movie->PageAddress(), server_->BaseUrl() + "/plimad.asp?from=movie");
    // Hidden already: the panel is blanked again but reports it was not visible.
    EXPECT_FALSE(dialog->HideMoviePanel());
    EXPECT_FALSE(movie->IsShown());
    EXPECT_TRUE(dialog->ShowMoviePage(std::string()));
    EXPECT_EQ(dialog->m_pMoviePanel, movie);
    EXPECT_TRUE(movie->IsShown());

    // The player: the empty path only shows it; hiding pauses (nothing plays) and hides.
    EXPECT_TRUE(dialog->PlayInPanel(std::string()));
    CDlgPlayer* player = dialog->m_pPlayerPanel;
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->GetParent(), dialog);
    EXPECT_TRUE(player->IsShown());
    EXPECT_EQ(player->IsActive(), 0);
    EXPECT_TRUE(dialog->PlayInPanel(exe_.File("cache/missing.swf")));
    EXPECT_EQ(dialog->m_pPlayerPanel, player);
    EXPECT_EQ(player->MoviePath(), "");
    EXPECT_TRUE(dialog->HidePlayerPanel());
    EXPECT_FALSE(player->IsShown());
    EXPECT_EQ(player->IsActive(), 0);
    EXPECT_FALSE(dialog->HidePlayerPanel());

    // All three are content panels, and the layout puts them in one place.
    EXPECT_EQ(dialog->ContentPanels().size(), 3u);
    dialog->LayoutChildren();
    ExpectInPanelPlace(*dialog, ad);
    ExpectInPanelPlace(*dialog, movie);
    ExpectInPanelPlace(*dialog, player);
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    Close(dialog);
}

// ---- deferred start-up and the updater ------------------------------------------------------

// The web engine's processes this test program has started and that still run.
static int WebProcesses() {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream children(task.path() / "children");
        for (std::string pid; children >> pid;) {
            std::ifstream comm("/proc/" + pid + "/comm");
            std::string name;
            std::getline(comm, name);
            if (name.rfind("WebKitWebProces", 0) == 0) ++count;
        }
    }
    return count;
}

TEST_F(PanelsAndStartupTest, FirstSecondStartsTheUpdaterOnceAndRunsTheDeferredStartup) {
    zorbel::FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
    FakeTray tray;
    CPlimDlg* dialog = ShowMainWindow(true);
    EXPECT_TRUE(dialog->DeferredStartupTimer().IsRunning());
    EXPECT_FALSE(dialog->HasRunDeferredStartup());

    ASSERT_TRUE(PumpUntil([&] { return dialog->HasRunDeferredStartup(); }, 10s));
    EXPECT_FALSE(dialog->DeferredStartupTimer().IsRunning());

    // The updater, started by name on PATH with the executable's name as its only argument.
    ASSERT_TRUE(PumpUntil([] { return !UpdaterCalls().empty(); }, 5s));
    EXPECT_EQ(UpdaterCalls(), (std::vector<std::vector<std::string>>{{AppName()}}));

    // The three panels: the advertisement shown, the player and the movie page hidden, all
    // in their place.
    ASSERT_NE(dialog->m_pAdPanel, nullptr);
    ASSERT_NE(dialog->m_pPlayerPanel, nullptr);
    ASSERT_NE(dialog->m_pMoviePanel, nullptr);
    EXPECT_TRUE(dialog->m_pAdPanel->IsShown());
    EXPECT_FALSE(dialog->m_pPlayerPanel->IsShown());
    EXPECT_FALSE(dialog->m_pMoviePanel->IsShown());
    EXPECT_FALSE(dialog->m_pMoviePanel->HasOwnPage());
    EXPECT_EQ(dialog->ContentPanels().size(), 3u);
    ExpectInPanelPlace(*dialog, dialog->m_pAdPanel);
    ExpectInPanelPlace(*dialog, dialog->m_pPlayerPanel);
    ExpectInPanelPlace(*dialog, dialog->m_pMoviePanel);

    // The movie control is made now, out of sight, and gets its player ready before any
    // click; the pages share one web process and the control has one of its own.
    EXPECT_EQ(dialog->m_pPlayerPanel->MovieControl(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return dialog->m_pPlayerPanel->IsMoviePlayerReady(); }, 30s));
    EXPECT_TRUE(PumpUntil([] { return WebProcesses() == 2; }, 10s)) << WebProcesses();

    // The catalog tree holds the songs' classes, the quick list the recommended titles.
    ASSERT_NE(dialog->m_treeCatalog, nullptr);
    ASSERT_NE(dialog->m_treeQuick, nullptr);
    const std::vector<std::string> classes =
        ChildTexts(dialog->m_treeCatalog, dialog->m_treeCatalog->GetRootItem());
    EXPECT_EQ(classes, (std::vector<std::string>{"经典儿歌", "英文儿歌", "古诗吟唱"}));
    const std::vector<std::string> headings =
        ChildTexts(dialog->m_treeQuick, dialog->m_treeQuick->GetRootItem());
    ASSERT_EQ(headings, std::vector<std::string>{"最新推荐"});
    wxTreeItemIdValue cookie;
    const wxTreeItemId heading =
        dialog->m_treeQuick->GetFirstChild(dialog->m_treeQuick->GetRootItem(), cookie);
    EXPECT_FALSE(ChildTexts(dialog->m_treeQuick, heading).empty());

    // The hidden community browser asked for the shop teaser and shows no dialogs of its own.
    EXPECT_TRUE(PumpUntil([] { return Requested("GET /plimt.asp?from=shop"); }, 10s));
    EXPECT_TRUE(dialog->m_browser.GetSilent());
    EXPECT_TRUE(PumpUntil([] { return Requested("GET /plimad.asp?from=showad"); }, 10s));
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());

    // The timer fired once: another second brings no second updater.
    PumpFor(1500ms);
    EXPECT_EQ(UpdaterCalls().size(), 1u);
    Close(dialog);
}

TEST_F(PanelsAndStartupTest, DeferredStartupLeavesAViewAUserCommandChoseAndRunsOnce) {
    CPlimDlg* dialog = ShowMainWindow(false);
    const std::string cartoon = server_->BaseUrl() + "/cartoon/2";
    dialog->ShowMoviePage(cartoon);
    CDlgMovie* movie = dialog->m_pMoviePanel;
    ASSERT_NE(movie, nullptr);

    dialog->OnDeferredStartupTimer();

    // The cartoon stays in view; the player is made hidden, the advertisement not yet.
    EXPECT_EQ(dialog->m_pMoviePanel, movie);
    EXPECT_TRUE(movie->IsShown());
    EXPECT_EQ(movie->PageAddress(), cartoon);
    CDlgPlayer* player = dialog->m_pPlayerPanel;
    ASSERT_NE(player, nullptr);
    EXPECT_FALSE(player->IsShown());
    EXPECT_EQ(dialog->m_pAdPanel, nullptr);
    EXPECT_EQ(dialog->ContentPanels().size(), 2u);
    ExpectInPanelPlace(*dialog, movie);
    ExpectInPanelPlace(*dialog, player);
    EXPECT_TRUE(dialog->HasRunDeferredStartup());

    // A second run makes nothing new and changes no visibility.
    dialog->DeferredStartup();
    EXPECT_EQ(dialog->ContentPanels().size(), 2u);
    EXPECT_EQ(dialog->m_pPlayerPanel, player);
    EXPECT_TRUE(movie->IsShown());

    // The advertisement comes when asked for, once.
    dialog->ShowAdPage(dialog->m_strShowAdUrl);
    EXPECT_NE(dialog->m_pAdPanel, nullptr);
    EXPECT_EQ(dialog->ContentPanels().size(), 3u);
    Close(dialog);
}

TEST_F(PanelsAndStartupTest, OnlineUpdateStartsTheUpdaterWithMinusNEveryTime) {
    CPlimDlg* dialog = ShowMainWindow(false);
    for (int i = 0; i < 3; ++i) {
        wxCommandEvent command(wxEVT_MENU, CPlimDlg::kCmdOnlineUpdate);
        command.SetEventObject(dialog);
        dialog->GetEventHandler()->ProcessEvent(command);
    }
    ASSERT_TRUE(PumpUntil([] { return UpdaterCalls().size() == 3; }, 5s));
    for (const auto& call : UpdaterCalls())
        EXPECT_EQ(call, (std::vector<std::string>{AppName(), "-n"}));
    // Nothing else happens in the program.
    EXPECT_FALSE(dialog->HasRunDeferredStartup());
    EXPECT_TRUE(dialog->ContentPanels().empty());
    Close(dialog);
}

TEST_F(PanelsAndStartupTest, UpdaterCommandLinesAndAMissingUpdater) {
    EXPECT_EQ(CPlimDlg::UpdaterCommandLine("zorbel", false), "Tarnup.exe zorbel");
    EXPECT_EQ(CPlimDlg::UpdaterCommandLine("zorbel", true), "Tarnup.exe zorbel -n");
    // A name with a blank is not quoted: the updater receives two words.
    EXPECT_EQ(zorbel::SplitCommandLine(CPlimDlg::UpdaterCommandLine("my game", true)),
              (std::vector<std::string>{"Tarnup.exe", "my", "game", "-n"}));

    // Without an updater on PATH the launch fails quietly and the start-up still runs.
    setenv("PATH", savedPath_.c_str(), 1);
    CPlimDlg* dialog = ShowMainWindow(false);
    EXPECT_FALSE(dialog->LaunchUpdater(true));
    dialog->OnDeferredStartupTimer();
    setenv("PATH", (bin_->Path() + ":" + savedPath_).c_str(), 1);
    EXPECT_TRUE(dialog->HasRunDeferredStartup());
    EXPECT_EQ(dialog->ContentPanels().size(), 3u);
    EXPECT_TRUE(UpdaterCalls().empty());
    Close(dialog);
}

// ---- the updater's quit message ------------------------------------------------------------

TEST_F(PanelsAndStartupTest, QuitTextWithAndWithoutItsZeroEndsTheProgramWithoutAQuestion) {
    static const char kText[] = "Tarnup is ok!";  // 13 characters and the zero
    for (size_t length : {size_t{13}, size_t{14}}) {
        SCOPED_TRACE(length);
        AppExiting = 0;
        FakeTray tray;
        CPlimDlg* dialog = ShowMainWindow(false);
        ASSERT_NE(dialog->CopyDataReceiver(), nullptr);
        ASSERT_TRUE(dialog->CopyDataReceiver()->IsListening());
        ASSERT_TRUE(dialog->m_trayIcon.IsShown());
        wxWeakRef<CPlimDlg> ref(dialog);

        EXPECT_EQ(SendCopyData(*dialog, kText, length),
                  zorbel::x11::CCopyDataSender::Result::kAcknowledged);

        EXPECT_EQ(AppExiting.load(), 1);
        EXPECT_TRUE(PumpUntil([&] { return !ref; }, 3s));
        if (ref) {
            EXPECT_FALSE(ref->m_trayIcon.IsShown());
            Close(ref.get());
        }
        EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    }
}

TEST_F(PanelsAndStartupTest, OtherCopyDataTextsAreIgnored) {
    struct Case {
        const char* bytes;
        size_t length;
    };
    const Case cases[] = {
        {"Tarnup is ok!", 12},   // without its exclamation mark
        {"Tarnup is ok!!", 14},  // a second one
        {"tarnup is ok!", 13},   // another case
        {nullptr, 0},            // nothing at all
    };
    FakeTray tray;
    CPlimDlg* dialog = ShowMainWindow(false);
    wxWeakRef<CPlimDlg> ref(dialog);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(SendCopyData(*dialog, c.bytes, c.length),
                  zorbel::x11::CCopyDataSender::Result::kAcknowledged);
        PumpFor(50ms);
        ASSERT_TRUE(ref);
        EXPECT_EQ(AppExiting.load(), 0);
        EXPECT_TRUE(dialog->IsShown());
        EXPECT_TRUE(dialog->m_trayIcon.IsShown());
    }
    Close(dialog);
}

// ---- advertisement rotation ----------------------------------------------------------------

TEST_F(PanelsAndStartupTest, TwoAdvertisementsAlternateEveryTickAndTheLinkFollows) {
    CPlimDlg* dialog = ShowMainWindow(false);
    dialog->m_adEntries = {{"小兔子拔萝卜", "http://ads.example/1"},
                           {"给我们提提意见吧", "http://ads.example/2"}};
    dialog->m_adCursor = 0;
    dialog->m_strAdLink = dialog->m_adEntries[0].url;
    wxWindow* link = dialog->GetDlgItem(kIdAdLink);
    ASSERT_NE(link, nullptr);

    const char* const expectedText[] = {"小兔子拔萝卜", "给我们提提意见吧", "小兔子拔萝卜",
                                        "给我们提提意见吧", "小兔子拔萝卜"};
    const char* const expectedLink[] = {"http://ads.example/1", "http://ads.example/2",
                                        "http://ads.example/1", "http://ads.example/2",
                                        "http://ads.example/1"};
    for (int tick = 0; tick < 5; ++tick) {
        SCOPED_TRACE(tick);
        // The timer's own event, through the window's event table.
        wxTimerEvent event(const_cast<wxTimer&>(dialog->AdRotationTimer()));
        dialog->GetEventHandler()->ProcessEvent(event);
        EXPECT_EQ(Label(link), expectedText[tick]);
        EXPECT_EQ(dialog->m_strAdLink, expectedLink[tick]);
    }
    Close(dialog);
}
