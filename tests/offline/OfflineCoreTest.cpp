#include "offline/ClassQueue.h"
#include "offline/DigestHeader.h"
#include "offline/OfflineShelf.h"
#include "offline/RangeAnswer.h"
#include "offline/Sha256.h"
#include "offline/TitleRecord.h"
#include "tests/platform/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace zorbel::offline;
using Verdict = RangeAnswer::Verdict;

namespace {

// SHA-256 of "abc" (FIPS 180-2 example).
const std::string kAbcHex = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kAbcBase64 = "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=";

TEST(DigestHeaderTest, ReadsTheSha256EntryOfEachForm) {
    EXPECT_EQ(DigestHeader::Base64FromHex(kAbcHex), kAbcBase64);
    EXPECT_EQ(DigestHeader::FromReprDigest("sha-256=:" + kAbcBase64 + ":"), kAbcHex);
    EXPECT_EQ(DigestHeader::FromReprDigest("sha-512=:AAAA:, SHA-256=:" + kAbcBase64 + ":"),
              kAbcHex);
    EXPECT_EQ(DigestHeader::FromDigest("MD5=xxxx, SHA-256=" + kAbcBase64), kAbcHex);
    EXPECT_EQ(DigestHeader::FromSidecar(kAbcHex + "  song.swf\n"), kAbcHex);
    EXPECT_EQ(DigestHeader::FromSidecar(
                  "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"),
              kAbcHex);
    // What is not a whole sha-256 value states nothing.
    for (const std::string& bad : std::vector<std::string>{
             "sha-256=" + kAbcBase64, "sha-256=:AAAA:", "md5=:" + kAbcBase64 + ":", ""})
        EXPECT_EQ(DigestHeader::FromReprDigest(bad), "") << bad;
    EXPECT_EQ(DigestHeader::FromDigest("SHA-256=" + kAbcBase64.substr(4)), "");
    EXPECT_EQ(DigestHeader::FromSidecar(kAbcHex.substr(1)), "");
    EXPECT_EQ(DigestHeader::FromSidecar(kAbcHex + "0"), "");
    EXPECT_EQ(DigestHeader::FromSidecar("<html>404</html>"), "");

    Sha256 sha;
    sha.Update("ab", 2);
    sha.Update("c", 1);
    EXPECT_EQ(sha.FinishHex(), kAbcHex);
}

TEST(RangeAnswerTest, OnlyTheExactRestJoinsTheHeldBytes) {
    struct Case {
        long status;
        const char* range;
        std::int64_t contentLength;
        Verdict verdict;
    };
    // 400 of 1000 bytes held.
    const Case cases[] = {
        {206, "bytes 400-999/1000", 600, Verdict::Append},
        {206, "bytes 400-999/1000", -1, Verdict::Append},
        {206, "bytes 399-999/1000", 601, Verdict::Discard},   // overlaps the held bytes
        {206, "bytes 401-999/1000", 599, Verdict::Discard},   // leaves a hole
        {206, "bytes 400-998/1000", 599, Verdict::Discard},   // stops short of the end
        {206, "bytes 400-1199/1200", 800, Verdict::Discard},  // another length: another title
        {206, "bytes 400-999/1000", 500, Verdict::Discard},
        {206, "bytes */1000", -1, Verdict::Discard},
        {206, "", 600, Verdict::Discard},
        {200, "", 1000, Verdict::StartOver},
        {416, "bytes */1000", -1, Verdict::Discard},  // not everything is held
        {404, "", 20, Verdict::Error},
        {500, "bytes 400-999/1000", 600, Verdict::Error},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RangeAnswer::Judge(c.status, c.range, c.contentLength, 400, 1000), c.verdict)
            << c.status << " " << c.range;
    EXPECT_EQ(RangeAnswer::Judge(416, "bytes */1000", -1, 1000, 1000), Verdict::HeldWhole);
}

TEST(TitleRecordTest, RoundTripsBesideItsTitle) {
    EXPECT_EQ(TitleRecord::PathFor("/c/song.swf"), "/c/song.info");
    EXPECT_EQ(TitleRecord::PathFor("/c/a.swf.b.swf"), "/c/a.swf.b.info");

    zorbel::test::TempDir dir;
    TitleRecord record;
    record.url = "http://x/vudevu/fla/a%20b.swf";
    record.etag = "\"1a-2b\"";
    record.lastModified = "Tue, 08 Dec 2026 21:00:00 GMT";
    record.length = 16777216;
    record.held = 1234;
    record.sha256 = kAbcHex;
    record.verified = true;
    record.complete = true;
    record.storedAt = 1796000000;
    const std::string path = dir.File("a b.info");
    ASSERT_TRUE(TitleRecord::Save(path, record));
    TitleRecord back;
    ASSERT_TRUE(TitleRecord::Load(path, back));
    EXPECT_EQ(back.url, record.url);
    EXPECT_EQ(back.etag, record.etag);
    EXPECT_EQ(back.lastModified, record.lastModified);
    EXPECT_EQ(back.length, record.length);
    EXPECT_EQ(back.held, record.held);
    EXPECT_EQ(back.sha256, record.sha256);
    EXPECT_TRUE(back.verified && back.complete);
    EXPECT_EQ(back.storedAt, record.storedAt);
    EXPECT_EQ(back.ResumeValidator(), record.etag);

    // A weak tag cannot vouch for joined bytes; the date can.
    back.etag = "W/\"1a\"";
    EXPECT_EQ(back.ResumeValidator(), record.lastModified);
    back.lastModified.clear();
    EXPECT_EQ(back.ResumeValidator(), "");
    EXPECT_FALSE(TitleRecord::Load(dir.File("missing.info"), back));
}

}  // namespace

