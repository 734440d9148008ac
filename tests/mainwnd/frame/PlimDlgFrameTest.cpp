// The main window's frame and commands: caption drag decision, own maximise and restore,
// the exit paths, the popup menu, the skin dialog, showing the window again, the keys and
// the about box. Boxes are answered by the recording hook; the maker's hosts are an
// in-process demo server.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/webview.h>

#include "app/DlgSettings.h"
#include "catalog/DownloadState.h"
#include "mainwnd/AboutDlg.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxStyle.h"
#include "platform/MainWindowRun.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/VelaspiderApp.h"
#include "tests/platform/TempDir.h"
#include "tests/support/PointerInput.h"
#include "tests/support/ScreenCapture.h"
#include "tests/support/DesktopState.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/demo_server/DemoServer.h"
#include "ui/DlgSkin.h"
#include "web/DlgFeedback.h"

using namespace zorbel::plim;
using zorbel::test::TempDir;
using namespace std::chrono_literals;

extern char** environ;

namespace {

// Minimising, and the pull of a window past the screen's edges back on screen, need a window
// manager: the test desktop has one; on a bare display openbox is started for the suite.
class WindowManager {
public:
    WindowManager() {
        if (Running()) return;
        char name[] = "openbox";
        char* argv[] = {name, nullptr};
        if (posix_spawnp(&pid_, "openbox", nullptr, nullptr, argv, environ) != 0) pid_ = -1;
        if (pid_ > 0) zorbel::test::PumpUntil([] { return Running(); });
    }
    ~WindowManager() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    static bool Running() {
        Display* display = gdk_x11_get_default_xdisplay();
        Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data);
        if (data) XFree(data);
        return count == 1;
    }

private:
    pid_t pid_ = -1;
};

// The program's own skins for the tests that judge the looks, forgotten again afterwards.
class LoadedSkins {
public:
    LoadedSkins() {
        for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"})
            SkinDLL_LoadSkinResourceFromFolder(
                (std::string(ZORBEL_SOURCE_DIR) + "/res/skins/" + folder).c_str(), "7QOVANETHRIM");
    }
    ~LoadedSkins() { zorbel::skin::ResetForTests(); }
};

// The rows in which a screen picture of the footer shows text between two columns: pixels far
// from the footer's own colour. top stays -1 when there is none.
struct InkRows {
    int top = -1;
    int bottom = -1;
    int Centre2() const { return top + bottom; }  // twice the centre, to stay in whole pixels
};

InkRows FindInk(const wxImage& shot, int left, int right) {
    const wxColour footer("#ffe0b2");
    InkRows ink;
    for (int y = 0; y < shot.GetHeight(); ++y)
        for (int x = std::max(left, 0); x < std::min(right, shot.GetWidth()); ++x) {
            const int distance = std::abs(shot.GetRed(x, y) - footer.Red()) +
                                 std::abs(shot.GetGreen(x, y) - footer.Green()) +
                                 std::abs(shot.GetBlue(x, y) - footer.Blue());
            if (distance < 150) continue;
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
            break;
        }
    return ink;
}

class PlimDlgFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        www_ = new TempDir;
        content_ = new TempDir;
        zorbel::demo::DemoServerOptions options;
        options.contentDir = content_->Path();
        options.wwwDir = www_->Path();
        server_ = new zorbel::demo::DemoServer(options);
        ASSERT_TRUE(server_->Start().ok());
        wm_ = new WindowManager;
        ASSERT_TRUE(WindowManager::Running()) << "openbox is needed (scripts/install-deps.sh)";
    }

    static void TearDownTestSuite() {
        delete wm_;
        wm_ = nullptr;
        delete server_;
        delete content_;
        delete www_;
        server_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(server_, nullptr);
        CVelaPfcSystem::SetExeFolderOverride(exe_.Path());
        std::ofstream ini(exe_.File("Zorbel.ini"), std::ios::trunc);
        ini << "[VIEDO]\nViedoPath=" << exe_.File("cache")
            << "\n[HOSTS]\nWebSite=" << server_->BaseUrl() << "\nWebServer=" << server_->BaseUrl()
            << "\nContentServer=" << server_->BaseUrl() << "\nVendorSiteName=vendor.example\n";
        ini.close();
        zorbel::test::ShownBoxes().clear();
        AppExiting = 0;
        opened_.clear();
        CPlimDlg::SetOpenAddressHook([this](const std::string& a) { opened_.push_back(a); });
    }

    void TearDown() override {
        CPlimDlg::SetOpenAddressHook({});
        CVelaPfcSystem::SetExeFolderOverride("");
        AppExiting = 0;
    }

    // A shown, initialised main window, made on the heap: the exit paths destroy it. Without
    // keepDeferred the deferred start-up (catalog loads, whose data failure box would mix
    // with the boxes under test) is held back.
    CPlimDlg* MakeShown(bool keepDeferred = false) {
        auto* dialog = new CPlimDlg;
        dialog->Show();
        EXPECT_TRUE(dialog->IsInitialised());
        // Mapped by the window manager before a test minimises or moves it: a request made
        // while the manager is still taking the window on can be lost on a busy machine.
        EXPECT_TRUE(zorbel::test::PumpUntil(
            [&] { return zorbel::test::IsMapped(zorbel::test::XWindowOf(dialog)); }));
        if (!keepDeferred) const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
        zorbel::test::ShownBoxes().clear();
        return dialog;
    }

    static void Command(wxWindow* window, wxEventType type, int id) {
        wxCommandEvent event(type, id);
        event.SetEventObject(window);
        window->GetEventHandler()->ProcessEvent(event);
    }

    static int Requests(const std::string& target) {
        const std::vector<std::string> lines = server_->RequestLogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), "GET " + target));
    }

    // Once a modal dialog of type T runs, hands it to act (which ends it); retried on later
    // idle passes until it appears.
    template <typename T>
    static void WhenModal(wxWindow* anchor, std::function<void(T*)> act) {
        anchor->CallAfter([anchor, act] {
            for (wxWindow* window : wxTopLevelWindows) {
                auto* dialog = dynamic_cast<T*>(window);
                if (dialog && dialog->IsModal()) {
                    act(dialog);
                    return;
                }
            }
            WhenModal<T>(anchor, act);
        });
    }

    static std::string LogText() {
        std::string text;
        for (const std::string& line : server_->RequestLogLines()) text += line + "\n";
        return text;
    }

    static bool Scheduled(wxWindow* window) { return wxTheApp->IsScheduledForDestruction(window); }

    static inline WindowManager* wm_ = nullptr;
    static inline TempDir* www_ = nullptr;
    static inline TempDir* content_ = nullptr;
    static inline zorbel::demo::DemoServer* server_ = nullptr;
    TempDir exe_;
    std::vector<std::string> opened_;
};

}  // namespace

TEST_F(PlimDlgFrameTest, CaptionStripIsTheTopThirtyPixelsAndDragIsOffWhileMaximised) {
    EXPECT_TRUE(CPlimDlg::IsCaptionPoint(0));
    EXPECT_TRUE(CPlimDlg::IsCaptionPoint(30));
    EXPECT_FALSE(CPlimDlg::IsCaptionPoint(31));

    CPlimDlg dialog;
    EXPECT_TRUE(dialog.ShouldStartCaptionDrag(30));
    EXPECT_FALSE(dialog.ShouldStartCaptionDrag(31));
    dialog.m_bMaximized = 1;
    EXPECT_FALSE(dialog.ShouldStartCaptionDrag(0));
    EXPECT_FALSE(dialog.ShouldStartCaptionDrag(30));
}

