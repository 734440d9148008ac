// The real program started twice on one display. The test process watches the windows and,
// where a case needs a first instance whose window it can hide or minimise itself, plays
// that first instance with a main window of its own named after the program.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include <wx/app.h>

#include "mainwnd/PlimDlg.h"
#include "platform/x11/InstanceClaim.h"
#include "platform/x11/InstanceMarker.h"
#include "platform/x11/X11Display.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::test::ChildProcess;
using zorbel::test::ScratchFolder;
using zorbel::x11::CInstanceMarker;
using zorbel::x11::CX11Display;
using namespace std::chrono_literals;

namespace {

// Guards against a hang only; a healthy run takes a fraction of these.
constexpr auto kExitGuard = 30s;
constexpr auto kWindowGuard = 30s;

constexpr const char* kProgramName = "zorbel";

int MapState(unsigned long window) {
    XWindowAttributes attributes{};
    CX11Display::PushErrorTrap();
    Status ok = XGetWindowAttributes(CX11Display::Get(), window, &attributes);
    CX11Display::PopErrorTrap();
    return ok ? attributes.map_state : -1;
}

// The window the window manager reports as active; 0 when none.
Window ActiveWindow() {
    Display* display = CX11Display::Get();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, CX11Display::Root(),
                       XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1, False, XA_WINDOW,
                       &type, &format, &count, &after, &data);
    Window active = count == 1 ? reinterpret_cast<Window*>(data)[0] : 0;
    if (data != nullptr) XFree(data);
    return active;
}

class SecondStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(zorbel::test::ProgramPath().c_str(), X_OK), 0)
            << zorbel::test::ProgramPath();
        // A left-over instance of an earlier run would answer in place of ours.
        ASSERT_EQ(CInstanceMarker::Find(kProgramName), 0u);
        wxTheApp->SetAppName(kProgramName);
    }

    void TearDown() override {
        wxTheApp->SetAppName(savedName_);
        // The instance rule must see no window of this case in the next one.
        zorbel::test::PumpUntil([] { return CInstanceMarker::Find(kProgramName) == 0; }, 10s);
    }

    // Environment of a start whose data folder is dataHome.
    static std::map<std::string, std::string> EnvFor(const ScratchFolder& dataHome,
                                                     const ScratchFolder& configHome) {
        return {{"XDG_DATA_HOME", dataHome.path()}, {"XDG_CONFIG_HOME", configHome.path()}};
    }

    static bool WithCatalog(const ScratchFolder& dataHome) {
        zorbel::catalogbuild::CatalogSeed seed;
        seed.classes.push_back({1, 1, "经典儿歌"});
        seed.titles.push_back({101, 1, "小星星", 0});
        return zorbel::test::WriteCatalog(dataHome.path(), seed);
    }

    // The marked window of the program, once it is there.
    static unsigned long WaitForInstanceWindow() {
        unsigned long window = 0;
        zorbel::test::PumpUntil([&] { return (window = CInstanceMarker::Find(kProgramName)) != 0; },
                                kWindowGuard);
        return window;
    }

    // Starts the program a second time with an empty data folder and expects it to end at
    // once with status 0 without looking at its data folder.
    void ExpectSecondStartEndsQuietly() {
        ScratchFolder dataHome;
        ScratchFolder configHome;
        ChildProcess second;
        auto env = EnvFor(dataHome, configHome);
        // The program must choose X11 itself: there is no Wayland display here.
        env["GDK_BACKEND"] = "wayland";
        ASSERT_TRUE(second.Start(zorbel::test::ProgramPath(), env));
        int status = -1;
        ASSERT_TRUE(second.WaitForExit(kExitGuard, &status)) << "second start did not end";
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(dataHome.IsEmpty()) << "the second start touched its data folder";
    }

    wxString savedName_ = wxTheApp->GetAppName();
};

}  // namespace

TEST_F(SecondStartTest, SecondStartEndsAndShowsTheRunningProgramsWindowAgain) {
    ScratchFolder dataHome;
    ScratchFolder configHome;
    ASSERT_TRUE(WithCatalog(dataHome));
    ChildProcess first;
    ASSERT_TRUE(first.Start(zorbel::test::ProgramPath(), EnvFor(dataHome, configHome)));
    const unsigned long window = WaitForInstanceWindow();
    ASSERT_NE(window, 0u) << "the first start never showed its main window";
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return MapState(window) == IsViewable; }));

    // Hidden by another program behind the first one's back.
    XUnmapWindow(CX11Display::Get(), window);
    XSync(CX11Display::Get(), False);
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return MapState(window) == IsUnmapped; }));

    ExpectSecondStartEndsQuietly();

    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return MapState(window) == IsViewable; }))
        << "the first instance's window was not shown again";
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(CInstanceMarker::Find(kProgramName), window);
}

TEST_F(SecondStartTest, HiddenMainWindowIsShownAgain) {
    CPlimDlg first;
    first.Show();
    ASSERT_NE(CInstanceMarker::Find(kProgramName), 0u);
    first.Hide();

    ExpectSecondStartEndsQuietly();

    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return first.IsShown(); }));
    first.Hide();
}

