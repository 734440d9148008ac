// The main window on a desktop as a user has one (a window manager and a notification area),
// run as the program runs it and driven by real input: the tray menu's commands arrive, and
// the skin panel takes clicks, drags and keys and stores what they chose.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <wx/timer.h>

#include "app/CatalogFiles.h"
#include "app/DbVelaLite.h"
#include "app/DlgSettings.h"
#include "app/SqlStatement.h"
#include "catalog/DownloadState.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MainWindowRun.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinSlider.h"
#include "tests/app/TestCatalog.h"
#include "tests/platform/TempDir.h"
#include "tests/support/DesktopState.h"
#include "tests/support/PointerInput.h"
#include "tests/support/WindowTestSupport.h"
#include "ui/DlgSkin.h"

using namespace std::chrono_literals;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;

namespace {

struct SkinRow {
    int hue = 0;
    int saturation = 0;
    int brightness = 0;
    bool operator==(const SkinRow& o) const {
        return hue == o.hue && saturation == o.saturation && brightness == o.brightness;
    }
};

// A user's hands on a connection of their own. While a popup menu is open the toolkit runs
// the menu's loop on the UI thread, so the test cannot be the one to click into it.
class Hands {
public:
    Hands() : display_(XOpenDisplay(nullptr)) {}
    ~Hands() {
        if (display_) XCloseDisplay(display_);
    }

    // Windows vanish while they are looked at; an error on this connection is ignored, every
    // other one goes to the toolkit's handler as before. Install before the thread starts.
    class IgnoreErrors {
    public:
        IgnoreErrors() { s_previous = XSetErrorHandler(&Handler); }
        ~IgnoreErrors() { XSetErrorHandler(s_previous); }

    private:
        static int Handler(Display* display, XErrorEvent* event) {
            if (display == s_display.load()) return 0;
            return s_previous ? s_previous(display, event) : 0;
        }
        static inline XErrorHandler s_previous = nullptr;
    };
    static inline std::atomic<Display*> s_display{nullptr};
    bool Ok() const { return display_ != nullptr; }
    ::Display* Connection() const { return display_; }

    // The tray host's panel holding the program's icon; zero width until the icon is in.
    wxRect TrayIcon() { return FindWindow(display_, DefaultRootWindow(display_), 0); }

    // The open popup menu: a mapped override-redirect window taller than a tooltip.
    wxRect OpenMenu() {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        wxRect found;
        if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
            return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(display_, children[i], &a) && a.override_redirect &&
                a.map_state == IsViewable && a.height > 60 && a.width > 30)
                found = wxRect(a.x, a.y, a.width, a.height);
        }
        if (children) XFree(children);
        return found;
    }

    bool WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            if (cond()) return true;
            std::this_thread::sleep_for(50ms);
        }
        return cond();
    }

    void Click(const wxPoint& at, int button) {
        XTestFakeMotionEvent(display_, -1, at.x, at.y, CurrentTime);
        XSync(display_, False);
        std::this_thread::sleep_for(100ms);
        XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
        XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
        XSync(display_, False);
    }

    void Move(const wxPoint& to) {
        XTestFakeMotionEvent(display_, -1, to.x, to.y, CurrentTime);
        XSync(display_, False);
        std::this_thread::sleep_for(150ms);
    }

    void Key(KeySym keysym) {
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XSync(display_, False);
        std::this_thread::sleep_for(100ms);
    }

    // Right-clicks the tray icon and waits for its menu; the menu's rectangle, empty if none.
    wxRect OpenTrayMenu() {
        wxRect icon;
        if (!WaitFor([&] { return !(icon = TrayIcon()).IsEmpty(); }, 5000ms)) return wxRect();
        Click(wxPoint(icon.x + icon.width / 2, icon.y + icon.height / 2), 3);
        wxRect menu;
        WaitFor([&] { return !(menu = OpenMenu()).IsEmpty(); }, 5000ms);
        std::this_thread::sleep_for(200ms);
        return menu;
    }

