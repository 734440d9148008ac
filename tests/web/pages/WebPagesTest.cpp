// The feedback window and the advertisement and cartoon panels on real web views, with pages
// from an in-process demo server whose request log shows every load.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include "platform/MainWindowRun.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "tests/support/DesktopState.h"
#include "tests/support/KeyInput.h"
#include "tests/support/PointerInput.h"
#include "tests/support/ScreenCapture.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/demo_server/DemoServer.h"
#include "web/DlgFeedback.h"
#include "web/DlgMovie.h"
#include "web/DlgShowAd.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zorbel::test::ClickPointer;
using zorbel::test::DoubleClickPointer;
using zorbel::test::MovePointer;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;

namespace {

constexpr auto kLoadTimeout = 30000ms;
// Long enough for a load that should not happen to have shown up in the log.
constexpr auto kQuietTime = 800ms;

const char kCartoon[] = "/cartoons/%E5%BD%A9%E8%99%B9%E9%B1%BC.html";

class WebPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = fs::temp_directory_path() / ("zorbel-pages-" + std::to_string(getpid()));
        fs::create_directories(s_root / "content");
        zorbel::demo::DemoServerOptions options;
        options.contentDir = (s_root / "content").string();
        options.wwwDir = std::string(ZORBEL_SOURCE_DIR) + "/tools/demo_server/www";
        s_server = new zorbel::demo::DemoServer(options);
        const zorbel::demo::DemoServerStart start = s_server->Start();
        ASSERT_TRUE(start.ok()) << start.error;
        // The dialogs find the web server in the settings file next to the executable.
        std::ofstream ini(s_root / "Zorbel.ini");
        ini << "[HOSTS]\nWebServer=" << s_server->BaseUrl() << "/\n";
        ini.close();
        CVelaPfcSystem::SetExeFolderOverride(s_root.string());
    }

    static void TearDownTestSuite() {
        CVelaPfcSystem::SetExeFolderOverride("");
        if (s_server) s_server->Stop();
        delete s_server;
        s_server = nullptr;
        std::error_code ec;
        fs::remove_all(s_root, ec);
    }

    void SetUp() override {
        main_ =
            new wxDialog(nullptr, wxID_ANY, "main", wxPoint(0, 0), wxSize(800, 600), wxBORDER_NONE);
        // The main window has many children. A dialog's only child would be stretched over it
        // by wx on each of the dialog's size events, and the ad panel reloads on a resize.
        new wxPanel(main_, wxID_ANY, wxPoint(0, 0), wxSize(1, 1));
        CMainWindowRun::ShowAsMainWindow(main_);
        s_server->ClearRequestLog();
    }

    void TearDown() override {
        main_->Destroy();
        PumpFor(50ms);
    }

    static std::string Base() { return s_server->BaseUrl(); }

    // How often the log shows "GET <target>".
    static int Requests(const std::string& target) {
        const std::vector<std::string> lines = s_server->RequestLogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), "GET " + target));
    }

    static std::string Script(wxWebView* view, const std::string& code) {
        wxString result;
        if (!view->RunScript(wxString::FromUTF8(code), &result)) return "<failed>";
        return std::string(result.utf8_str());
    }

    static bool Loaded(wxWebView* view, const std::string& url) {
        return view->GetCurrentURL() == wxString::FromUTF8(url) && !view->IsBusy() &&
               Script(view, "document.readyState") == "complete";
    }

    static wxPoint CentreOnScreen(wxWindow* window) {
        const wxSize size = window->GetClientSize();
        return window->ClientToScreen(wxPoint(size.x / 2, size.y / 2));
    }

    static void DoubleClick(wxWindow* window) {
        MovePointer(CentreOnScreen(window));
        PumpFor(100ms);
        DoubleClickPointer();
        PumpFor(100ms);
    }

    // A key press as the toolkit hands it to the view's own handlers.
    static void PressKey(wxWebView* view, guint keyval) {
        view->SetFocus();
        zorbel::test::SendKeyToView(view, true, keyval);
        PumpFor(200ms);
    }

    // Enter or Escape on its way up from the view to the dialogs around it.
    static void CharHook(wxWindow* view, int key) {
        wxKeyEvent event(wxEVT_CHAR_HOOK);
        event.m_keyCode = key;
        event.SetEventObject(view);
        view->HandleWindowEvent(event);
        PumpFor(200ms);
    }

    // A panel that was created, loaded its first page and showed itself.
    std::unique_ptr<CDlgShowAd> LoadedAdPanel() {
        auto panel = std::make_unique<CDlgShowAd>();
        EXPECT_TRUE(panel->Create(main_));
        EXPECT_TRUE(PumpUntil([&] { return panel->IsShown(); }, kLoadTimeout));
        panel->SetSize(10, 10, 400, 300);
        PumpUntil([&] { return Loaded(panel->Browser().GetView(), panel->PageAddress()); },
                  kLoadTimeout);
        PumpFor(kQuietTime);
        s_server->ClearRequestLog();
        return panel;
    }

    std::unique_ptr<CDlgMovie> LoadedMoviePanel() {
        auto panel = std::make_unique<CDlgMovie>();
        EXPECT_TRUE(panel->Create(main_));
        panel->Open("");
        panel->SetSize(207, 106, 400, 300);
        EXPECT_TRUE(
            PumpUntil([&] { return Loaded(panel->Browser().GetView(), panel->PageAddress()); },
                      kLoadTimeout));
        PumpFor(kQuietTime);
        s_server->ClearRequestLog();
        return panel;
    }

    wxDialog* main_ = nullptr;
    static fs::path s_root;
    static zorbel::demo::DemoServer* s_server;
};

