#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "catalog/WindowDownloadUi.h"
#include "tests/catalog/DownloadFixture.h"
#include "tests/support/WindowTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/thread.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using ::testing::ElementsAre;
using namespace std::chrono_literals;

namespace {

struct SeenText {
    std::string text;
    bool onUiThread;
    int busy;
    std::string titlePath;
};

// A frame holding what the worker talks to: a panel with the status edit and the progress bar.
class WindowDownloadTest : public zorbel::test::DownloadFixture {
protected:
    void SetUp() override {
        DownloadFixture::SetUp();
        m_frame = new wxFrame(nullptr, wxID_ANY, "download");
        m_panel = new wxPanel(m_frame);
        m_edit = new wxTextCtrl(m_panel, CWindowDownloadUi::kStatusEditId, "", wxPoint(0, 0),
                                wxSize(12, 24));
        m_edit->Hide();
        m_edit->Disable();
        m_gauge = new wxGauge(m_panel, CWindowDownloadUi::kProgressBarId, 100, wxPoint(20, 20),
                              wxSize(116, 12));
        m_gauge->Hide();
        m_frame->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            m_seen.push_back({event.GetString().utf8_string(), wxIsMainThread() != 0,
                              DownloadBusy.load(), GetCurrentTitlePath()});
        });
        m_frame->Show();
    }

    void TearDown() override {
        if (m_frame) m_frame->Destroy();
        StopDownloadWorkers();
        zorbel::test::PumpFor(50ms);
        DownloadFixture::TearDown();
    }

    // Starts as item activation does: values set, progress bar shown, worker started.
    void Start(const std::string& name, const std::string& prefix = "") {
        PrepareTitle(name, prefix);
        m_gauge->Show();
        StartDownloadWorker(m_panel, Options());
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const SeenText& seen : m_seen) texts.push_back(seen.text);
        return texts;
    }

    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    wxTextCtrl* m_edit = nullptr;
    wxGauge* m_gauge = nullptr;
    std::vector<SeenText> m_seen;
};

TEST_F(WindowDownloadTest, ADownloadEndsWithOneHundredPercentOnTheWindowThread) {
    const std::string bytes = AddTitle("song", 200000);
    // Slow enough for the event loop to show positions between the first and the last byte.
    Start("song", "/_fault/trickle/40000");
    int maxGauge = 0;
    ASSERT_TRUE(zorbel::test::PumpUntil(
        [&] {
            maxGauge = std::max(maxGauge, m_gauge->GetValue());
            return DownloadWorkerCount() == 0;
        },
        60s));

    ASSERT_THAT(Texts(), ElementsAre("0%", "100%"));
    for (const SeenText& seen : m_seen) EXPECT_TRUE(seen.onUiThread);
    // The play step runs while the download still counts as running, with the final path.
    EXPECT_EQ(m_seen[1].busy, 1);
    EXPECT_EQ(m_seen[1].titlePath, CachePath("song.swf"));
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_EQ(ReadFile(CachePath("song.swf")), bytes);
    EXPECT_EQ(m_gauge->GetRange(), 200000);
    EXPECT_GT(maxGauge, 0);
    EXPECT_FALSE(m_gauge->IsShown());
    EXPECT_EQ(m_gauge->GetValue(), 0);
}

TEST_F(WindowDownloadTest, TheRequestGoesOutBeforeTheWindowHasShownTheFirstText) {
    AddTitle("early", 20000);
    Start("early");
    // The window's loop does not run here: a worker that waited for its "0%" to be shown
    // would never get as far as asking the server.
    bool asked = false;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!asked && std::chrono::steady_clock::now() < end) {
        for (const std::string& line : m_server->RequestLogLines())
            asked = asked || line.find("/early.swf") != std::string::npos;
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(asked);
    EXPECT_TRUE(m_seen.empty());
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return DownloadWorkerCount() == 0; }, 60s));
    EXPECT_THAT(Texts(), ElementsAre("0%", "100%"));
    EXPECT_EQ(ReadFile(CachePath("early.swf")), Pattern(20000));
}

TEST_F(WindowDownloadTest, AnEmptyAnswerGivesTheSubstituteWithoutGaugeTrouble) {
    Start("empty", "/_fault/size/0");
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return DownloadWorkerCount() == 0; }, 60s));
    EXPECT_THAT(Texts(), ElementsAre("0%", "100%"));
    EXPECT_EQ(ReadFile(CachePath("empty.swf")), m_substituteBytes);
    EXPECT_FALSE(m_gauge->IsShown());
}