private:
    // The trayer panel, depth-first under window; its screen rectangle.
    static wxRect FindWindow(Display* display, Window window, int depth) {
        XClassHint hint{};
        if (XGetClassHint(display, window, &hint)) {
            const bool panel = hint.res_class && std::string(hint.res_class) == "trayer" &&
                               hint.res_name && std::string(hint.res_name) == "panel";
            if (hint.res_name) XFree(hint.res_name);
            if (hint.res_class) XFree(hint.res_class);
            XWindowAttributes a;
            if (panel && XGetWindowAttributes(display, window, &a) && a.map_state == IsViewable &&
                a.width >= 16) {
                int x = 0;
                int y = 0;
                Window child = 0;
                XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y,
                                      &child);
                return wxRect(x, y, a.width, a.height);
            }
        }
        if (depth > 3) return wxRect();
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        wxRect found;
        if (XQueryTree(display, window, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && found.IsEmpty(); ++i)
                found = FindWindow(display, children[i], depth + 1);
        }
        if (children) XFree(children);
        return found;
    }

    Display* display_;
};

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = zorbel::test::MissingDesktop();
        if (!missing.empty()) {
            const char* promised = getenv("ZORBEL_TEST_DESKTOP");
            if (promised && std::string(promised) == "1") FAIL() << missing;
            GTEST_SKIP() << missing << " (run under scripts/with-desktop.sh)";
        }
        CVelaPfcSystem::SetExeFolderOverride(exe_.Path());
        // Nothing listens on port 9: the advertisement fetch fails at once.
        std::ofstream(exe_.File("Zorbel.ini"))
            << "[VIEDO]\nViedoPath=" << exe_.File("cache")
            << "\n[HOSTS]\nWebSite=http://127.0.0.1:9\nWebServer=http://127.0.0.1:9"
               "\nContentServer=http://127.0.0.1:9\nVendorSiteName=vendor.example\n";
        const char* dataHome = getenv("XDG_DATA_HOME");
        savedDataHome_ = dataHome ? dataHome : "";
        setenv("XDG_DATA_HOME", data_.Path().c_str(), 1);
        std::string error;
        ASSERT_TRUE(zorbel::test::CreateCatalog(zorbel::files::CatalogPath(),
                                                zorbel::files::kCatalogKey, "", &error))
            << error;
        for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"})
            SkinDLL_LoadSkinResourceFromFolder(
                (std::string(ZORBEL_SOURCE_DIR "/res/skins/") + folder).c_str(), "7QOVANETHRIM");
        zorbel::test::ShownBoxes().clear();
        AppExiting = 0;
    }

    void TearDown() override {
        zorbel::skin::ResetForTests();
        if (savedDataHome_.empty())
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", savedDataHome_.c_str(), 1);
        CVelaPfcSystem::SetExeFolderOverride("");
        AppExiting = 0;
    }

    // Runs a new main window as the program does; steps runs inside the run once the window
    // is initialised (its deferred start-up held back). A run that steps does not end within
    // a minute is ended with -1. Returns the run's code.
    int RunMainWindow(const std::function<void(CPlimDlg*)>& steps) {
        dialog_ = new CPlimDlg;
        CPlimDlg* dialog = dialog_;
        bool started = false;
        dialog->Bind(wxEVT_INIT_DIALOG, [&, dialog](wxInitDialogEvent& event) {
            event.Skip();
            if (started) return;
            started = true;
            dialog->CallAfter([&, dialog] {
                const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
                // Real input goes where the window manager has put the window: on a loaded
                // machine that can take seconds after the run starts.
                PumpUntil([&] { return zorbel::test::IsMapped(zorbel::test::XWindowOf(dialog)); },
                          15s);
                PumpFor(200ms);
                steps(dialog);
            });
        });
        wxTimer watchdog;
        watchdog.Bind(wxEVT_TIMER, [dialog](wxTimerEvent&) { CMainWindowRun::End(dialog, -1); });
        watchdog.StartOnce(60000);
        const int code = CMainWindowRun::Run(dialog);
        watchdog.Stop();
        delete dialog;
        dialog_ = nullptr;
        return code;
    }

    static SkinRow StoredRow() {
        SkinRow row;
        CDbVelaLite db;
        if (!db.Open(zorbel::files::CatalogPath().c_str(), zorbel::files::kCatalogKey)) return row;
        CSqlStatement* statement = db.Prepare("SELECT * FROM T_Sys_Skins");
        while (statement && statement->NextRow())
            row =
                SkinRow{statement->ColumnInt(1), statement->ColumnInt(2), statement->ColumnInt(3)};
        delete statement;
        return row;
    }

    static wxPoint Centre(const wxRect& r) {
        return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
    }

    zorbel::test::TempDir exe_;
    zorbel::test::TempDir data_;
    std::string savedDataHome_;
    CPlimDlg* dialog_ = nullptr;
};

}  // namespace

