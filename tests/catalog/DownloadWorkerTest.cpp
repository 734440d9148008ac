#include "catalog/DownloadState.h"
#include "catalog/DownloadThreads.h"
#include "catalog/DownloadWorker.h"
#include "catalog/TitleDownload.h"
#include "tests/catalog/DownloadFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using zorbel::test::RecordingDownloadUi;
using Call = RecordingDownloadUi::Call;

namespace {

// The last visibility and position the worker left the progress bar in.
void ExpectProgressHiddenAndReset(const RecordingDownloadUi& ui) {
    int lastShow = -1;
    for (const Call& call : ui.Calls()) {
        if (call.kind == Call::Show) lastShow = static_cast<int>(call.value);
    }
    EXPECT_EQ(lastShow, 0);
    EXPECT_EQ(ui.LastPos(), 0u);
}

class DownloadWorkerTest : public zorbel::test::DownloadFixture {
protected:
    // Every failure ends the same way: nothing in the cache, no "100%", the flag cleared.
    void ExpectCleanFailure(const DownloadResult& result, const RecordingDownloadUi& ui) {
        EXPECT_EQ(result.outcome, DownloadOutcome::Failed) << result.detail;
        EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
        EXPECT_THAT(ui.Statuses(), ElementsAre("0%"));
        EXPECT_EQ(DownloadBusy.load(), 0);
        ExpectProgressHiddenAndReset(ui);
    }
};

TEST_F(DownloadWorkerTest, FullDownloadStoresTheBytesAndSignalsOnceAtTheEnd) {
    const std::string bytes = AddTitle("song", 300001);
    PrepareTitle("song");
    RecordingDownloadUi ui;
    int busyAtSignal = -1;
    std::string pathAtSignal;
    ui.onStatus = [&](const std::string& text) {
        if (text == "100%") {
            busyAtSignal = DownloadBusy.load();
            pathAtSignal = GetCurrentTitlePath();
        }
    };

    const DownloadResult result = RunWorker(ui);

    ASSERT_EQ(result.outcome, DownloadOutcome::Completed) << result.detail;
    EXPECT_EQ(ReadFile(CachePath("song.swf")), bytes);
    EXPECT_THAT(CacheFiles(), ElementsAre("song.swf"));
    EXPECT_THAT(ui.Statuses(), ElementsAre("0%", "100%"));
    EXPECT_EQ(ui.Calls().back().kind, Call::Status);
    EXPECT_EQ(busyAtSignal, 1);
    EXPECT_EQ(pathAtSignal, CachePath("song.swf"));
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_FALSE(result.substituted);

    // Range first, then one position per write of at most 512 bytes, climbing to the length.
    std::uint64_t range = 0, last = 0, maxPos = 0;
    int writes = 0;
    for (const Call& call : ui.Calls()) {
        if (call.kind == Call::Range) {
            EXPECT_EQ(writes, 0);
            range = call.value;
        } else if (call.kind == Call::Pos && call.value > 0) {
            EXPECT_GT(call.value, last);
            EXPECT_LE(call.value - last, CDownloadWorker::kChunkSize);
            last = call.value;
            maxPos = std::max(maxPos, call.value);
            ++writes;
        }
    }
    EXPECT_EQ(range, bytes.size());
    EXPECT_EQ(maxPos, bytes.size());
    EXPECT_GE(writes, static_cast<int>((bytes.size() + 511) / 512));
    ExpectProgressHiddenAndReset(ui);
}

TEST_F(DownloadWorkerTest, SubstitutionFollowsTheAnnouncedLength) {
    struct Case {
        std::size_t size;
        bool substituted;
    };
    for (const Case& c : {Case{5119, true}, Case{5120, false}, Case{0, true}, Case{1, true}}) {
        SCOPED_TRACE(c.size);
        fs::remove_all(m_cache);
        fs::create_directories(m_cache);
        PrepareTitle("tiny", "/_fault/size/" + std::to_string(c.size));
        RecordingDownloadUi ui;
        const DownloadResult result = RunWorker(ui);
        ASSERT_EQ(result.outcome, DownloadOutcome::Completed) << result.detail;
        EXPECT_EQ(result.reportedLength, static_cast<std::int64_t>(c.size));
        EXPECT_EQ(result.substituted, c.substituted);
        EXPECT_EQ(ReadFile(CachePath("tiny.swf")),
                  c.substituted ? m_substituteBytes : Pattern(c.size));
        EXPECT_THAT(CacheFiles(), ElementsAre("tiny.swf"));
        EXPECT_THAT(ui.Statuses(), ElementsAre("0%", "100%"));
        EXPECT_EQ(DownloadBusy.load(), 0);
    }
}

TEST_F(DownloadWorkerTest, AnswersThatAreNotTheWholeFileAreInternetErrors) {
    AddTitle("story", 20000);
    AddTitle("little", 100);
    struct Case {
        const char* prefix;
        const char* name;
        const char* why;
    };
    const Case cases[] = {
        {"/_fault/chunked", "story", "no length"},
        {"/_fault/short/7000", "story", "internet error"},
        {"/_fault/cut/7000", "story", "internet error"},
        {"", "missing", "status 404"},
        {"/_fault/status/500", "story", "status 500"},
        // An error page shorter than 5 KiB is not a title, so it is not substituted either.
        {"/_fault/status/404", "little", "status 404"},
        // Nothing but a whole answer is: no range was asked for.
        {"/_fault/status/206/size/9000", "story", "status 206"},
        {"/_fault/status/203/size/9000", "story", "status 203"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.prefix) + " " + c.name);
        PrepareTitle(c.name, c.prefix);
        RecordingDownloadUi ui;
        const DownloadResult result = RunWorker(ui);
        ExpectCleanFailure(result, ui);
        EXPECT_THAT(result.detail, HasSubstr(c.why));
    }