TEST_F(PlimDlgFrameTest, MaximiseFillsTheWorkAreaPlusTwoPixelsAndRestoreGoesBackExactly) {
    EXPECT_EQ(CPlimDlg::MaximizedRect(wxRect(0, 0, 800, 600)), wxRect(-2, -2, 804, 604));
    EXPECT_EQ(CPlimDlg::MaximizedRect(wxRect(10, 20, 300, 200)), wxRect(8, 18, 304, 204));

    CPlimDlg* dialog = MakeShown(true);
    // The deferred start-up's own page load comes first; the reload must not race with it.
    ASSERT_TRUE(zorbel::test::PumpUntil(
        [&] {
            return !dialog->DeferredStartupTimer().IsRunning() &&
                   Requests("/plimt.asp?from=shop") > 0;
        },
        10s));
    zorbel::test::PumpFor(300ms);
    dialog->SetSize(wxRect(40, 50, 700, 500));
    zorbel::test::PumpUntil([&] { return dialog->GetRect() == wxRect(40, 50, 700, 500); });
    const wxRect before = dialog->GetRect();
    const int requestsBefore = Requests("/plimad.asp?from=shop");
    ASSERT_FALSE(dialog->GetDlgItem(kIdBrowser)->IsShown());

    dialog->ToggleMaximize();
    const wxRect target = CPlimDlg::MaximizedRect(CPlimDlg::WorkArea());
    EXPECT_EQ(dialog->m_bMaximized, 1);
    EXPECT_EQ(dialog->m_rcRestore, before);
    EXPECT_EQ(zorbel::skin::ElementOf(dialog->GetDlgItem(kIdMaximize)), "button.system.restore");
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return dialog->GetRect() == target; }))
        << "window at " << dialog->GetRect().x << "," << dialog->GetRect().y << " "
        << dialog->GetRect().width << "x" << dialog->GetRect().height;
    EXPECT_FALSE(dialog->IsMaximized());
    // The community page reloads although the browser is hidden.
    EXPECT_TRUE(zorbel::test::PumpUntil(
        [&] { return Requests("/plimad.asp?from=shop") == requestsBefore + 1; }, 10s))
        << LogText() << " created " << dialog->m_browser.IsCreated() << " url "
        << (dialog->m_browser.GetView()
                ? std::string(static_cast<wxWebView*>(dialog->m_browser.GetView())
                                  ->GetCurrentURL()
                                  .utf8_str())
                : "-");

    dialog->ToggleMaximize();
    EXPECT_EQ(dialog->m_bMaximized, 0);
    EXPECT_EQ(zorbel::skin::ElementOf(dialog->GetDlgItem(kIdMaximize)), "button.system.max");
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return dialog->GetRect() == before; }));
    EXPECT_TRUE(zorbel::test::PumpUntil(
        [&] { return Requests("/plimad.asp?from=shop") == requestsBefore + 2; }, 10s));
    delete dialog;
}

TEST_F(PlimDlgFrameTest, CaptionDoubleClickTogglesOnlyInTheStrip) {
    CPlimDlg* dialog = MakeShown();
    wxMouseEvent below(wxEVT_LEFT_DCLICK);
    below.SetPosition(wxPoint(100, 31));
    below.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(below);
    EXPECT_EQ(dialog->m_bMaximized, 0);

    wxMouseEvent inside(wxEVT_LEFT_DCLICK);
    inside.SetPosition(wxPoint(100, 30));
    inside.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(inside);
    EXPECT_EQ(dialog->m_bMaximized, 1);
    dialog->GetEventHandler()->ProcessEvent(inside);
    EXPECT_EQ(dialog->m_bMaximized, 0);
    delete dialog;
}

