// The claim that settles two starts at the same moment, and the rule built from claim and
// marker. "Another process" is a second X connection of this test.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include <wx/dialog.h>

#include "platform/x11/InstanceClaim.h"
#include "platform/x11/InstanceMarker.h"
#include "platform/x11/SingleInstance.h"
#include "platform/x11/X11Display.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::x11::CInstanceClaim;
using zorbel::x11::CInstanceMarker;
using zorbel::x11::CSingleInstance;

namespace {

std::string UniqueName(const char* what) {
    return std::string("zorbel_claimtest_") + what + "_" + std::to_string(getpid());
}

// Another client on the same display that holds the claim named `name`; closing its
// connection ends the claim, as a process's end does.
class OtherClient {
public:
    explicit OtherClient(const std::string& name) : name_(name) {
        display_ = XOpenDisplay(nullptr);
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
        XSetSelectionOwner(display_, XInternAtom(display_, name.c_str(), False), window_,
                           CurrentTime);
        XSync(display_, False);
    }
    ~OtherClient() { Close(); }
    bool ok() const { return display_ != nullptr; }
    // Puts the instance marker on its window, as a winner does once its window exists.
    void Mark() {
        long value = 2011;
        XChangeProperty(display_, window_, XInternAtom(display_, name_.c_str(), False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<unsigned char*>(&value), 1);
        XSync(display_, False);
    }
    void Close() {
        if (display_ != nullptr) XCloseDisplay(display_);
        display_ = nullptr;
    }
    Window window() const { return window_; }

private:
    std::string name_;
    Display* display_ = nullptr;
    Window window_ = 0;
};

}  // namespace

TEST(InstanceClaimTest, FirstTakerWinsAndKeepsTheClaim) {
    const std::string name = UniqueName("first");
    EXPECT_FALSE(CInstanceClaim::HeldByOther(name));
    EXPECT_EQ(CInstanceClaim::Take(name), CInstanceClaim::Result::kWon);
    EXPECT_EQ(CInstanceClaim::Take(name), CInstanceClaim::Result::kWon);
    EXPECT_FALSE(CInstanceClaim::HeldByOther(name));

    // A later process cannot take it away.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    Atom selection = XInternAtom(other, name.c_str(), False);
    Window owner = XGetSelectionOwner(other, selection);
    EXPECT_NE(owner, static_cast<Window>(None));
    XCloseDisplay(other);
}

TEST(InstanceClaimTest, ClaimHeldByAnotherClientIsRefusedUntilItEnds) {
    const std::string name = UniqueName("held");
    OtherClient other(name);
    ASSERT_TRUE(other.ok());
    EXPECT_TRUE(CInstanceClaim::HeldByOther(name));
    EXPECT_EQ(CInstanceClaim::Take(name), CInstanceClaim::Result::kHeld);

    other.Close();
    EXPECT_EQ(CInstanceClaim::Take(name), CInstanceClaim::Result::kWon);
}

TEST(SingleInstanceTest, NobodyElseMeansThisProcessIsTheInstance) {
    EXPECT_FALSE(CSingleInstance::AnotherInstanceRuns(UniqueName("alone")));
}

TEST(SingleInstanceTest, MarkedWindowOfRunningInstanceIsFoundAtOnce) {
    const std::string name = UniqueName("running");
    OtherClient other(name);
    ASSERT_TRUE(other.ok());
    other.Mark();
    EXPECT_TRUE(CSingleInstance::AnotherInstanceRuns(name, std::chrono::milliseconds(0)));
}

TEST(SingleInstanceTest, LoserWaitsForTheWinnersWindow) {
    const std::string name = UniqueName("winner");
    OtherClient other(name);
    ASSERT_TRUE(other.ok());
    // The winner's window appears while the loser waits.
    std::thread winner([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        other.Mark();
    });
    EXPECT_TRUE(CSingleInstance::AnotherInstanceRuns(name, std::chrono::seconds(20)));
    winner.join();
    EXPECT_EQ(CInstanceMarker::Find(name), other.window());
}

TEST(SingleInstanceTest, WinnerThatEndsWithoutWindowLeavesTheClaimToTheLoser) {
    const std::string name = UniqueName("lapsed");
    OtherClient other(name);
    ASSERT_TRUE(other.ok());
    std::thread ending([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        other.Close();
    });
    EXPECT_FALSE(CSingleInstance::AnotherInstanceRuns(name, std::chrono::seconds(20)));
    ending.join();
    EXPECT_EQ(CInstanceClaim::Take(name), CInstanceClaim::Result::kWon);
}

TEST(SingleInstanceTest, ClaimHolderWithoutWindowStillCountsAfterTheWait) {
    const std::string name = UniqueName("silent");
    OtherClient other(name);
    ASSERT_TRUE(other.ok());
    EXPECT_TRUE(CSingleInstance::AnotherInstanceRuns(name, std::chrono::milliseconds(100)));
}
