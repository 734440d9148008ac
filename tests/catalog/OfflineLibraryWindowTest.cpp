// The offline library on a running event loop: a queued class through network cuts, and the
// library window driven with real pointer input.
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "offline/ClassQueue.h"
#include "offline/DlgOfflineLibrary.h"
#include "offline/OfflineQueueRunner.h"
#include "offline/OfflineShelf.h"
#include "platform/MessageBoxStyle.h"
#include "tests/catalog/DownloadFixture.h"
#include "tests/support/PointerInput.h"
#include "tests/support/WindowTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class OfflineLibraryWindowTest : public zorbel::test::DownloadFixture {
protected:
    void TearDown() override {
        COfflineQueueRunner::Get().Cancel();
        StopDownloadWorkers();
        zorbel::test::PumpFor(50ms);
        DownloadFixture::TearDown();
    }

    // The server gone (the network cut) for a moment, then back on the same port.
    void CutTheNetwork() {
        const int port = m_server->Port();
        m_server->Stop();
        zorbel::test::PumpFor(1500ms);
        zorbel::demo::DemoServerOptions options;
        options.contentDir = m_content;
        options.wwwDir = m_root.File("www");
        options.port = port;
        m_server = std::make_unique<zorbel::demo::DemoServer>(options);
        const auto start = m_server->Start();
        ASSERT_TRUE(start.ok()) << start.error;
    }
};

TEST_F(OfflineLibraryWindowTest, AQueuedClassCompletesThroughTwoNetworkCuts) {
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        names.push_back("歌" + std::to_string(i));
        AddTitle(names.back(), 60000 + 1000 * i);
    }
    // One title already stored is not fetched again.
    std::ofstream(CachePath("歌0.swf"), std::ios::binary) << Pattern(60000);
    COfflineQueueRunner& runner = COfflineQueueRunner::Get();
    // Slow enough (300 KB/s) for the cuts to land in the middle of the class.
    runner.Configure(m_cache, m_base + "/_fault/trickle/30000");
    ASSERT_TRUE(runner.StartClass("儿歌", names));
    EXPECT_EQ(runner.Snapshot().total, 29u);
    EXPECT_TRUE(fs::exists(COfflineQueueRunner::QueuePath(m_cache)));

    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return runner.Snapshot().done >= 8; }, 120s));
    // Opening the library window on the way configures the runner again: the queue goes on.
    runner.Configure(m_cache, m_base + "/_fault/trickle/30000");
    EXPECT_EQ(runner.Snapshot().total, 29u);
    CutTheNetwork();
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return runner.Snapshot().done >= 18; }, 120s));
    CutTheNetwork();
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return !runner.Snapshot().running; }, 180s));

    EXPECT_GT(runner.Snapshot().failures, 0u);
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(ReadFile(CachePath(names[i] + ".swf")) == Pattern(60000 + 1000 * i)) << i;
    const auto contents = zorbel::offline::OfflineShelf(m_cache).Scan();
    EXPECT_EQ(contents.titles.size(), 30u);
    EXPECT_TRUE(contents.partials.empty());
    EXPECT_FALSE(fs::exists(COfflineQueueRunner::QueuePath(m_cache)));
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(OfflineLibraryWindowTest, AQueueLeftByTheLastRunGoesOnAtTheNextStart) {
    AddTitle("故事1", 40000);
    AddTitle("故事2", 50000);
    {
        // What a run that ended half way through a class leaves behind.
        zorbel::offline::ClassQueue left(COfflineQueueRunner::QueuePath(m_cache));
        left.Start("故事", {"故事0", "故事1", "故事2"});
        left.PopFront();
        ASSERT_TRUE(left.Save());
    }
    COfflineQueueRunner& runner = COfflineQueueRunner::Get();
    runner.Configure(m_cache, m_base);
    runner.ResumeSaved();
    EXPECT_EQ(runner.Snapshot().done, 1u);
    EXPECT_EQ(runner.Snapshot().total, 3u);
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return !runner.Snapshot().running; }, 60s));
    EXPECT_TRUE(ReadFile(CachePath("故事1.swf")) == Pattern(40000));
    EXPECT_TRUE(ReadFile(CachePath("故事2.swf")) == Pattern(50000));
    EXPECT_FALSE(fs::exists(COfflineQueueRunner::QueuePath(m_cache)));
}

TEST_F(OfflineLibraryWindowTest, TheWindowShowsTheFolderAndDeletesWhatIsPicked) {
    std::ofstream(CachePath("小兔子.swf"), std::ios::binary) << std::string(3 << 20, 'a');
    std::ofstream(CachePath("大象.swf"), std::ios::binary) << std::string(1 << 20, 'b');
    std::ofstream(CachePath("狮子.tmp"), std::ios::binary) << std::string(1000, 'c');
    zorbel::test::InstallRecordingMessageBoxHook();
    zorbel::test::ShownBoxes().clear();
    int viewChanges = 0;
    auto* dialog = new CDlgOfflineLibrary(nullptr, m_cache, {{"儿歌", {"小兔子", "新歌"}}},
                                          [&] { ++viewChanges; });
    dialog->Show();
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return dialog->IsShownOnScreen(); }));
    zorbel::test::PumpFor(300ms);

    wxListCtrl* list = dialog->List();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0).utf8_string(), "大象");
    EXPECT_EQ(list->GetItemText(0, 1).utf8_string(), "1.0 MB");
    EXPECT_EQ(list->GetItemText(1).utf8_string(), "小兔子");
    EXPECT_EQ(list->GetItemText(1, 1).utf8_string(), "3.0 MB");
    EXPECT_EQ(list->GetItemText(2).utf8_string(), "狮子");
    EXPECT_THAT(dialog->Summary()->GetLabel().utf8_string(),
                ::testing::HasSubstr("一共存了 2 个节目，占用 4.0 MB"));
    EXPECT_THAT(dialog->Summary()->GetLabel().utf8_string(),
                ::testing::HasSubstr("另有 1 个没下载完"));

    // A click on the first row, then on the delete button; the question is answered yes.
    wxRect row;
    ASSERT_TRUE(list->GetItemRect(0, row));
    zorbel::test::MovePointer(
        list->ClientToScreen(row.GetPosition() + wxPoint(20, row.height / 2)));
    zorbel::test::ClickPointer();
    ASSERT_TRUE(
        zorbel::test::PumpUntil([&] { return list->GetItemState(0, wxLIST_STATE_SELECTED) != 0; }));
    auto* remove = dynamic_cast<wxButton*>(dialog->FindWindow(CDlgOfflineLibrary::kIdDelete));
    ASSERT_NE(remove, nullptr);
    zorbel::test::SetNextBoxAnswer(zorbel::kIdYes);
    zorbel::test::MovePointer(remove->GetScreenRect().GetPosition() + wxPoint(10, 8));
    zorbel::test::ClickPointer();
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return !fs::exists(CachePath("大象.swf")); }));
    zorbel::test::PumpFor(100ms);
    ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    EXPECT_THAT(zorbel::test::ShownBoxes()[0].text, ::testing::HasSubstr("删掉"));
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_TRUE(fs::exists(CachePath("小兔子.swf")));
    EXPECT_EQ(viewChanges, 1);
    dialog->Destroy();
    zorbel::test::PumpFor(50ms);
}

}  // namespace
