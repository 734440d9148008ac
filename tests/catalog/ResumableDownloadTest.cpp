// Resumable, verified downloads against the demo server's faults: whatever happens on the way,
// a title ends with the server's bytes or is not stored at all.
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorker.h"
#include "offline/Sha256.h"
#include "offline/TitleRecord.h"
#include "tests/catalog/DownloadFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <set>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zorbel::offline::Sha256;
using zorbel::offline::TitleRecord;
using zorbel::test::RecordingDownloadUi;
using Call = RecordingDownloadUi::Call;

namespace {

class ResumableDownloadTest : public zorbel::test::DownloadFixture {
protected:
    DownloadOptions Resumable() const {
        DownloadOptions options = DownloadOptions::OfflineLibrary();
        options.substitutePath = m_substitute;
        return options;
    }

    DownloadResult Run(const std::string& name, const std::string& prefix = "") {
        PrepareTitle(name, prefix);
        RecordingDownloadUi ui;
        CDownloadWorker worker(ui, Resumable());
        return worker.Run();
    }

    std::uint64_t Held(const std::string& name) const {
        std::error_code ec;
        const auto size = fs::file_size(CachePath(name + ".tmp"), ec);
        return ec ? 0 : static_cast<std::uint64_t>(size);
    }

    TitleRecord Record(const std::string& name) const {
        TitleRecord record;
        EXPECT_TRUE(TitleRecord::Load(CachePath(name + ".info"), record)) << name;
        return record;
    }

    static std::string ShaOf(const std::string& bytes) {
        Sha256 sha;
        sha.Update(bytes.data(), bytes.size());
        return sha.FinishHex();
    }

    std::size_t TitleRequests(const std::string& name) const {
        std::size_t n = 0;
        for (const std::string& line : m_server->RequestLogLines()) {
            if (line.size() > name.size() + 4 &&
                line.compare(line.size() - name.size() - 4, std::string::npos, name + ".swf") == 0)
                ++n;
        }
        return n;
    }