TEST_F(DesktopTest, TrayMenuSettingsOpensTheDialogAndExitEndsTheProgram) {
    std::atomic<bool> settingsClosed{false};
    std::atomic<bool> menusOpened{true};
    bool settingsSeen = false;
    std::thread hands;
    std::atomic<bool> handsDone{false};
    Hands::IgnoreErrors ignoreErrors;
    // The settings dialog is modal: a timer looks for it (its loop runs timers) and cancels it.
    wxTimer watch;
    const int code = RunMainWindow([&](CPlimDlg* dialog) {
        ASSERT_TRUE(dialog->m_trayIcon.IsShown());
        watch.Bind(wxEVT_TIMER, [&, dialog](wxTimerEvent&) {
            if (handsDone && !menusOpened) CMainWindowRun::End(dialog, -2);
            for (wxWindow* window : wxTopLevelWindows) {
                auto* settings = dynamic_cast<CDlgSettings*>(window);
                if (settings && settings->IsModal() && !settingsClosed) {
                    settingsSeen = settings->IsShownOnScreen();
                    settingsClosed = true;
                    settings->EndModal(wxID_CANCEL);
                }
            }
        });
        watch.Start(100);
        hands = std::thread([&] {
            Hands user;
            Hands::s_display = user.Connection();
            struct Done {
                std::atomic<bool>& flag;
                ~Done() { flag = true; }
            } done{handsDone};
            if (!user.Ok()) return;
            // 设置 with the mouse: the first item, at the menu's top.
            wxRect menu = user.OpenTrayMenu();
            if (menu.IsEmpty()) {
                menusOpened = false;
                return;
            }
            user.Click(wxPoint(menu.x + menu.width / 2, menu.y + 16), 1);
            if (!user.WaitFor([&] { return settingsClosed.load(); }, 10000ms)) return;
            std::this_thread::sleep_for(300ms);
            // 退出, the last item, with the keys: the pointer is moved off the menu first, since
            // an item under it would be where the keys start from.
            menu = user.OpenTrayMenu();
            if (menu.IsEmpty()) {
                menusOpened = false;
                return;
            }
            user.Move(wxPoint(menu.x - 40, menu.y - 40));
            user.Key(XK_Up);
            user.Key(XK_Return);
        });
    });
    watch.Stop();
    if (hands.joinable()) hands.join();
    EXPECT_TRUE(menusOpened) << "no menu opened on a right click on the tray icon";
    EXPECT_TRUE(settingsSeen);
    EXPECT_EQ(code, 0) << "退出 ends the run";
    EXPECT_EQ(AppExiting.load(), 1);
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
}

TEST_F(DesktopTest, SkinPanelTakesClicksDragsAndKeysAndStoresThem) {
    SkinRow afterPreset;
    SkinRow afterDrag;
    SkinRow afterKey;
    wxRect panelRect;
    std::vector<wxRect> sliderRects;
    const int code = RunMainWindow([&](CPlimDlg* dialog) {
        wxWindow* button = dialog->GetDlgItem(zorbel::plim::kIdSkin);
        ASSERT_NE(button, nullptr);
        zorbel::test::MovePointer(Centre(button->GetScreenRect()));
        PumpFor(150ms);
        zorbel::test::ClickPointer();
        ASSERT_TRUE(PumpUntil(
            [&] {
                return dialog->m_pSkinDlg && dialog->m_pSkinDlg->IsShown() &&
                       zorbel::test::IsMapped(zorbel::test::XWindowOf(dialog->m_pSkinDlg));
            },
            15s));
        CDlgSkin* panel = dialog->m_pSkinDlg;
        PumpFor(300ms);
        panelRect = panel->GetScreenRect();
        for (int id : {CDlgSkin::kIdHue, CDlgSkin::kIdSaturation, CDlgSkin::kIdBrightness,
                       CDlgSkin::kIdTransparency}) {
            CSkinSlider* slider = panel->Slider(id);
            ASSERT_NE(slider, nullptr);
            sliderRects.push_back(slider->IsShownOnScreen() ? slider->GetScreenRect() : wxRect());
        }

        // The fifth preset colour, second row first column of the colour page.
        zorbel::test::MovePointer(panelRect.GetPosition() + wxPoint(22, 36 + 34 + 13));
        PumpFor(150ms);
        zorbel::test::ClickPointer();
        PumpUntil([&] { return StoredRow() == SkinRow{-180, -25, 0}; }, 3000ms);
        afterPreset = StoredRow();

        // A drag of the brightness thumb from the middle (0) to the right.
        const wxRect bright = panel->Slider(CDlgSkin::kIdBrightness)->GetScreenRect();
        zorbel::test::MovePointer(Centre(bright));
        PumpFor(150ms);
        zorbel::test::PressPointer(true);
        for (int dx = 5; dx <= 30; dx += 5) {
            zorbel::test::MovePointer(Centre(bright) + wxPoint(dx, 0));
            PumpFor(30ms);
        }
        zorbel::test::PressPointer(false);
        PumpUntil([&] { return StoredRow().brightness > 0; }, 3000ms);
        afterDrag = StoredRow();

        // The dragged slider has the focus: a key moves it one step back.
        zorbel::test::TypeKey(XK_Left);
        PumpUntil([&] { return StoredRow().brightness == afterDrag.brightness - 1; }, 3000ms);
        afterKey = StoredRow();
        CMainWindowRun::End(dialog, 5);
    });
    EXPECT_EQ(code, 5);
    EXPECT_EQ(afterPreset, (SkinRow{-180, -25, 0}));
    EXPECT_EQ(afterDrag.hue, -180);
    EXPECT_GT(afterDrag.brightness, 0);
    EXPECT_EQ(afterKey.brightness, afterDrag.brightness - 1);
    ASSERT_EQ(sliderRects.size(), 4u);
    for (const wxRect& r : sliderRects) {
        EXPECT_FALSE(r.IsEmpty()) << "every slider shows";
        EXPECT_TRUE(panelRect.Contains(r))
            << r.x << "," << r.y << " " << r.width << "x" << r.height << " lies outside the panel";
    }
}