TEST_F(SecondStartTest, MinimisedMainWindowIsRestored) {
    // Minimising needs a window manager; start one when the display has none.
    ChildProcess windowManager;
    Atom check = XInternAtom(CX11Display::Get(), "_NET_SUPPORTING_WM_CHECK", False);
    // The property outlives a manager that was killed; its window does not.
    auto hasWindowManager = [&] {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(CX11Display::Get(), CX11Display::Root(), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data);
        Window checkWindow = count == 1 ? reinterpret_cast<Window*>(data)[0] : None;
        if (data != nullptr) XFree(data);
        return checkWindow != None && MapState(checkWindow) != -1;
    };
    if (!hasWindowManager()) {
        if (access("/usr/bin/openbox", X_OK) != 0) GTEST_SKIP() << "no window manager";
        ASSERT_TRUE(windowManager.Start("/usr/bin/openbox", {}));
        ASSERT_TRUE(zorbel::test::PumpUntil(hasWindowManager, kWindowGuard));
    }

    {
        CPlimDlg first;
        first.Show();
        ASSERT_TRUE(zorbel::test::PumpUntil([&] { return first.IsShown(); }));
        first.Iconize(true);
        ASSERT_TRUE(zorbel::test::PumpUntil([&] { return first.IsIconized(); }))
            << "the window manager did not minimise the window";

        ExpectSecondStartEndsQuietly();

        EXPECT_TRUE(zorbel::test::PumpUntil([&] { return !first.IsIconized(); }));
        EXPECT_TRUE(first.IsShown());
        // And it is the active window again.
        const Window xwindow = CInstanceMarker::XWindowOf(&first);
        EXPECT_TRUE(zorbel::test::PumpUntil([&] { return ActiveWindow() == xwindow; }));
        first.Hide();
    }
    windowManager.Terminate();
}

TEST_F(SecondStartTest, UpdatersQuitMessageEndsTheProgramWithStatusZero) {
    ScratchFolder dataHome;
    ScratchFolder configHome;
    ASSERT_TRUE(WithCatalog(dataHome));
    ChildProcess program;
    ASSERT_TRUE(program.Start(zorbel::test::ProgramPath(), EnvFor(dataHome, configHome)));
    ASSERT_NE(WaitForInstanceWindow(), 0u);

    // The close box asks a question first (answered in-process by the frame tests); the
    // updater's message is the way out that asks nothing, so it can end a real process here.
    const std::string send = std::string(ZORBEL_BINARY_DIR) + "/bin/zorbel-send 'Tarnup is ok!'";
    EXPECT_EQ(std::system(send.c_str()), 0);

    int status = -1;
    ASSERT_TRUE(program.WaitForExit(kExitGuard, &status)) << "the program did not end";
    EXPECT_EQ(status, 0);
}

TEST_F(SecondStartTest, WindowOfAnotherProgramWithOtherMarkerValueIsNoInstance) {
    // Another program's top-level window with a property of the same name but another value.
    Display* display = CX11Display::Get();
    Window decoy = XCreateSimpleWindow(display, CX11Display::Root(), 0, 0, 80, 60, 0, 0, 0);
    long value = 2010;
    XChangeProperty(display, decoy, XInternAtom(display, kProgramName, False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&value), 1);
    XMapWindow(display, decoy);
    XSync(display, False);

    ScratchFolder dataHome;
    ScratchFolder configHome;
    ASSERT_TRUE(WithCatalog(dataHome));
    ChildProcess program;
    ASSERT_TRUE(program.Start(zorbel::test::ProgramPath(), EnvFor(dataHome, configHome)));
    const unsigned long window = WaitForInstanceWindow();
    EXPECT_NE(window, 0u) << "the program took the decoy for a running instance";
    EXPECT_NE(window, decoy);
    EXPECT_TRUE(program.Running());

    program.Kill();
    XDestroyWindow(display, decoy);
    XSync(display, False);
}

TEST_F(SecondStartTest, TwoStartsAtTheSameMomentLeaveOneInstance) {
    ScratchFolder dataA, configA, dataB, configB;
    ASSERT_TRUE(WithCatalog(dataA));
    ASSERT_TRUE(WithCatalog(dataB));
    ChildProcess a;
    ChildProcess b;
    ASSERT_TRUE(a.Start(zorbel::test::ProgramPath(), EnvFor(dataA, configA)));
    ASSERT_TRUE(b.Start(zorbel::test::ProgramPath(), EnvFor(dataB, configB)));

    // One of them ends by itself, with status 0; the other keeps its window.
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return !a.Running() || !b.Running(); }, kExitGuard))
        << "both starts kept running";
    ChildProcess& survivor = a.Running() ? a : b;
    ChildProcess& loser = a.Running() ? b : a;
    EXPECT_EQ(loser.ExitStatus(), 0);
    EXPECT_NE(WaitForInstanceWindow(), 0u);
    EXPECT_TRUE(survivor.Running());
}