    // Version n of a title as the drift fault serves it.
    static std::string Drifted(std::string bytes, unsigned char n) {
        for (char& c : bytes) c = static_cast<char>(c ^ n);
        return bytes;
    }
};

TEST_F(ResumableDownloadTest, ATitleCutTwentyTimesEndsWholeAndIsFetchedAboutOnce) {
    const std::size_t size = 16u << 20;
    const std::string bytes = AddTitle("big", size);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> spot(1, size - 1);
    std::set<std::size_t> points;
    while (points.size() < 20) points.insert(spot(random));

    std::uint64_t fetched = 0;
    for (const std::size_t point : points) {
        const std::uint64_t before = Held("big");
        SCOPED_TRACE("cut at " + std::to_string(point) + ", holding " + std::to_string(before));
        // A cut that lies in what is held already cuts nothing new: the answer is the rest.
        if (point <= before) continue;
        const DownloadResult cut = Run("big", "/_fault/cut/" + std::to_string(point - before));
        ASSERT_EQ(cut.outcome, DownloadOutcome::Failed) << cut.detail;
        EXPECT_EQ(cut.resumedFrom, before);
        fetched += cut.fetched;
        EXPECT_EQ(Held("big"), before + cut.fetched);
        EXPECT_LE(Held("big"), point);
        EXPECT_THAT(CacheFiles(), ElementsAre("big.info", "big.tmp"));
        const TitleRecord record = Record("big");
        EXPECT_FALSE(record.complete);
        EXPECT_EQ(record.length, static_cast<std::int64_t>(size));
        EXPECT_EQ(record.held, Held("big"));
        EXPECT_EQ(record.url, GetDownloadUrl());
        EXPECT_EQ(DownloadBusy.load(), 0);
    }

    // The last attempt shows the whole title's progress from the bytes held.
    const std::uint64_t before = Held("big");
    PrepareTitle("big");
    RecordingDownloadUi ui;
    CDownloadWorker worker(ui, Resumable());
    const DownloadResult done = worker.Run();
    ASSERT_EQ(done.outcome, DownloadOutcome::Completed) << done.detail;
    fetched += done.fetched;
    EXPECT_EQ(done.resumedFrom, before);
    EXPECT_EQ(done.fetched, size - before);
    EXPECT_TRUE(done.verified);
    std::uint64_t range = 0, firstPos = 0;
    for (const Call& call : ui.Calls()) {
        if (call.kind == Call::Range) range = call.value;
        if (call.kind == Call::Pos && call.value > 0 && firstPos == 0) firstPos = call.value;
    }
    EXPECT_EQ(range, size);
    EXPECT_EQ(firstPos, before);
    EXPECT_THAT(ui.Statuses(), ElementsAre("0%", "100%"));

    std::string stored;
    ASSERT_TRUE(Sha256::OfFile(CachePath("big.swf"), stored));
    EXPECT_EQ(stored, ShaOf(bytes));
    EXPECT_THAT(CacheFiles(), ElementsAre("big.info", "big.swf"));
    const TitleRecord record = Record("big");
    EXPECT_TRUE(record.complete && record.verified);
    EXPECT_EQ(record.sha256, stored);
    // What came over the wire, by the client's count and by the server's.
    EXPECT_LE(fetched, size + size / 10);
    EXPECT_LE(m_server->BodyBytesSent(), size + size / 10);
}

TEST_F(ResumableDownloadTest, ServersThatMisbehaveLeaveACorrectTitleOrNone) {
    const std::size_t size = 3u << 20;
    const std::string bytes = AddTitle("song", size);
    const std::string cut = "/_fault/cut/1000000";
    auto restart = [&] {
        fs::remove_all(m_cache);
        fs::create_directories(m_cache);
        m_server->ClearRequestLog();
    };
    auto expectStored = [&](const std::string& content, const DownloadResult& result) {
        ASSERT_EQ(result.outcome, DownloadOutcome::Completed) << result.detail;
        EXPECT_TRUE(ReadFile(CachePath("song.swf")) == content);
        EXPECT_TRUE(result.verified);
        EXPECT_THAT(CacheFiles(), ElementsAre("song.info", "song.swf"));
        EXPECT_TRUE(Record("song").verified);
    };
    {
        SCOPED_TRACE("a server that ignores Range: the whole answer starts over");
        ASSERT_EQ(Run("song", cut).outcome, DownloadOutcome::Failed);
        ASSERT_GT(Held("song"), 0u);
        const DownloadResult result = Run("song", "/_fault/norange");
        expectStored(bytes, result);
        EXPECT_EQ(result.resumedFrom, 0u);
        EXPECT_EQ(result.fetched, size);
    }
    {
        SCOPED_TRACE("the title changed between attempts: the new version, whole");
        restart();
        ASSERT_EQ(Run("song", "/_fault/drift/1" + cut).outcome, DownloadOutcome::Failed);
        ASSERT_GT(Held("song"), 0u);
        const DownloadResult result = Run("song", "/_fault/drift/2");
        expectStored(Drifted(bytes, 2), result);
        EXPECT_EQ(result.resumedFrom, 0u);
    }
    {
        SCOPED_TRACE("one flipped byte on the first answer only: fetched again once");
        restart();
        const DownloadResult result = Run("song", "/_fault/flaky/777777");
        expectStored(bytes, result);
        EXPECT_EQ(TitleRequests("song"), 2u);
    }
    {
        SCOPED_TRACE("a flipped byte every time: nothing stored after one more try");
        restart();
        const DownloadResult result = Run("song", "/_fault/flip/5");
        EXPECT_EQ(result.outcome, DownloadOutcome::Failed);
        EXPECT_THAT(result.detail, ::testing::HasSubstr("digest"));
        EXPECT_THAT(CacheFiles(), IsEmpty());
        EXPECT_EQ(TitleRequests("song"), 2u);
    }
    {
        SCOPED_TRACE("no digest header: the digest file beside the title decides");
        restart();
        expectStored(bytes, Run("song", "/_fault/nodigest"));
        restart();
        const DownloadResult result = Run("song", "/_fault/nodigest/_fault/flip/3000000");
        EXPECT_EQ(result.outcome, DownloadOutcome::Failed);
        EXPECT_THAT(CacheFiles(), IsEmpty());
        bool askedForDigest = false;
        for (const std::string& line : m_server->RequestLogLines())
            askedForDigest = askedForDigest || line.find("song.swf.sha256") != std::string::npos;
        EXPECT_TRUE(askedForDigest);
    }
    {
        SCOPED_TRACE("error pages and answers that do not fit are never appended");
        restart();
        ASSERT_EQ(Run("song", cut).outcome, DownloadOutcome::Failed);
        const std::uint64_t held = Held("song");
        ASSERT_GT(held, 0u);
        EXPECT_EQ(Run("song", "/_fault/status/500").outcome, DownloadOutcome::Failed);
        EXPECT_EQ(Held("song"), held);
        EXPECT_TRUE(ReadFile(CachePath("song.tmp")) == bytes.substr(0, held));
        // A 206 without a range that fits drops the held bytes; its own retry is no title.
        EXPECT_EQ(Run("song", "/_fault/status/206/size/9000").outcome, DownloadOutcome::Failed);
        EXPECT_THAT(CacheFiles(), IsEmpty());
    }
    {
        SCOPED_TRACE("every byte held already: 416, checked, stored without a byte fetched");
        restart();
        ASSERT_EQ(Run("song", cut).outcome, DownloadOutcome::Failed);
        TitleRecord record = Record("song");
        std::ofstream(CachePath("song.tmp"), std::ios::binary | std::ios::trunc) << bytes;
        const DownloadResult result = Run("song");
        expectStored(bytes, result);
        EXPECT_EQ(result.fetched, 0u);
        EXPECT_EQ(result.resumedFrom, size);
        // The same with bytes that are not the server's: dropped, fetched afresh.
        restart();
        ASSERT_EQ(Run("song", cut).outcome, DownloadOutcome::Failed);
        std::ofstream(CachePath("song.tmp"), std::ios::binary | std::ios::trunc)
            << Drifted(bytes, 9);
        const DownloadResult fresh = Run("song");
        expectStored(bytes, fresh);
        EXPECT_EQ(fresh.fetched, size);
    }
}

TEST_F(ResumableDownloadTest, SlowOrQuitTransfersKeepTheirBytesForLater) {
    const std::string bytes = AddTitle("slow", 1 << 20);
    // 1 KB/s against a floor of 2 KB/s: given up after the window (a second here).
    PrepareTitle("slow", "/_fault/trickle/100");
    DownloadOptions options = Resumable();
    options.lowSpeedTimeSeconds = 1;
    RecordingDownloadUi slowUi;
    const DownloadResult slow = CDownloadWorker(slowUi, options).Run();
    EXPECT_EQ(slow.outcome, DownloadOutcome::Failed);
    EXPECT_GT(Held("slow"), 0u);

    // Quitting keeps them too, and the next start goes on from there.
    PrepareTitle("slow", "/_fault/trickle/20000");
    RecordingDownloadUi quitUi;
    auto done =
        std::async(std::launch::async, [&] { return CDownloadWorker(quitUi, Resumable()).Run(); });
    ASSERT_TRUE(quitUi.WaitForPos(Held("slow") + 40000, std::chrono::seconds(60)));
    AppExiting = 1;
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(done.get().outcome, DownloadOutcome::Abandoned);
    AppExiting = 0;
    const std::uint64_t held = Held("slow");
    EXPECT_GE(held, 40000u);
    EXPECT_THAT(CacheFiles(), ElementsAre("slow.info", "slow.tmp"));

    // A stop asked from outside (the class queue cancelled) ends it the same way.
    auto stop = std::make_shared<std::atomic<bool>>(false);
    DownloadOptions stoppable = Resumable();
    stoppable.stop = stop;
    RecordingDownloadUi stopUi;
    PrepareTitle("slow", "/_fault/trickle/20000");
    auto stopped =
        std::async(std::launch::async, [&] { return CDownloadWorker(stopUi, stoppable).Run(); });
    ASSERT_TRUE(stopUi.WaitForPos(held + 40000, std::chrono::seconds(60)));
    stop->store(true);
    ASSERT_EQ(stopped.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(stopped.get().outcome, DownloadOutcome::Abandoned);
    EXPECT_GE(Held("slow"), held + 40000);
    EXPECT_EQ(DownloadBusy.load(), 0);

    const std::uint64_t kept = Held("slow");
    const DownloadResult rest = Run("slow");
    ASSERT_EQ(rest.outcome, DownloadOutcome::Completed) << rest.detail;
    EXPECT_EQ(rest.resumedFrom, kept);
    EXPECT_TRUE(ReadFile(CachePath("slow.swf")) == bytes);
}

}  // namespace