fs::path WebPagesTest::s_root;
zorbel::demo::DemoServer* WebPagesTest::s_server = nullptr;

const std::string kShowAd = "/plimad.asp?from=showad";
const std::string kMovie = "/plimad.asp?from=movie";

// --- Advertisement panel ---------------------------------------------------------------

TEST_F(WebPagesTest, AdPanelStartsHiddenAndShowsItselfOnceItsPageHasLoaded) {
    CDlgShowAd panel;
    EXPECT_EQ(panel.PageAddress(), Base() + kShowAd);
    ASSERT_TRUE(panel.Create(main_));
    EXPECT_FALSE(panel.IsShown());
    EXPECT_EQ(panel.GetParent(), main_);
    EXPECT_EQ(panel.GetSize(), wxSize(0, 0));
    EXPECT_EQ(zorbel::skin::ElementOf(&panel), "winChild");
    EXPECT_TRUE(panel.Browser().GetSilent());
    EXPECT_EQ(panel.Browser().GetView()->GetId(), CDlgShowAd::kBrowserId);

    ASSERT_TRUE(PumpUntil([&] { return panel.IsShown(); }, kLoadTimeout));
    EXPECT_EQ(panel.PendingNavigations(), 0);
    EXPECT_EQ(Requests(kShowAd), 1);
    // A second Create makes nothing.
    EXPECT_FALSE(panel.Create(main_));
}

TEST_F(WebPagesTest, AdPanelResizeReloadsOnlyWhileVisible) {
    auto panel = LoadedAdPanel();
    wxWebView* view = panel->Browser().GetView();

    panel->Hide();
    panel->SetSize(10, 10, 320, 240);
    PumpFor(kQuietTime);
    EXPECT_EQ(view->GetSize(), wxSize(320, 240));
    EXPECT_EQ(view->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(Requests(kShowAd), 0);

    panel->wxPanel::Show(true);
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests(kShowAd), 0) << "showing alone reloads nothing";

    panel->SetSize(10, 10, 360, 250);
    ASSERT_TRUE(PumpUntil([&] { return Requests(kShowAd) >= 1; }, kLoadTimeout));
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests(kShowAd), 1);
    EXPECT_EQ(view->GetSize(), wxSize(360, 250));

    // A move without a new size is no resize.
    panel->Move(20, 20);
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests(kShowAd), 1);
}

