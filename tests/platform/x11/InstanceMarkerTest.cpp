// The instance marker on real X windows: setting it, finding it (also on hidden windows and
// past windows of other programs), and the request that brings a marked window forward.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <string>

#include <wx/dialog.h>

#include "platform/x11/InstanceActivator.h"
#include "platform/x11/InstanceMarker.h"
#include "platform/x11/X11Display.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::x11::CInstanceActivator;
using zorbel::x11::CInstanceMarker;
using zorbel::x11::CX11Display;

namespace {

// A name no other test or process uses, so windows of other runs cannot interfere.
std::string UniqueName(const char* what) {
    return std::string("zorbel_x11test_") + what + "_" + std::to_string(getpid());
}

// A plain X window of "another program", optionally carrying a marker-named property.
class ForeignWindow {
public:
    explicit ForeignWindow(Window parent = 0) {
        display_ = CX11Display::Get();
        // Left alone by a window manager: the tests build the frames they need themselves,
        // and a manager's own frame would add a level to every one of them.
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        window_ = XCreateWindow(display_, parent ? parent : DefaultRootWindow(display_), 0, 0, 50,
                                50, 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect, &attributes);
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~ForeignWindow() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }
    void SetProperty(const std::string& name, long value, Atom type = XA_CARDINAL) {
        Atom atom = XInternAtom(display_, name.c_str(), False);
        XChangeProperty(display_, window_, atom, type, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&value), 1);
        XSync(display_, False);
    }
    Window id() const { return window_; }

private:
    Display* display_;
    Window window_;
};

int MapState(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(CX11Display::Get(), window, &attributes);
    return attributes.map_state;
}

}  // namespace

TEST(InstanceMarkerTest, MarksWindowWithValue2011AndFindsItEvenWhenHidden) {
    const std::string name = UniqueName("mark");
    wxDialog dialog(nullptr, wxID_ANY, "marked");
    ASSERT_TRUE(CInstanceMarker::Set(&dialog, name));

    const unsigned long xwindow = CInstanceMarker::XWindowOf(&dialog);
    ASSERT_NE(xwindow, 0u);
    long value = 0;
    ASSERT_TRUE(CInstanceMarker::Read(xwindow, name, &value));
    EXPECT_EQ(value, 2011);
    // Never shown: a window hidden to the tray still is the instance.
    EXPECT_EQ(CInstanceMarker::Find(name), xwindow);

    dialog.Show();
    EXPECT_EQ(CInstanceMarker::Find(name), xwindow);
    dialog.Hide();
}

TEST(InstanceMarkerTest, NameNeverUsedMeansNoInstance) {
    EXPECT_EQ(CInstanceMarker::Find(UniqueName("never")), 0u);
    long value = 0;
    EXPECT_FALSE(CInstanceMarker::Read(CX11Display::Root(), UniqueName("never"), &value));
}

TEST(InstanceMarkerTest, ForeignWindowWithOtherValueIsNotTakenForInstance) {
    const std::string name = UniqueName("decoy");
    ForeignWindow decoy;
    decoy.SetProperty(name, 2012);
    EXPECT_EQ(CInstanceMarker::Find(name), 0u);

    // Once the real instance exists, the search passes the decoy and finds it.
    wxDialog dialog(nullptr, wxID_ANY, "real");
    ASSERT_TRUE(CInstanceMarker::Set(&dialog, name));
    EXPECT_EQ(CInstanceMarker::Find(name), CInstanceMarker::XWindowOf(&dialog));
}

TEST(InstanceMarkerTest, FindsMarkedWindowBelowAFrameButNotDeeperThanThreeLevels) {
    const std::string name = UniqueName("depth");
    // Root → frame → client, as under a reparenting window manager.
    ForeignWindow frame;
    ForeignWindow client(frame.id());
    client.SetProperty(name, 2011);
    EXPECT_EQ(CInstanceMarker::Find(name), client.id());

    const std::string deepName = UniqueName("deep");
    ForeignWindow level3(client.id());
    ForeignWindow level4(level3.id());
    level4.SetProperty(deepName, 2011);
    EXPECT_EQ(CInstanceMarker::Find(deepName), 0u);
    level3.SetProperty(deepName, 2011);
    EXPECT_EQ(CInstanceMarker::Find(deepName), level3.id());
}

TEST(InstanceMarkerTest, ReadOfVanishedWindowFailsQuietly) {
    const std::string name = UniqueName("gone");
    Window id = 0;
    {
        ForeignWindow window;
        window.SetProperty(name, 2011);
        id = window.id();
    }
    long value = 0;
    EXPECT_FALSE(CInstanceMarker::Read(id, name, &value));
    EXPECT_EQ(CInstanceMarker::Find(name), 0u);
    EXPECT_FALSE(CInstanceActivator::Request(id));
}

TEST(InstanceActivatorTest, RequestShowsHiddenMarkedWindow) {
    const std::string name = UniqueName("hidden");
    wxDialog dialog(nullptr, wxID_ANY, "hidden");
    dialog.Show();
    ASSERT_TRUE(CInstanceMarker::Set(&dialog, name));
    dialog.Hide();
    ASSERT_FALSE(dialog.IsShown());

    ASSERT_TRUE(CInstanceActivator::Request(CInstanceMarker::Find(name)));
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return dialog.IsShown(); }));
    dialog.Hide();
}

TEST(InstanceActivatorTest, RequestRemapsWindowWithdrawnFromOutside) {
    const std::string name = UniqueName("withdrawn");
    wxDialog dialog(nullptr, wxID_ANY, "withdrawn");
    dialog.Show();
    ASSERT_TRUE(CInstanceMarker::Set(&dialog, name));
    const Window xwindow = CInstanceMarker::XWindowOf(&dialog);
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return MapState(xwindow) == IsViewable; }));

    // Another program unmaps it; the toolkit still believes it shown.
    XUnmapWindow(CX11Display::Get(), xwindow);
    XSync(CX11Display::Get(), False);
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return MapState(xwindow) == IsUnmapped; }));

    ASSERT_TRUE(CInstanceActivator::Request(xwindow));
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return MapState(xwindow) == IsViewable; }));
    dialog.Hide();
}

TEST(InstanceActivatorTest, WindowDestroyedBeforeTheRequestArrivesIsLeftAlone) {
    const std::string name = UniqueName("destroyed");
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "destroyed");
    ASSERT_TRUE(CInstanceMarker::Set(dialog, name));
    const Window xwindow = CInstanceMarker::XWindowOf(dialog);
    ASSERT_TRUE(CInstanceActivator::Request(xwindow));
    delete dialog;  // the request is still queued
    zorbel::test::PumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(CInstanceMarker::Find(name), 0u);
}