TEST_F(WindowDownloadTest, AFailedDownloadHidesTheBarAndNeverSaysDone) {
    AddTitle("story", 20000);
    Start("story", "/_fault/short/9000");
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return DownloadWorkerCount() == 0; }, 60s));
    zorbel::test::PumpFor(20ms);
    EXPECT_THAT(Texts(), ElementsAre("0%"));
    EXPECT_FALSE(m_gauge->IsShown());
    EXPECT_EQ(m_gauge->GetValue(), 0);
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(WindowDownloadTest, LengthsBeyondTheGaugeRangeAreScaled) {
    CWindowDownloadUi ui(m_panel);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ui.SetProgressRange(5000000000ull);
        ui.SetProgressPos(4000000000ull);
        ui.ShowProgress(true);
        ui.SetStatusText("probe");
        done = true;
    });
    const bool finished = zorbel::test::PumpUntil([&] { return done.load(); }, 60s);
    worker.join();
    ASSERT_TRUE(finished);
    zorbel::test::PumpFor(20ms);
    EXPECT_GT(m_gauge->GetRange(), 0);
    EXPECT_NEAR(static_cast<double>(m_gauge->GetValue()) / m_gauge->GetRange(), 0.8, 0.001);
    EXPECT_TRUE(m_gauge->IsShown());
    EXPECT_THAT(Texts(), ElementsAre("probe"));
}

TEST_F(WindowDownloadTest, QuittingDuringADownloadNeitherHangsNorLeavesFiles) {
    AddTitle("slow", 1 << 20);
    Start("slow", "/_fault/trickle/2000");
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return m_gauge->GetValue() > 0; }, 60s));

    // The exit path: flag, window gone, then the workers joined without the loop running.
    AppExiting = 1;
    m_frame->Destroy();
    m_frame = nullptr;
    StopDownloadWorkers();

    EXPECT_EQ(DownloadWorkerCount(), 0u);
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    zorbel::test::PumpFor(50ms);
}

TEST_F(WindowDownloadTest, AWindowDestroyedWhileTheWorkerWaitsReleasesIt) {
    const std::string bytes = AddTitle("game", 30000);
    Start("game");
    // No events are handled from here on: the worker waits for its "0%" until the panel goes.
    std::this_thread::sleep_for(100ms);
    m_panel->Destroy();
    m_panel = nullptr;
    const auto limit = std::chrono::steady_clock::now() + 60s;
    while (DownloadWorkerCount() != 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(DownloadWorkerCount(), 0u);
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_EQ(ReadFile(CachePath("game.swf")), bytes);
    zorbel::test::PumpFor(50ms);
    EXPECT_TRUE(m_seen.empty());
}

TEST_F(WindowDownloadTest, SelectionsAfterTheStartDoNotRedirectTheDownload) {
    const std::string bytes = AddTitle("first", 60000);
    AddTitle("other", 40000);
    const std::string cachedBytes = "cached title " + std::string(200, 'C');
    std::ofstream(CachePath("cached.swf"), std::ios::binary) << cachedBytes;
    Start("first", "/_fault/trickle/20000");
    // Before the loop runs again (the worker cannot have shown "0%" yet), a cache hit points
    // CurrentTitlePath elsewhere and a later selection leaves another address behind.
    PrepareTitle("other");
    SetCurrentTitlePath(CachePath("cached.swf"));
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return DownloadWorkerCount() == 0; }, 60s));

    EXPECT_TRUE(ReadFile(CachePath("first.swf")) == bytes);
    EXPECT_EQ(ReadFile(CachePath("cached.swf")), cachedBytes);
    EXPECT_FALSE(std::filesystem::exists(CachePath("other.swf")));
    ASSERT_THAT(Texts(), ElementsAre("0%", "100%"));
    EXPECT_EQ(m_seen[1].titlePath, CachePath("first.swf"));
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(WindowDownloadTest, ASecondStartWhileOneRunsStartsNothing) {
    const std::string bytes = AddTitle("first", 30000);
    AddTitle("second", 30000);
    PrepareTitle("first", "/_fault/trickle/20000");
    ASSERT_TRUE(StartDownloadWorker(m_panel, Options()));
    // The claim is made before the worker's thread exists, so no gap lets a second one in.
    EXPECT_EQ(DownloadBusy.load(), 1);
    PrepareTitle("second");
    EXPECT_FALSE(StartDownloadWorker(m_panel, Options()));
    EXPECT_EQ(DownloadWorkerCount(), 1u);
    EXPECT_EQ(DownloadBusy.load(), 1);
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return DownloadWorkerCount() == 0; }, 60s));

    EXPECT_TRUE(ReadFile(CachePath("first.swf")) == bytes);
    EXPECT_FALSE(std::filesystem::exists(CachePath("second.swf")));
    EXPECT_THAT(Texts(), ElementsAre("0%", "100%"));
    EXPECT_EQ(DownloadBusy.load(), 0);

    // Once the first has ended (leaving its own path as the current title), a start works
    // again.
    PrepareTitle("second");
    EXPECT_TRUE(StartDownloadWorker(m_panel, Options()));
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return DownloadWorkerCount() == 0; }, 60s));
    EXPECT_TRUE(ReadFile(CachePath("second.swf")) == Pattern(30000));
    EXPECT_EQ(DownloadBusy.load(), 0);
}

}  // namespace