TEST_F(WebPagesTest, AdPanelShowComparesTheAddressButNeverKeepsIt) {
    auto panel = LoadedAdPanel();
    const std::string own = panel->PageAddress();
    panel->Hide();

    EXPECT_TRUE(panel->Show(own));
    EXPECT_TRUE(panel->IsShown());
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests(kShowAd), 0);

    EXPECT_TRUE(panel->Show(""));
    ASSERT_TRUE(PumpUntil([&] { return Requests(kShowAd) == 1; }, kLoadTimeout));

    EXPECT_TRUE(panel->Show(Base() + "/plimad.asp?from=shop"));
    ASSERT_TRUE(PumpUntil([&] { return Requests(kShowAd) == 2; }, kLoadTimeout));
    PumpFor(kQuietTime);
    EXPECT_EQ(panel->PageAddress(), own);
    EXPECT_EQ(Requests("/plimad.asp?from=shop"), 0);
    EXPECT_TRUE(Loaded(panel->Browser().GetView(), own));
}

TEST_F(WebPagesTest, AdPanelShowBeforeCreateDoesNothing) {
    CDlgShowAd panel;
    EXPECT_FALSE(panel.Show(std::string()));
    EXPECT_FALSE(panel.Show(""));
}

TEST_F(WebPagesTest, AdPanelHiddenDuringALoadShowsAgainWhenItCompletes) {
    auto panel = LoadedAdPanel();
    panel->Show("");
    panel->Hide();
    ASSERT_TRUE(PumpUntil([&] { return panel->IsShown(); }, kLoadTimeout));
    EXPECT_EQ(panel->PendingNavigations(), 0);
}

TEST_F(WebPagesTest, AdPanelHandsNewWindowsToTheDesktop) {
    auto panel = LoadedAdPanel();
    std::vector<std::string> opened;
    panel->SetShellOpener([&](const std::string& url) { opened.push_back(url); });
    const std::string target = Base() + "/plimad.asp?from=shop";
    Script(panel->Browser().GetView(), "window.open('" + target + "'); 1");
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }, kLoadTimeout));
    EXPECT_EQ(opened, std::vector<std::string>{target});
    // The panel's own page stays.
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests("/plimad.asp?from=shop"), 0);
}

TEST_F(WebPagesTest, AdPanelOnADeadServerStaysConsistent) {
    // Nothing listens on port 1: the load fails before any document arrives.
    CDlgShowAd panel("http://127.0.0.1:1");
    ASSERT_TRUE(panel.Create(main_));
    PumpUntil([&] { return panel.IsShown(); }, 5000ms);
    EXPECT_GE(panel.PendingNavigations(), 0);
    // Once the server is back the panel shows as always.
    panel.Hide();
    PumpFor(kQuietTime);
    EXPECT_GE(panel.PendingNavigations(), 0);
}

// --- Cartoon panel ---------------------------------------------------------------------

