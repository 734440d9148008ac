// Copy-data messages between X clients: a receiver on a dialog of this process, the sender
// on a thread with its own X connection while the UI thread runs the event loop.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <wx/dialog.h>

#include "platform/x11/CopyDataReceiver.h"
#include "platform/x11/CopyDataSender.h"
#include "platform/x11/CopyDataText.h"
#include "platform/x11/InstanceActivator.h"
#include "platform/x11/InstanceMarker.h"
#include "platform/x11/X11Display.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::x11::CCopyDataReceiver;
using zorbel::x11::CCopyDataSender;
using zorbel::x11::CInstanceActivator;
using zorbel::x11::CInstanceMarker;
using zorbel::x11::CX11Display;
using Result = CCopyDataSender::Result;
using namespace std::chrono_literals;

namespace {

struct Message {
    unsigned long dwData;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Padded(const std::string& text, size_t length) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.resize(length, 0);
    return bytes;
}

// Sends from a second thread (a second X connection) while this thread handles events.
Result SendWhilePumping(unsigned long window, unsigned long dwData,
                        const std::vector<uint8_t>& bytes,
                        std::chrono::milliseconds timeout = 5000ms) {
    std::atomic<bool> done{false};
    Result result = Result::kFailed;
    std::thread sender([&] {
        result = CCopyDataSender::Send(window, dwData, bytes.data(), bytes.size(), timeout);
        done = true;
    });
    zorbel::test::PumpUntil([&] { return done.load(); }, timeout + 5000ms);
    sender.join();
    return result;
}

// A dialog with a receiver that records every message.
class CopyDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog_ = std::make_unique<wxDialog>(nullptr, wxID_ANY, "receiver");
        receiver_ = std::make_unique<CCopyDataReceiver>(
            dialog_.get(), [this](unsigned long dwData, const std::vector<uint8_t>& bytes) {
                received_.push_back({dwData, bytes});
            });
        ASSERT_TRUE(receiver_->IsListening());
        ASSERT_EQ(receiver_->XWindow(), CInstanceMarker::XWindowOf(dialog_.get()));
    }
    void TearDown() override {
        receiver_.reset();
        dialog_.reset();
    }

    std::unique_ptr<wxDialog> dialog_;
    std::unique_ptr<CCopyDataReceiver> receiver_;
    std::vector<Message> received_;
};

// A window of another client that never looks at its events.
class SilentWindow {
public:
    SilentWindow() {
        display_ = XOpenDisplay(DisplayString(CX11Display::Get()));
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
        XSync(display_, False);
    }
    ~SilentWindow() { XCloseDisplay(display_); }
    Window id() const { return window_; }
    void Destroy() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }

private:
    Display* display_;
    Window window_;
};

}  // namespace

TEST_F(CopyDataTest, UpdaterTextIsRecognisedByLength) {
    struct Case {
        std::string text;
        size_t cbData;
        bool quits;
    };
    const Case cases[] = {
        {"Tarnup is ok!", 13, true},   {"Tarnup is ok!", 14, true},  {"Tarnup is ok!", 12, false},
        {"Tarnup is ok!!", 14, false}, {"tarnup is ok!", 14, false},
    };
    for (const Case& c : cases) {
        received_.clear();
        const std::vector<uint8_t> bytes = Padded(c.text, c.cbData);
        ASSERT_EQ(SendWhilePumping(receiver_->XWindow(), 0, bytes), Result::kAcknowledged);
        ASSERT_EQ(received_.size(), 1u) << c.text << " / " << c.cbData;
        // Exactly cbData bytes arrive, no more, no fewer.
        EXPECT_EQ(received_[0].bytes, bytes);
        const std::string text = zorbel::CopyDataText(received_[0].bytes, c.cbData);
        EXPECT_EQ(zorbel::IsUpdaterQuitMessage(text), c.quits) << c.text << " / " << c.cbData;
    }
}

TEST_F(CopyDataTest, DwDataAndEveryByteArrive) {
    const unsigned long values[] = {0ul, 0x1234ul, 0xFFFFFFFFul, 0xFEEDFACE12345678ul};
    for (unsigned long dwData : values) {
        received_.clear();
        ASSERT_EQ(SendWhilePumping(receiver_->XWindow(), dwData, Padded("x", 2)),
                  Result::kAcknowledged);
        ASSERT_EQ(received_.size(), 1u);
        EXPECT_EQ(received_[0].dwData, dwData);
    }

    // No bytes at all, and a payload with every byte value several times over.
    received_.clear();
    ASSERT_EQ(SendWhilePumping(receiver_->XWindow(), 7, {}), Result::kAcknowledged);
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_TRUE(received_[0].bytes.empty());

    std::vector<uint8_t> large(1 << 20);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i * 7 + i / 256);
    received_.clear();
    ASSERT_EQ(SendWhilePumping(receiver_->XWindow(), 8, large), Result::kAcknowledged);
    ASSERT_EQ(received_.size(), 1u);
    EXPECT_TRUE(received_[0].bytes == large);
}