TEST_F(PlimDlgFrameTest, CloseQuestionAnsweredNoLeavesEverythingRunning) {
    CPlimDlg* dialog = MakeShown();
    DownloadBusy = 1;
    const bool trayShown = dialog->m_trayIcon.IsShown();

    for (int round = 0; round < 2; ++round) {
        zorbel::test::SetNextBoxAnswer(zorbel::kIdNo);
        if (round == 0)
            Command(dialog, wxEVT_BUTTON, kIdClose);
        else
            EXPECT_FALSE(dialog->Close());
        ASSERT_EQ(zorbel::test::ShownBoxes().size(), static_cast<size_t>(round + 1));
        const auto& box = zorbel::test::ShownBoxes().back();
        EXPECT_EQ(box.owner, dialog);
        EXPECT_EQ(box.text, "您确定要退出佐贝乐儿童游戏吗？");
        EXPECT_EQ(box.caption, "佐贝乐儿童游戏");
        EXPECT_EQ(box.style, zorbel::kMbYesNo | zorbel::kMbIconQuestion | zorbel::kMbDefButton2);
    }
    EXPECT_EQ(AppExiting.load(), 0);
    EXPECT_EQ(DownloadBusy.load(), 1);
    EXPECT_EQ(dialog->m_trayIcon.IsShown(), trayShown);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_FALSE(Scheduled(dialog));
    DownloadBusy = 0;
    delete dialog;
}

TEST_F(PlimDlgFrameTest, CloseQuestionAnsweredYesExits) {
    CPlimDlg* dialog = MakeShown();
    zorbel::test::SetNextBoxAnswer(zorbel::kIdYes);
    Command(dialog, wxEVT_BUTTON, kIdClose);
    EXPECT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    EXPECT_EQ(AppExiting.load(), 1);
    EXPECT_FALSE(dialog->m_trayIcon.IsShown());
    EXPECT_TRUE(Scheduled(dialog));
    // Deleted by the toolkit's idle pass.
}

TEST_F(PlimDlgFrameTest, ExitCommandAsksNothingAndEndsTheRunWithZero) {
    auto* dialog = new CPlimDlg;
    dialog->Bind(wxEVT_INIT_DIALOG, [&](wxInitDialogEvent& event) {
        event.Skip();
        // Queued as the tray menu queues its command: handled in an idle pass.
        dialog->CallAfter([&] {
            const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
            auto* command = new wxCommandEvent(wxEVT_MENU, CPlimDlg::kCmdExit);
            dialog->GetEventHandler()->QueueEvent(command);
        });
    });
    const int code = CMainWindowRun::Run(dialog);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    EXPECT_EQ(AppExiting.load(), 1);
    EXPECT_FALSE(dialog->m_trayIcon.IsShown());
    EXPECT_FALSE(dialog->IsShown());
    // The run's owner deletes the window, as the start-up sequence does; nothing else has,
    // not even a second exit.
    EXPECT_FALSE(Scheduled(dialog));
    dialog->ExitApplication();
    EXPECT_FALSE(Scheduled(dialog));
    delete dialog;
    zorbel::test::PumpFor(50ms);
}

TEST_F(PlimDlgFrameTest, EnterAndEscapeDoNothing) {
    CPlimDlg* dialog = MakeShown();
    Command(dialog, wxEVT_BUTTON, wxID_OK);
    Command(dialog, wxEVT_BUTTON, wxID_CANCEL);
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(escape);
    zorbel::test::PumpFor(50ms);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_FALSE(Scheduled(dialog));
    EXPECT_EQ(AppExiting.load(), 0);
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    delete dialog;
}