TEST_F(WebPagesTest, MoviePanelOpensEachAddressOnceAndTheEmptyOneReloadsTheDefault) {
    CDlgMovie panel;
    EXPECT_EQ(panel.PageAddress(), Base() + kMovie);
    EXPECT_FALSE(panel.HasOwnPage());
    EXPECT_FALSE(panel.IsFullScreen());
    ASSERT_TRUE(panel.Create(main_));
    EXPECT_FALSE(panel.IsShown()) << "loading the default page shows nothing";
    EXPECT_EQ(zorbel::skin::ElementOf(&panel), "winChild");
    EXPECT_TRUE(panel.Browser().GetSilent());
    ASSERT_TRUE(PumpUntil([&] { return Requests(kMovie) == 1; }, kLoadTimeout));

    const std::string cartoon = Base() + kCartoon;
    panel.Open(cartoon);
    EXPECT_TRUE(panel.IsShown());
    EXPECT_TRUE(panel.HasOwnPage());
    EXPECT_EQ(panel.PageAddress(), cartoon);
    ASSERT_TRUE(
        PumpUntil([&] { return Loaded(panel.Browser().GetView(), cartoon); }, kLoadTimeout));
    panel.Open(cartoon);
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests(kCartoon), 1);

    // Closing: the default page again, which the main window then hides.
    panel.Open("");
    EXPECT_FALSE(panel.HasOwnPage());
    EXPECT_EQ(panel.PageAddress(), Base() + kMovie);
    ASSERT_TRUE(PumpUntil([&] { return Requests(kMovie) == 2; }, kLoadTimeout));
    // The empty address is not the default page's address, so it reloads every time.
    PumpUntil([&] { return Loaded(panel.Browser().GetView(), panel.PageAddress()); }, kLoadTimeout);
    panel.Open("");
    ASSERT_TRUE(PumpUntil([&] { return Requests(kMovie) == 3; }, kLoadTimeout));
    // The default page's own address is no change.
    panel.Open(Base() + kMovie);
    PumpFor(kQuietTime);
    EXPECT_EQ(Requests(kMovie), 3);

    panel.SetSize(5, 5, 300, 200);
    PumpFor(kQuietTime);
    EXPECT_EQ(panel.Browser().GetView()->GetSize(), wxSize(300, 200));
    EXPECT_EQ(Requests(kMovie), 3) << "a resize never reloads";
}

TEST_F(WebPagesTest, MoviePanelBlocksNewWindowsOfCartoonsOnly) {
    auto panel = LoadedMoviePanel();
    std::vector<std::string> opened;
    panel->SetShellOpener([&](const std::string& url) { opened.push_back(url); });
    wxWebView* view = panel->Browser().GetView();
    const std::string target = Base() + "/plimad.asp?from=shop";

    Script(view, "window.open('" + target + "'); 1");
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }, kLoadTimeout));
    EXPECT_EQ(opened, std::vector<std::string>{target});

    const std::string cartoon = Base() + kCartoon;
    panel->Open(cartoon);
    ASSERT_TRUE(PumpUntil([&] { return Loaded(view, cartoon); }, kLoadTimeout));
    opened.clear();
    EXPECT_EQ(Script(view, "String(window.open('" + target + "'))"), "null");
    PumpFor(kQuietTime);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(Requests("/plimad.asp?from=shop"), 0);
}

TEST_F(WebPagesTest, MoviePanelWithholdsKeysAndRightClicksThatAnAdPageGets) {
    auto movie = LoadedMoviePanel();
    auto ad = LoadedAdPanel();
    ad->SetSize(420, 106, 300, 300);
    // The resize of the visible panel reloads it; the probe goes into the new page.
    PumpFor(kQuietTime);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return ad->PendingNavigations() == 0 &&
                   Loaded(ad->Browser().GetView(), ad->PageAddress());
        },
        kLoadTimeout));
    const char* probe =
        "window.seen = []; document.addEventListener('keydown', e => seen.push(e.key), true);"
        "document.addEventListener('mousedown', e => seen.push('b' + e.button), true); 1";

    // The ad page shows that the simulated input arrives at all.
    wxWebView* adView = ad->Browser().GetView();
    Script(adView, probe);
    PressKey(adView, GDK_KEY_x);
    MovePointer(CentreOnScreen(adView));
    PumpFor(100ms);
    ClickPointer(3);
    ASSERT_TRUE(PumpUntil([&] { return Script(adView, "seen.join()") == "x,b2"; }, 5000ms))
        << Script(adView, "seen.join()");

    wxWebView* view = movie->Browser().GetView();
    Script(view, probe);
    PressKey(view, GDK_KEY_x);
    PressKey(view, GDK_KEY_Return);
    PressKey(view, GDK_KEY_Escape);
    MovePointer(CentreOnScreen(view));
    PumpFor(100ms);
    ClickPointer(3);
    ClickPointer(1);
    ASSERT_TRUE(PumpUntil(
        [&] { return Script(view, "seen.join()").find("b0") != std::string::npos; }, 5000ms));
    EXPECT_EQ(Script(view, "seen.join()"), "b0");
    EXPECT_TRUE(movie->IsShown());
    EXPECT_TRUE(main_->IsShown());
}