TEST_F(CopyDataTest, PayloadAboveTheServersLimitIsRefusedBeforeSending) {
    const size_t limit = CCopyDataSender::MaxLength(CX11Display::Get());
    ASSERT_GT(limit, 0u);
    std::vector<uint8_t> tooLarge(limit + 1, 'a');
    EXPECT_EQ(SendWhilePumping(receiver_->XWindow(), 1, tooLarge), Result::kTooLarge);
    EXPECT_TRUE(received_.empty());
    // The sender lives on; the receiver still works.
    EXPECT_EQ(SendWhilePumping(receiver_->XWindow(), 2, Padded("after", 6)), Result::kAcknowledged);
    EXPECT_EQ(received_.size(), 1u);
}

TEST_F(CopyDataTest, WindowThatNeverAnswersEndsInTimeOut) {
    SilentWindow silent;
    EXPECT_EQ(CCopyDataSender::Send(silent.id(), 0, "x", 1, 300ms), Result::kTimedOut);
}

TEST_F(CopyDataTest, MissingOrVanishingWindowIsReportedAsSuch) {
    EXPECT_EQ(CCopyDataSender::Send(0, 0, "x", 1, 300ms), Result::kNoWindow);
    SilentWindow gone;
    gone.Destroy();
    EXPECT_EQ(CCopyDataSender::Send(gone.id(), 0, "x", 1, 300ms), Result::kNoWindow);

    // The window goes while the sender waits: it need not wait out the whole time-out.
    SilentWindow vanishing;
    std::thread killer([&] {
        std::this_thread::sleep_for(100ms);
        vanishing.Destroy();
    });
    EXPECT_EQ(CCopyDataSender::Send(vanishing.id(), 0, "x", 1, 20000ms), Result::kNoWindow);
    killer.join();
}

TEST_F(CopyDataTest, NoDisplayIsReported) {
    EXPECT_EQ(CCopyDataSender::Send(receiver_->XWindow(), 0, "x", 1, 300ms, ":4711"),
              Result::kNoDisplay);
}

TEST_F(CopyDataTest, HandlerMayEndTheReceiver) {
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "closing");
    std::unique_ptr<CCopyDataReceiver> receiver;
    int handled = 0;
    receiver = std::make_unique<CCopyDataReceiver>(dialog,
                                                   [&](unsigned long, const std::vector<uint8_t>&) {
                                                       ++handled;
                                                       receiver.reset();
                                                       dialog->Destroy();
                                                   });
    const unsigned long xwindow = receiver->XWindow();
    EXPECT_EQ(SendWhilePumping(xwindow, 0, Padded("Tarnup is ok!", 14)), Result::kAcknowledged);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(receiver, nullptr);
    zorbel::test::PumpFor(100ms);
}

TEST_F(CopyDataTest, StaysSilentAfterTheReceiverIsGone) {
    receiver_.reset();
    EXPECT_EQ(SendWhilePumping(CInstanceMarker::XWindowOf(dialog_.get()), 0, Padded("x", 2), 300ms),
              Result::kTimedOut);
    EXPECT_TRUE(received_.empty());
}

TEST_F(CopyDataTest, MessagesReachOnlyTheAddressedWindow) {
    wxDialog other(nullptr, wxID_ANY, "other");
    std::vector<Message> otherReceived;
    CCopyDataReceiver otherReceiver(&other,
                                    [&](unsigned long dwData, const std::vector<uint8_t>& bytes) {
                                        otherReceived.push_back({dwData, bytes});
                                    });
    ASSERT_EQ(SendWhilePumping(otherReceiver.XWindow(), 5, Padded("b", 2)), Result::kAcknowledged);
    EXPECT_TRUE(received_.empty());
    ASSERT_EQ(otherReceived.size(), 1u);
    EXPECT_EQ(otherReceived[0].dwData, 5u);
}

TEST(CopyDataCoexistenceTest, ReceiverAndBringForwardRequestsShareOneWindow) {
    const std::string name = "zorbel_ipctest_both_" + std::to_string(getpid());
    for (bool receiverFirst : {true, false}) {
        wxDialog dialog(nullptr, wxID_ANY, "both");
        std::vector<Message> received;
        auto handler = [&](unsigned long dwData, const std::vector<uint8_t>& bytes) {
            received.push_back({dwData, bytes});
        };
        std::unique_ptr<CCopyDataReceiver> receiver;
        if (receiverFirst) receiver = std::make_unique<CCopyDataReceiver>(&dialog, handler);
        ASSERT_TRUE(CInstanceMarker::Set(&dialog, name));
        if (!receiverFirst) receiver = std::make_unique<CCopyDataReceiver>(&dialog, handler);

        const unsigned long xwindow = CInstanceMarker::Find(name);
        ASSERT_EQ(xwindow, receiver->XWindow());
        ASSERT_FALSE(dialog.IsShown());

        ASSERT_EQ(SendWhilePumping(xwindow, 3, Padded("Tarnup is ok!", 13)), Result::kAcknowledged);
        EXPECT_EQ(received.size(), 1u);
        // The copy-data message did not count as a request to come forward...
        zorbel::test::PumpFor(50ms);
        EXPECT_FALSE(dialog.IsShown());
        // ...and a request to come forward still works and is no copy-data message.
        ASSERT_TRUE(CInstanceActivator::Request(xwindow));
        EXPECT_TRUE(zorbel::test::PumpUntil([&] { return dialog.IsShown(); }));
        EXPECT_EQ(received.size(), 1u);
        dialog.Hide();
        receiver.reset();
    }
}