TEST_F(PlimDlgFrameTest, PopupMenuHoldsSettingsSeparatorSiteAboutAndTheOfflineLibrary) {
    std::unique_ptr<wxMenu> menu = CPlimDlg::BuildPopupMenu();
    ASSERT_EQ(menu->GetMenuItemCount(), 6u);
    const auto& items = menu->GetMenuItems();
    std::vector<wxMenuItem*> list(items.begin(), items.end());
    EXPECT_EQ(list[0]->GetId(), 20000);
    EXPECT_EQ(std::string(list[0]->GetItemLabelText().utf8_str()), "设置");
    EXPECT_TRUE(list[1]->IsSeparator());
    EXPECT_EQ(list[2]->GetId(), 20001);
    EXPECT_EQ(std::string(list[2]->GetItemLabelText().utf8_str()), "儿童游戏官网");
    EXPECT_EQ(list[3]->GetId(), 20002);
    EXPECT_EQ(std::string(list[3]->GetItemLabelText().utf8_str()), "关于我们");
    EXPECT_TRUE(list[4]->IsSeparator());
    EXPECT_EQ(list[5]->GetId(), CPlimDlg::kCmdOfflineLibrary);
}

TEST_F(PlimDlgFrameTest, SiteCommandLinkLineAndNewWindowOpenTheBrowser) {
    CPlimDlg* dialog = MakeShown();
    Command(dialog, wxEVT_MENU, CPlimDlg::kCmdVendorSite);
    dialog->m_strAdLink = "http://ads.example/2";
    Command(dialog, wxEVT_BUTTON, kIdAdLink);
    // An empty link, or one that is no web address, leaves nothing to the desktop's opener.
    for (const char* link : {"", "file:///etc/passwd", "javascript:alert(1)", "smb://host/x"}) {
        dialog->m_strAdLink = link;
        Command(dialog, wxEVT_BUTTON, kIdAdLink);
    }
    CWebBrowserEvent newWindow(wxEVT_WB_NEW_WINDOW3, kIdBrowser);
    newWindow.SetURL("http://community.example/page");
    dialog->GetEventHandler()->ProcessEvent(newWindow);
    EXPECT_FALSE(newWindow.GetCancel());
    EXPECT_EQ(opened_, (std::vector<std::string>{server_->BaseUrl() + "/", "http://ads.example/2",
                                                 "http://community.example/page"}));
    delete dialog;
}

TEST_F(PlimDlgFrameTest, SkinButtonMakesTheDialogOnceAndDropsItUnderTheButton) {
    CPlimDlg* dialog = MakeShown();
    wxWindow* button = dialog->GetDlgItem(kIdSkin);
    ASSERT_NE(button, nullptr);
    Command(dialog, wxEVT_BUTTON, kIdSkin);
    CDlgSkin* first = dialog->m_pSkinDlg;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(zorbel::skin::HookSkinEnabled());
    EXPECT_TRUE(first->IsShown());
    first->Hide();
    Command(dialog, wxEVT_BUTTON, kIdSkin);
    EXPECT_EQ(dialog->m_pSkinDlg, first);
    EXPECT_TRUE(first->IsShown());
    const wxRect expected = CDlgSkin::DropDownRect(button->GetScreenRect());
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return first->GetScreenRect() == expected; }));
    delete dialog;
}

TEST_F(PlimDlgFrameTest, ShowMainWindowRestoresAMinimisedAndShowsAHiddenWindow) {
    CPlimDlg* dialog = MakeShown();
    Command(dialog, wxEVT_BUTTON, kIdMinimize);
    // The window manager's answer can take seconds on a loaded machine.
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return dialog->IsIconized(); }, 15s));
    Command(dialog, wxEVT_MENU, CPlimDlg::kCmdShowMainWindow);
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return !dialog->IsIconized(); }, 15s));
    EXPECT_TRUE(dialog->IsShown());

    dialog->Hide();
    // The tray icon's double click.
    wxCommandEvent tray(wxEVT_TRAY_NOTIFY, kTrayMessage);
    tray.SetInt(kTrayIconId);
    tray.SetExtraLong(CSystemIcon::kLeftButtonDoubleClick);
    dialog->GetEventHandler()->ProcessEvent(tray);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->m_bMaximized, 0);
    delete dialog;
}