namespace {

using ::testing::ElementsAre;

class OfflineShelfTest : public ::testing::Test {
protected:
    void Write(const std::string& file, const std::string& bytes) {
        std::ofstream(m_dir.File(file), std::ios::binary) << bytes;
    }
    void Stored(const std::string& name, const std::string& bytes, const std::string& sha) {
        Write(name + ".swf", bytes);
        TitleRecord record;
        record.complete = true;
        record.length = static_cast<std::int64_t>(bytes.size());
        record.sha256 = sha;
        record.storedAt = 1796000000;
        ASSERT_TRUE(TitleRecord::Save(m_dir.File(name + ".info"), record));
    }
    static std::string Sha(const std::string& bytes) {
        Sha256 sha;
        sha.Update(bytes.data(), bytes.size());
        return sha.FinishHex();
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    zorbel::test::TempDir m_dir;
};

TEST_F(OfflineShelfTest, FiguresMatchTheFilesAndChecksFindDamage) {
    Stored("good", std::string(1000, 'g'), Sha(std::string(1000, 'g')));
    Stored("bad", std::string(300, 'b'), Sha(std::string(300, 'x')));
    Write("plain.swf", std::string(50, 'p'));
    Write("half.tmp", std::string(70, 'h'));
    TitleRecord partial;
    partial.length = 200;
    partial.etag = "\"v\"";
    ASSERT_TRUE(TitleRecord::Save(m_dir.File("half.info"), partial));
    Write("notes.txt", std::string(9999, 'n'));

    OfflineShelf shelf(m_dir.Path());
    const ShelfContents contents = shelf.Scan();
    ASSERT_TRUE(contents.ok) << contents.error;
    ASSERT_EQ(contents.titles.size(), 3u);
    EXPECT_EQ(contents.titles[0].name, "bad");
    EXPECT_EQ(contents.titles[1].name, "good");
    EXPECT_EQ(contents.titles[1].size, 1000u);
    EXPECT_EQ(contents.titles[1].storedAt, 1796000000);
    EXPECT_TRUE(contents.titles[1].hasDigest);
    EXPECT_EQ(contents.titles[2].name, "plain");
    EXPECT_FALSE(contents.titles[2].hasDigest);
    EXPECT_GT(contents.titles[2].storedAt, 0);
    ASSERT_EQ(contents.partials.size(), 1u);
    EXPECT_EQ(contents.partials[0].held, 70u);
    EXPECT_EQ(contents.partials[0].length, 200);
    std::uint64_t onDisk = 0;
    for (const std::string& file : Files()) {
        if (file != "notes.txt") onDisk += std::filesystem::file_size(m_dir.File(file));
    }
    EXPECT_EQ(contents.usedBytes, onDisk);
    EXPECT_GT(contents.freeBytes, 0u);
    EXPECT_TRUE(shelf.IsCached("good"));
    EXPECT_FALSE(shelf.IsCached("half"));
    EXPECT_EQ(shelf.CachedNames(), (std::unordered_set<std::string>{"bad", "good", "plain"}));
    EXPECT_FALSE(shelf.PlayableOfflineOnly());
    ASSERT_TRUE(shelf.SetPlayableOfflineOnly(true).ok);
    EXPECT_TRUE(OfflineShelf(m_dir.Path()).PlayableOfflineOnly());
    EXPECT_EQ(shelf.Scan().usedBytes, contents.usedBytes);  // the switch is no title
    ASSERT_TRUE(shelf.SetPlayableOfflineOnly(false).ok);
    EXPECT_FALSE(shelf.PlayableOfflineOnly());

    const OfflineShelf::CheckReport report = shelf.CheckAll();
    EXPECT_THAT(report.good, ElementsAre("good"));
    EXPECT_THAT(report.failed, ElementsAre("bad"));
    EXPECT_THAT(report.unchecked, ElementsAre("plain"));
    EXPECT_FALSE(shelf.IsCached("bad"));
    TitleRecord checked;
    ASSERT_TRUE(TitleRecord::Load(m_dir.File("good.info"), checked));
    EXPECT_TRUE(checked.verified);

    EXPECT_TRUE(shelf.DeletePartial("half").ok);
    EXPECT_TRUE(shelf.DeleteTitle("good").ok);
    EXPECT_FALSE(shelf.DeleteTitle("../x").ok);
    EXPECT_THAT(Files(), ElementsAre("notes.txt", "plain.swf"));
    EXPECT_FALSE(OfflineShelf(m_dir.File("missing")).Scan().ok);
}

TEST_F(OfflineShelfTest, AClassQueueSurvivesARestart) {
    const std::string path = m_dir.File("queue");
    {
        ClassQueue queue(path);
        EXPECT_FALSE(queue.Load());
        queue.Start("儿歌", {"a", "b", "c"});
        queue.PopFront();
        queue.Postpone();  // "b" failed: it waits behind "c"
        ASSERT_TRUE(queue.Save());
    }
    ClassQueue again(path);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.ClassName(), "儿歌");
    EXPECT_EQ(again.Total(), 3u);
    EXPECT_EQ(again.Done(), 1u);
    EXPECT_THAT(again.Pending(), ElementsAre("c", "b"));
    again.PopFront();
    again.PopFront();
    EXPECT_TRUE(again.Empty());
    ASSERT_TRUE(again.Save());
    EXPECT_FALSE(std::filesystem::exists(path));
    again.Start("故事", {"x"});
    again.Save();
    again.Cancel();
    EXPECT_FALSE(ClassQueue(path).Load());

    EXPECT_EQ(ClassQueue::EstimateBytes(30, 0, 0), 30 * ClassQueue::kTypicalTitleBytes);
    EXPECT_EQ(ClassQueue::EstimateBytes(4, 1000, 10), 400u);
    EXPECT_TRUE(ClassQueue::Fits(100, ClassQueue::kSpareBytes + 100));
    EXPECT_FALSE(ClassQueue::Fits(101, ClassQueue::kSpareBytes + 100));
    EXPECT_FALSE(ClassQueue::Fits(0, 10));
}

}  // namespace