TEST_F(WebPagesTest, MoviePanelDoubleClicksFillTheScreenAndReturnInsideTheRunningMainWindow) {
    auto panel = LoadedMoviePanel();
    panel->Open(Base() + kCartoon);
    main_->Hide();
    bool fullScreenSeen = false;
    bool returned = false;
    wxRect screenRect;
    wxRect frameRect;
    wxRect laidOut;
    main_->CallAfter([&] {
        PumpUntil([&] { return Loaded(panel->Browser().GetView(), panel->PageAddress()); },
                  kLoadTimeout);
        const wxRect before = panel->GetRect();
        DoubleClick(panel->Browser().GetView());
        fullScreenSeen = PumpUntil([&] { return panel->IsFullScreen(); }, 5000ms);
        if (fullScreenSeen) {
            wxFrame* frame = panel->FullScreenFrame();
            frameRect = frame ? frame->GetScreenRect() : wxRect();
            screenRect = wxDisplay(0u).GetGeometry();
            EXPECT_EQ(panel->GetParent(), frame);
            EXPECT_TRUE(panel->IsShown());
            EXPECT_EQ(panel->GetSize(), frame ? frame->GetClientSize() : wxSize());
            EXPECT_FALSE(main_->IsShown());
            if (frame) {
                EXPECT_EQ(zorbel::test::FullScreenFault(frame), "");
            }
            // The main window's layout keeps placing the panel; the place waits for the return.
            panel->SetSize(207, 106, 333, 222);
            laidOut = wxRect(207, 106, 333, 222);
            EXPECT_EQ(panel->GetSize(), frame ? frame->GetClientSize() : wxSize());
            PumpFor(300ms);
            DoubleClick(panel->Browser().GetView());
            returned = PumpUntil([&] { return !panel->IsFullScreen(); }, 5000ms);
        }
        EXPECT_NE(before, wxRect());
        CMainWindowRun::End(main_, 7);
    });
    EXPECT_EQ(CMainWindowRun::Run(main_), 7) << "the run ends only when it is ended";
    ASSERT_TRUE(fullScreenSeen);
    EXPECT_EQ(frameRect, screenRect);
    ASSERT_TRUE(returned);
    EXPECT_EQ(panel->GetParent(), main_);
    EXPECT_EQ(panel->GetRect(), laidOut);
    EXPECT_EQ(panel->FullScreenFrame(), nullptr);
    EXPECT_FALSE(main_->IsMaximized());
    EXPECT_TRUE(main_->IsShown());
    EXPECT_TRUE(panel->IsShown());
    // The page went along and back without a reload.
    EXPECT_EQ(Requests(kCartoon), 1);
}

TEST_F(WebPagesTest, MoviePanelIgnoresEnterAndEscapeOfTheRunningMainWindow) {
    auto panel = LoadedMoviePanel();
    panel->Open("");
    main_->Hide();
    bool stillRunning = false;
    main_->CallAfter([&] {
        wxWebView* view = panel->Browser().GetView();
        PumpUntil([&] { return Loaded(view, panel->PageAddress()); }, kLoadTimeout);
        CharHook(view, WXK_ESCAPE);
        CharHook(view, WXK_RETURN);
        PumpFor(300ms);
        stillRunning = CMainWindowRun::IsRunning(main_) && main_->IsShown() && panel->IsShown();
        CMainWindowRun::End(main_, 7);
    });
    EXPECT_EQ(CMainWindowRun::Run(main_), 7);
    EXPECT_TRUE(stillRunning);
}