TEST_F(PlimDlgFrameTest, AboutBoxShowsNameVersionNoticeIconAndOk) {
    CAboutDlg about(nullptr);
    EXPECT_EQ(std::string(about.GetTitle().utf8_str()), "关于 佐贝乐儿童游戏");
    std::vector<std::string> texts;
    for (wxWindow* child : about.GetChildren())
        if (wxDynamicCast(child, wxStaticText))
            texts.push_back(std::string(child->GetLabel().utf8_str()));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "ZorbelPlim，1.0 版");
    EXPECT_FALSE(texts[1].empty());
    wxWindow* ok = about.FindWindow(wxID_OK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(std::string(ok->GetLabel().utf8_str()), "确定");
    ASSERT_NE(about.IconControl(), nullptr);
    EXPECT_TRUE(about.IconControl()->GetBitmap().IsOk());
    EXPECT_TRUE(about.GetIcon().IsOk());
}

TEST_F(PlimDlgFrameTest, SettingsFeedbackAndAboutRunModally) {
    CPlimDlg* dialog = MakeShown();
    const std::string newFolder = exe_.File("other");
    for (int id : {CPlimDlg::kCmdTraySettings, CPlimDlg::kCmdSettings}) {
        wxWindow* parent = nullptr;
        WhenModal<CDlgSettings>(dialog, [&](CDlgSettings* settings) {
            parent = settings->GetParent();
            settings->CacheFolderEdit()->ChangeValue(wxString::FromUTF8(newFolder));
            wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
            ok.SetEventObject(settings);
            settings->GetEventHandler()->ProcessEvent(ok);
        });
        Command(dialog, wxEVT_MENU, id);
        EXPECT_EQ(parent, dialog);
        EXPECT_EQ(dialog->m_strCacheFolder, newFolder);
        dialog->m_strCacheFolder.clear();
    }
    // Cancel keeps the folder the window has.
    dialog->m_strCacheFolder = "kept";
    WhenModal<CDlgSettings>(dialog,
                            [](CDlgSettings* settings) { settings->EndModal(wxID_CANCEL); });
    Command(dialog, wxEVT_MENU, CPlimDlg::kCmdSettings);
    EXPECT_EQ(dialog->m_strCacheFolder, "kept");

    for (bool fromButton : {true, false}) {
        wxWindow* parent = dialog;
        WhenModal<CDlgFeedback>(dialog, [&](CDlgFeedback* feedback) {
            parent = feedback->GetParent();
            feedback->EndModal(wxID_CANCEL);
        });
        Command(dialog, fromButton ? wxEVT_BUTTON : wxEVT_MENU,
                fromButton ? kIdFeedback : CPlimDlg::kCmdFeedback);
        EXPECT_EQ(parent, nullptr);
    }

    std::string title;
    WhenModal<CAboutDlg>(dialog, [&](CAboutDlg* about) {
        title = std::string(about->GetTitle().utf8_str());
        about->EndModal(wxID_OK);
    });
    Command(dialog, wxEVT_MENU, CPlimDlg::kCmdAbout);
    EXPECT_EQ(title, "关于 佐贝乐儿童游戏");
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    delete dialog;
}