    // Nothing of the failed attempts is kept: the title downloads afresh.
    PrepareTitle("story");
    RecordingDownloadUi ui;
    EXPECT_EQ(RunWorker(ui).outcome, DownloadOutcome::Completed);
    EXPECT_EQ(ReadFile(CachePath("story.swf")), Pattern(20000));
}

TEST_F(DownloadWorkerTest, FileSystemErrorsEndLikeInternetErrors) {
    AddTitle("game", 9000);
    PrepareTitle("game");
    fs::remove_all(m_cache);
    RecordingDownloadUi ui;
    const DownloadResult result = RunWorker(ui);
    EXPECT_EQ(result.outcome, DownloadOutcome::Failed);
    EXPECT_THAT(result.detail, HasSubstr("cannot create"));
    EXPECT_THAT(ui.Statuses(), ElementsAre("0%"));
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_FALSE(fs::exists(m_cache));
    ExpectProgressHiddenAndReset(ui);

    // The final name taken by a folder: the rename fails and the temporary file goes.
    fs::create_directories(CachePath("game.swf"));
    RecordingDownloadUi second;
    const DownloadResult blocked = RunWorker(second);
    EXPECT_EQ(blocked.outcome, DownloadOutcome::Failed);
    EXPECT_THAT(blocked.detail, HasSubstr("rename"));
    EXPECT_THAT(CacheFiles(), ElementsAre("game.swf"));
    EXPECT_TRUE(fs::is_directory(CachePath("game.swf")));
    EXPECT_THAT(second.Statuses(), ElementsAre("0%"));
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(DownloadWorkerTest, ASubstituteCutShortByAFullDiskIsNeverStored) {
    // Files may grow to 4 KiB only: the 100-byte answer is written, the copy of the
    // 5363-byte substitute over it runs out of room half way, as on a full disk.
    std::ofstream(m_substitute, std::ios::binary | std::ios::trunc) << std::string(5363, 'S');
    AddTitle("little", 100);
    PrepareTitle("little");
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    RecordingDownloadUi ui;
    const DownloadResult result = RunWorker(ui);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    ExpectCleanFailure(result, ui);
    EXPECT_THAT(result.detail, HasSubstr("substitute"));
}

TEST_F(DownloadWorkerTest, LeftoverTemporaryFileIsOverwritten) {
    const std::string bytes = AddTitle("poem", 6000);
    std::ofstream(CachePath("poem.tmp"), std::ios::binary) << std::string(50000, 'x');
    PrepareTitle("poem");
    RecordingDownloadUi ui;
    ASSERT_EQ(RunWorker(ui).outcome, DownloadOutcome::Completed);
    EXPECT_EQ(ReadFile(CachePath("poem.swf")), bytes);
    EXPECT_THAT(CacheFiles(), ElementsAre("poem.swf"));
}

TEST_F(DownloadWorkerTest, OnlyTheFinalExtensionBecomesTmp) {
    m_cache = m_root.File("cache.swf.d");
    fs::create_directories(m_cache);
    const std::string bytes = AddTitle("a.swf.b", 8000);
    PrepareTitle("a.swf.b");
    // The temporary file exists once the range is set; look for it under its expected name.
    struct Probe : RecordingDownloadUi {
        std::string expected;
        bool seen = false;
        void SetProgressRange(std::uint64_t maximum) override {
            seen = fs::exists(expected);
            RecordingDownloadUi::SetProgressRange(maximum);
        }
    } probe;
    probe.expected = m_cache + "/a.swf.b.tmp";
    const DownloadResult result = RunWorker(probe);
    const bool tempBeside = probe.seen;
    ASSERT_EQ(result.outcome, DownloadOutcome::Completed) << result.detail;
    EXPECT_TRUE(tempBeside);
    EXPECT_EQ(ReadFile(m_cache + "/a.swf.b.swf"), bytes);
    EXPECT_THAT(CacheFiles(), ElementsAre("a.swf.b.swf"));
    EXPECT_FALSE(fs::exists(m_root.File("cache.tmp.d")));
}

TEST_F(DownloadWorkerTest, TitleNamesArriveAsTheyAre) {
    const std::vector<std::string> names = {"it's mine", "two  words here", "小兔子乖乖",
                                            "100% a#b?c&d=e+f"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string bytes = AddTitle(name, 7000);
        PrepareTitle(name);
        EXPECT_EQ(GetDownloadUrl().find(' '), std::string::npos);
        RecordingDownloadUi ui;
        const DownloadResult result = RunWorker(ui);
        ASSERT_EQ(result.outcome, DownloadOutcome::Completed) << result.detail;
        EXPECT_EQ(ReadFile(CachePath(name + ".swf")), bytes);
    }
}

TEST_F(DownloadWorkerTest, NamesThatLeaveTheCacheFolderAreRefused) {
    const std::vector<std::string> badNames = {"../escape", "sub/title", "..", "",
                                               std::string("nul\0x", 5)};
    for (const std::string& name : badNames)
        EXPECT_FALSE(TitleDownload::Prepare(m_cache, name, m_base).ok) << name;

    // A path handed to the worker directly is checked again: nothing is written anywhere.
    AddTitle("escape", 9000);
    const std::vector<std::string> badPaths = {m_cache + "/../escape.swf", m_cache + "/escape.tmp",
                                               m_cache + "/.swf", std::string()};
    for (const std::string& path : badPaths) {
        SCOPED_TRACE(path);
        SetDownloadUrl(m_base + "/vudevu/fla/escape.swf");
        SetCurrentTitlePath(path);
        RecordingDownloadUi ui;
        const DownloadResult result = RunWorker(ui);
        EXPECT_EQ(result.outcome, DownloadOutcome::Refused);
        EXPECT_EQ(DownloadBusy.load(), 0);
        EXPECT_THAT(ui.Statuses(), ElementsAre("0%"));
        ExpectProgressHiddenAndReset(ui);
    }
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    EXPECT_FALSE(fs::exists(m_root.File("escape.swf")));
    EXPECT_FALSE(fs::exists(m_root.File("escape.tmp")));
}

TEST_F(DownloadWorkerTest, QuittingDuringASlowTransferAbandonsIt) {
    AddTitle("slow", 1 << 20);
    PrepareTitle("slow", "/_fault/trickle/2000");
    RecordingDownloadUi ui;
    auto done = std::async(std::launch::async, [&] { return RunWorker(ui); });
    ASSERT_TRUE(ui.WaitForPos(4000, std::chrono::seconds(60)));
    AppExiting = 1;
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const DownloadResult result = done.get();

    EXPECT_EQ(result.outcome, DownloadOutcome::Abandoned);
    EXPECT_LT(result.received, 1u << 20);
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    EXPECT_THAT(ui.Statuses(), ElementsAre("0%", "0%"));
    EXPECT_EQ(DownloadBusy.load(), 0);
    ExpectProgressHiddenAndReset(ui);
}

TEST_F(DownloadWorkerTest, QuittingWhileTheServerSaysNothingAbandons) {
    AddTitle("stalled", 9000);
    PrepareTitle("stalled", "/_fault/delay/120000");
    RecordingDownloadUi ui;
    auto done = std::async(std::launch::async, [&] { return RunWorker(ui); });
    // The worker is waiting for the answer once it has written "0%".
    while (ui.Statuses().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    AppExiting = 1;
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(done.get().outcome, DownloadOutcome::Abandoned);
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    EXPECT_THAT(ui.Statuses(), ElementsAre("0%", "0%"));
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(DownloadWorkerTest, ADeadConnectionEndsAsAnInternetError) {
    AddTitle("dead", 9000);
    PrepareTitle("dead", "/_fault/delay/120000");
    RecordingDownloadUi ui;
    DownloadOptions options = Options();
    options.lowSpeedTimeSeconds = 1;
    CDownloadWorker worker(ui, options);
    const DownloadResult result = worker.Run();
    ExpectCleanFailure(result, ui);
}

TEST_F(DownloadWorkerTest, ASecondWorkerEndsAtOnceWhileOneRuns) {
    // A worker that finds the flag set touches nothing.
    DownloadBusy = 1;
    AddTitle("first", 1 << 20);
    PrepareTitle("first");
    RecordingDownloadUi idle;
    EXPECT_EQ(RunWorker(idle).outcome, DownloadOutcome::Busy);
    EXPECT_TRUE(idle.Calls().empty());
    EXPECT_EQ(DownloadBusy.load(), 1);
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    DownloadBusy = 0;

    // Two workers on threads of their own: the second ends while the first still runs.
    PrepareTitle("first", "/_fault/trickle/2000");
    CDownloadThreads threads;
    auto firstUi = std::make_shared<RecordingDownloadUi>();
    auto secondUi = std::make_shared<RecordingDownloadUi>();
    std::promise<DownloadOutcome> first, second;
    threads.Start(firstUi, Options(), [&](const DownloadResult& r) { first.set_value(r.outcome); });
    ASSERT_TRUE(firstUi->WaitForPos(1, std::chrono::seconds(60)));
    threads.Start(secondUi, Options(),
                  [&](const DownloadResult& r) { second.set_value(r.outcome); });
    auto secondDone = second.get_future();
    ASSERT_EQ(secondDone.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(secondDone.get(), DownloadOutcome::Busy);
    EXPECT_TRUE(secondUi->Calls().empty());
    EXPECT_EQ(DownloadBusy.load(), 1);

    AppExiting = 1;
    threads.JoinAll();
    EXPECT_EQ(threads.Count(), 0u);
    EXPECT_EQ(first.get_future().get(), DownloadOutcome::Abandoned);
    EXPECT_THAT(CacheFiles(), ::testing::IsEmpty());
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(DownloadWorkerTest, AClaimedWorkerFetchesItsRequestAndReleasesTheClaim) {
    const std::string bytes = AddTitle("song", 9000);
    PrepareTitle("song");
    const DownloadRequest request{GetDownloadUrl(), GetCurrentTitlePath()};
    // Whatever the shared values say by now, the request decides.
    AddTitle("other", 9000);
    PrepareTitle("other");
    DownloadBusy = 1;
    RecordingDownloadUi ui;
    CDownloadWorker worker(ui, Options());
    const DownloadResult result = worker.RunClaimed(request);
    EXPECT_EQ(result.outcome, DownloadOutcome::Completed) << result.detail;
    EXPECT_THAT(CacheFiles(), ElementsAre("song.swf"));
    EXPECT_EQ(ReadFile(CachePath("song.swf")), bytes);
    EXPECT_EQ(GetCurrentTitlePath(), CachePath("song.swf"));
    EXPECT_THAT(ui.Statuses(), ElementsAre("0%", "100%"));
    EXPECT_EQ(DownloadBusy.load(), 0);

    // A refused request gives the claim back as well.
    DownloadBusy = 1;
    RecordingDownloadUi refusedUi;
    CDownloadWorker refused(refusedUi, Options());
    EXPECT_EQ(refused.RunClaimed({request.url, CachePath("song.txt")}).outcome,
              DownloadOutcome::Refused);
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(DownloadWorkerTest, ClaimedThreadsKeepTheRequestTakenAtTheStart) {
    const std::string bytes = AddTitle("first", 1 << 16);
    PrepareTitle("first", "/_fault/trickle/20000");
    const DownloadRequest request{GetDownloadUrl(), GetCurrentTitlePath()};
    DownloadBusy = 1;
    CDownloadThreads threads;
    auto ui = std::make_shared<RecordingDownloadUi>();
    std::promise<DownloadResult> done;
    ASSERT_TRUE(threads.StartClaimed(ui, request, Options(),
                                     [&](const DownloadResult& r) { done.set_value(r); }));
    // Selections made while it runs change the shared values only.
    std::ofstream(CachePath("cached.swf"), std::ios::binary) << "cached";
    AddTitle("other", 9000);
    PrepareTitle("other");
    SetCurrentTitlePath(CachePath("cached.swf"));
    auto future = done.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(future.get().outcome, DownloadOutcome::Completed);
    threads.JoinAll();
    EXPECT_TRUE(ReadFile(CachePath("first.swf")) == bytes);
    EXPECT_EQ(ReadFile(CachePath("cached.swf")), "cached");
    EXPECT_FALSE(fs::exists(CachePath("other.swf")));
    EXPECT_EQ(DownloadBusy.load(), 0);
}

TEST_F(DownloadWorkerTest, FinishedThreadsAreReapedWithoutWaitingForRunningOnes) {
    AddTitle("quick", 3000);
    PrepareTitle("quick");
    CDownloadThreads threads;
    std::promise<void> ended;
    threads.Start(std::make_shared<RecordingDownloadUi>(), Options(),
                  [&](const DownloadResult&) { ended.set_value(); });
    ended.get_future().wait();
    // The thread may still be returning; reaping joins it once it has.
    while (threads.Count() != 0) {
        threads.ReapFinished();
        std::this_thread::yield();
    }
    EXPECT_TRUE(fs::exists(CachePath("quick.swf")));
}

}  // namespace

namespace {

TEST(TitleDownloadTest, BuildsTheEncodedAddressAndTheCachePath) {
    const TitleDownload title = TitleDownload::Prepare("/c/cache", "小 兔", "http://127.0.0.1:9");
    ASSERT_TRUE(title.ok);
    EXPECT_EQ(title.url, "http://127.0.0.1:9/vudevu/fla/%E5%B0%8F%20%E5%85%94.swf");
    EXPECT_EQ(title.titlePath, "/c/cache/小 兔.swf");
}

}  // namespace