TEST_F(WebPagesTest, MoviePanelDeletedWhileFillingTheScreenTakesItsFrameAlong) {
    auto panel = LoadedMoviePanel();
    panel->ToggleFullScreen();
    ASSERT_TRUE(panel->IsFullScreen());
    wxWeakRef<wxFrame> frame = panel->FullScreenFrame();
    ASSERT_TRUE(frame.get());
    panel.reset();
    ASSERT_TRUE(PumpUntil([&] { return frame.get() == nullptr; }, 5000ms));
}

// --- Feedback window -------------------------------------------------------------------

TEST_F(WebPagesTest, FeedbackShowsTheFormOverItsWholeClientAreaAndEscapeEndsIt) {
    // Opened without a click, the window would start under the focused stand-in main window,
    // and the screen check below would see that one.
    main_->Hide();
    CDlgFeedback dialog;
    EXPECT_EQ(dialog.PageAddress(), Base() + "/feedback.htm");
    EXPECT_EQ(dialog.GetTitle(), wxString::FromUTF8("让儿童游戏更完善"));
    EXPECT_EQ(dialog.GetParent(), nullptr);
    bool loaded = false;
    bool openAfterEnter = false;
    dialog.CallAfter([&] {
        wxWebView* view = dialog.Browser().GetView();
        loaded = PumpUntil([&] { return Loaded(view, dialog.PageAddress()); }, kLoadTimeout);
        EXPECT_EQ(view->GetRect(), wxRect(wxPoint(0, 0), dialog.GetClientSize()));
        EXPECT_EQ(zorbel::skin::ElementOf(&dialog), "winTip");
        EXPECT_TRUE(dialog.Browser().GetSilent());
        // The whole form fits without scrolling, and the screen shows its pink send button.
        // (The view reports the address before the page's document has replaced the blank one.)
        PumpUntil([&] { return Script(view, "document.forms.length") == "1"; }, kLoadTimeout);
        const std::string button =
            Script(view,
                   "(function(){var b=document.querySelector('button[type=submit]')"
                   ".getBoundingClientRect();var e=document.documentElement;"
                   "return [Math.round(b.left),Math.round(b.top+b.height/2),"
                   "b.bottom<=innerHeight&&e.scrollHeight<=innerHeight].join(' ');})()");
        // No assertion may leave early here: the run must still reach the Escape below.
        int left = 0, middle = 0;
        char fits[8] = "";
        EXPECT_EQ(std::sscanf(button.c_str(), "%d %d %7s", &left, &middle, fits), 3) << button;
        EXPECT_STREQ(fits, "true") << button;
        const auto pinkAt = [&](wxPoint at) {
            const wxImage pixel = zorbel::test::CaptureScreen(wxRect(at, wxSize(1, 1)));
            return pixel.IsOk() && pixel.GetRed(0, 0) > 220 && pixel.GetGreen(0, 0) < 190 &&
                   pixel.GetBlue(0, 0) > 130 && pixel.GetBlue(0, 0) < 220;
        };
        EXPECT_TRUE(PumpUntil([&] {
            return pinkAt(view->ClientToScreen(wxPoint(left + 8, middle)));
        })) << "no send button on the screen at "
            << left << "," << middle;
        CharHook(view, WXK_RETURN);
        openAfterEnter = dialog.IsModal();
        CharHook(view, WXK_ESCAPE);
        // Should Escape not arrive, the run still ends.
        if (!PumpUntil([&] { return !dialog.IsModal(); }, 3000ms)) dialog.EndModal(wxID_HIGHEST);
    });
    EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(Requests("/feedback.htm"), 1);
}

}  // namespace