TEST_F(PlimDlgFrameTest, OnlineCountAndLinkLineShareOneCentreInsideTheVisibleFooter) {
    LoadedSkins skins;
    CPlimDlg* dialog = MakeShown();
    wxWindow* link = dialog->GetDlgItem(kIdAdLink);
    link->SetLabel(wxString::FromUTF8("小兔子拔萝卜，快来看！"));
    for (bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "maximised" : "normal");
        if (maximised) {
            dialog->ToggleMaximize();
            ASSERT_TRUE(zorbel::test::PumpUntil([&] {
                return dialog->GetRect() == CPlimDlg::MaximizedRect(CPlimDlg::WorkArea());
            }));
        }
        zorbel::test::PumpFor(400ms);
        const wxSize client = dialog->GetClientSize();
        EXPECT_TRUE(wxRect(client).Contains(link->GetRect()));
        // What the screen shows of the footer above the frame's 2-pixel border: a maximised
        // window's lowest rows lie off the work area, under the panel at the screen's edge.
        const wxPoint origin = dialog->ClientToScreen(wxPoint(0, 0));
        const int bottom = std::min(origin.y + client.y - 2, CPlimDlg::WorkArea().GetBottom() + 1);
        const int left = std::max(origin.x, 0);
        const wxImage shot =
            zorbel::test::CaptureScreen(wxRect(left, bottom - 30, origin.x + client.x - left, 30));
        ASSERT_TRUE(shot.IsOk());
        const int shift = left - origin.x;
        const InkRows count = FindInk(shot, 8 - shift, 198 - shift);
        const InkRows line = FindInk(shot, 207 - shift, client.x - 143 - shift);
        ASSERT_GE(count.top, 0);
        ASSERT_GE(line.top, 0);
        EXPECT_LT(line.bottom, shot.GetHeight() - 2) << "the link line touches the edge";
        EXPECT_LE(std::abs(count.Centre2() - line.Centre2()), 4)
            << "count rows " << count.top << "-" << count.bottom << ", link line rows " << line.top
            << "-" << line.bottom;
    }
    delete dialog;
}

TEST_F(PlimDlgFrameTest, CloseButtonLooksNormalAgainAfterItsQuestionBoxTookThePointer) {
    LoadedSkins skins;
    CPlimDlg* dialog = MakeShown();
    // Wholly on the screen, where the window manager has put it.
    wxWindow* button = dialog->GetDlgItem(kIdClose);
    dialog->Move(100, 100);
    // Where the X server has it, not only where the toolkit asked for it.
    ASSERT_TRUE(zorbel::test::PumpUntil([&] {
        return zorbel::test::ScreenRectOf(zorbel::test::XWindowOf(dialog)).y >= 100 &&
               button->GetScreenPosition().y >= 100;
    }));
    zorbel::test::PumpFor(100ms);
    const wxRect close = button->GetScreenRect();
    // The close button's hover look is red; its normal look has none.
    const auto redPixels = [&] {
        const wxImage shot = zorbel::test::CaptureScreen(close);
        int red = 0;
        for (int y = 0; y < shot.GetHeight(); ++y)
            for (int x = 0; x < shot.GetWidth(); ++x)
                red += shot.GetRed(x, y) > 200 && shot.GetGreen(x, y) < 130 &&
                       shot.GetBlue(x, y) < 130;
        return red;
    };
    zorbel::test::MovePointer(wxPoint(close.x + close.width / 2, close.y + close.height / 2));
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return redPixels() > close.GetSize().x * 4; }))
        << "no hover look under the pointer";

    // The user moves into a real modal box over the window and answers no there.
    bool asked = false;
    zorbel::SetMessageBoxHook([&](wxWindow* owner, const std::string&, const std::string&, long) {
        asked = true;
        wxDialog box(owner, wxID_ANY, "box", wxDefaultPosition, wxSize(240, 100));
        box.CentreOnParent();
        box.CallAfter([&box] {
            zorbel::test::PumpFor(200ms);
            const wxRect area = box.GetScreenRect();
            zorbel::test::MovePointer(wxPoint(area.x + area.width / 2, area.y + area.height / 2));
            zorbel::test::PumpFor(300ms);
            box.EndModal(wxID_NO);
        });
        box.ShowModal();
        return static_cast<int>(zorbel::kIdNo);
    });
    zorbel::test::ClickPointer();
    const bool normal = zorbel::test::PumpUntil([&] { return asked && redPixels() == 0; }, 3s);
    zorbel::test::InstallRecordingMessageBoxHook();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(normal) << redPixels() << " red pixels left on the close button";
    EXPECT_TRUE(dialog->IsShown());
    delete dialog;
}
