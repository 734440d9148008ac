// Misbehaviour on request: "/_fault/<kind>[/<arg>]" in front of a path. Times are checked only
// from below: a slow machine may take longer, never shorter.
#include "DemoServerFixture.h"
#include "HttpFetch.h"

#include "offline/DigestHeader.h"
#include "offline/Sha256.h"
#include "tools/demo_server/BodySource.h"

#include <thread>

namespace zorbel::test {
namespace {

using namespace std::chrono_literals;
using zorbel::demo::BodySource;

class DemoServerFaults : public DemoServerFixture {
protected:
    void SetUp() override {
        DemoServerFixture::SetUp();
        m_small = AddTitle("small", 5000, 7);
    }

    // Waits until cond holds; the bound only keeps a broken server from hanging the test.
    static bool WaitUntil(const std::function<bool()>& cond) {
        for (int i = 0; i < 2000 && !cond(); ++i) std::this_thread::sleep_for(5ms);
        return cond();
    }

    std::string m_small;
};

TEST_F(DemoServerFaults, DelayWaitsThenServes) {
    const HttpAnswer answer = HttpFetch::Get(Url("/_fault/delay/150/vudevu/fla/small.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_GE(answer.ElapsedMs(), 150);
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.body == m_small);
    // The log keeps the target as it came, prefix included.
    EXPECT_EQ(CountLogLines("GET /_fault/delay/150/vudevu/fla/small.swf"), 1);
}

TEST_F(DemoServerFaults, ChunkedHasNoLength) {
    const std::string big = AddTitle("big", 300 * 1024, 9);
    const HttpAnswer answer = HttpFetch::Get(Url("/_fault/chunked/vudevu/fla/big.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_FALSE(answer.HasHeader("content-length"));
    EXPECT_EQ(answer.Header("transfer-encoding"), "chunked");
    EXPECT_EQ(answer.Header("content-type"), "application/x-shockwave-flash");
    EXPECT_TRUE(answer.body == big);

    AddTitle("empty", 0);
    const HttpAnswer empty = HttpFetch::Get(Url("/_fault/chunked/vudevu/fla/empty.swf"));
    ASSERT_EQ(empty.code, CURLE_OK) << empty.error;
    EXPECT_TRUE(empty.body.empty());
}

TEST_F(DemoServerFaults, ShortAnnouncesAllSendsLess) {
    const HttpAnswer answer = HttpFetch::Get(Url("/_fault/short/1000/vudevu/fla/small.swf"));
    EXPECT_EQ(answer.code, CURLE_PARTIAL_FILE) << answer.error;
    EXPECT_EQ(answer.Header("content-length"), "5000");
    EXPECT_EQ(answer.body, m_small.substr(0, 1000));

    // Nothing to hold back when the body is no longer than the limit.
    const HttpAnswer whole = HttpFetch::Get(Url("/_fault/short/5000/vudevu/fla/small.swf"));
    EXPECT_EQ(whole.code, CURLE_OK) << whole.error;
    EXPECT_TRUE(whole.body == m_small);
}

TEST_F(DemoServerFaults, ShortWorksOnPagesAndChunkedBodies) {
    const HttpAnswer page = HttpFetch::Get(Url("/_fault/short/10/plimad.asp?from=showad"));
    EXPECT_EQ(page.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(page.body.size(), 10u);
    const HttpAnswer chunked =
        HttpFetch::Get(Url("/_fault/chunked/_fault/short/100/vudevu/fla/small.swf"));
    EXPECT_NE(chunked.code, CURLE_OK);
    EXPECT_FALSE(chunked.HasHeader("content-length"));
    EXPECT_EQ(chunked.body, m_small.substr(0, 100));
}

TEST_F(DemoServerFaults, StatusAnswersThatStatus) {
    for (const int status : {500, 503, 404, 302, 200}) {
        const HttpAnswer answer = HttpFetch::Get(
            Url("/_fault/status/" + std::to_string(status) + "/vudevu/fla/small.swf"));
        ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
        EXPECT_EQ(answer.status, status);
        EXPECT_LT(answer.body.size(), 100u) << "a small body, not the file";
    }
    EXPECT_EQ(HttpFetch::Get(Url("/_fault/status/500/plimad.asp?from=showad")).status, 500);
}

TEST_F(DemoServerFaults, TrickleServesSlowlyButCompletely) {
    const HttpAnswer answer = HttpFetch::Get(Url("/_fault/trickle/1000/vudevu/fla/small.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_EQ(answer.Header("content-length"), "5000");
    EXPECT_TRUE(answer.body == m_small);
    // Five pieces of 1000 bytes with a pause of 100 ms between each two.
    EXPECT_GE(answer.ElapsedMs(), 400);
}

TEST_F(DemoServerFaults, CutResetsTheConnection) {
    const HttpAnswer answer = HttpFetch::Get(Url("/_fault/cut/1000/vudevu/fla/small.swf"));
    EXPECT_EQ(answer.code, CURLE_RECV_ERROR) << answer.error;
    EXPECT_EQ(answer.Header("content-length"), "5000");
    EXPECT_EQ(answer.body, m_small.substr(0, 1000));
}

TEST_F(DemoServerFaults, TitlesCarryValidatorsDigestsAndOneRange) {
    auto sha = [](const std::string& bytes) {
        zorbel::offline::Sha256 digest;
        digest.Update(bytes.data(), bytes.size());
        return digest.FinishHex();
    };
    const std::string url = Url("/vudevu/fla/small.swf");
    const HttpAnswer whole = HttpFetch::Get(url);
    ASSERT_EQ(whole.status, 200);
    const std::string etag = whole.Header("etag");
    ASSERT_FALSE(etag.empty());
    EXPECT_EQ(zorbel::offline::DigestHeader::FromReprDigest(whole.Header("repr-digest")),
              sha(m_small));
    EXPECT_EQ(HttpFetch::Get(url + ".sha256").body, sha(m_small) + "  small.swf\n");

    const HttpAnswer rest =
        HttpFetch::Get(url, nullptr, {"Range: bytes=1000-", "If-Range: " + etag});
    EXPECT_EQ(rest.status, 206);
    EXPECT_EQ(rest.Header("content-range"), "bytes 1000-4999/5000");
    EXPECT_TRUE(rest.body == m_small.substr(1000));
    // A validator of another version, or a server told to ignore ranges: the whole title.
    EXPECT_TRUE(HttpFetch::Get(url, nullptr, {"Range: bytes=1000-", "If-Range: \"old\""}).body ==
                m_small);
    EXPECT_EQ(
        HttpFetch::Get(Url("/_fault/norange/vudevu/fla/small.swf"), nullptr, {"Range: bytes=1000-"})
            .status,
        200);
    const HttpAnswer past = HttpFetch::Get(url, nullptr, {"Range: bytes=5000-"});
    EXPECT_EQ(past.status, 416);
    EXPECT_EQ(past.Header("content-range"), "bytes */5000");

    // Another version has its own validator and digest; a flipped byte keeps the true ones.
    const HttpAnswer drifted = HttpFetch::Get(Url("/_fault/drift/3/vudevu/fla/small.swf"));
    std::string expected = m_small;
    for (char& c : expected) c = static_cast<char>(c ^ 3);
    EXPECT_TRUE(drifted.body == expected);
    EXPECT_NE(drifted.Header("etag"), etag);
    EXPECT_EQ(zorbel::offline::DigestHeader::FromDigest(drifted.Header("digest")), sha(expected));
    const HttpAnswer flipped = HttpFetch::Get(Url("/_fault/flip/10/vudevu/fla/small.swf"));
    expected = m_small;
    expected[10] = static_cast<char>(~expected[10]);
    EXPECT_TRUE(flipped.body == expected);
    EXPECT_EQ(flipped.Header("repr-digest"), whole.Header("repr-digest"));
    EXPECT_FALSE(HttpFetch::Get(Url("/_fault/nodigest/vudevu/fla/small.swf")).HasHeader("digest"));
    // flaky flips on the first request for its target only.
    const std::string flaky = Url("/_fault/flaky/10/vudevu/fla/small.swf");
    EXPECT_FALSE(HttpFetch::Get(flaky).body == m_small);
    EXPECT_TRUE(HttpFetch::Get(flaky).body == m_small);
}

TEST_F(DemoServerFaults, SizeServesExactSyntheticBody) {
    constexpr std::size_t kSize = 8 * 1024 * 1024 + 3;
    const HttpAnswer answer =
        HttpFetch::Get(Url("/_fault/size/" + std::to_string(kSize) + "/vudevu/fla/none.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.Header("content-type"), "application/x-shockwave-flash");
    EXPECT_EQ(answer.Header("content-length"), std::to_string(kSize));
    ASSERT_EQ(answer.body.size(), kSize);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < kSize; ++i)
        wrong += static_cast<unsigned char>(answer.body[i]) != BodySource::SyntheticByte(i);
    EXPECT_EQ(wrong, 0u);

    const HttpAnswer zero = HttpFetch::Get(Url("/_fault/size/0/vudevu/fla/small.swf"));
    EXPECT_EQ(zero.code, CURLE_OK);
    EXPECT_EQ(zero.Header("content-length"), "0");
}

TEST_F(DemoServerFaults, PrefixesStack) {
    const HttpAnswer answer = HttpFetch::Get(
        Url("/_fault/delay/100/_fault/chunked/_fault/delay/50/vudevu/fla/small.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_GE(answer.ElapsedMs(), 150);
    EXPECT_FALSE(answer.HasHeader("content-length"));
    EXPECT_TRUE(answer.body == m_small);

    const HttpAnswer sized =
        HttpFetch::Get(Url("/_fault/size/3000/_fault/short/2000/vudevu/fla/x.swf"));
    EXPECT_EQ(sized.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(sized.Header("content-length"), "3000");
    EXPECT_EQ(sized.body.size(), 2000u);
}

TEST_F(DemoServerFaults, MalformedPrefixesAreBadRequests) {
    for (const char* path :
         {"/_fault/bogus/vudevu/fla/small.swf", "/_fault/delay/abc/vudevu/fla/small.swf",
          "/_fault/delay", "/_fault/status/99/feedback.htm", "/_fault/status/600/feedback.htm",
          "/_fault/trickle/0/feedback.htm", "/_fault/short/-1/feedback.htm",
          "/_fault/delay/99999999999999999999999/x", "/_fault/delay/600001/feedback.htm"}) {
        const HttpAnswer answer = HttpFetch::Get(Url(path));
        EXPECT_EQ(answer.status, 400) << path;
    }
}

TEST_F(DemoServerFaults, StopEndsATrickle) {
    std::atomic<std::size_t> received{0};
    HttpAnswer answer;
    // At 10 bytes per 100 ms this body would take almost three hours.
    std::thread client([&] {
        answer = HttpFetch::Get(Url("/_fault/trickle/10/_fault/size/100000/vudevu/fla/x.swf"),
                                &received);
    });
    EXPECT_TRUE(WaitUntil([&] { return received.load() > 0; }));
    m_server->Stop();
    client.join();
    EXPECT_NE(answer.code, CURLE_OK);
    EXPECT_LT(answer.body.size(), 100000u);
    EXPECT_FALSE(m_server->IsRunning());
}

TEST_F(DemoServerFaults, StopEndsADelay) {
    HttpAnswer answer;
    std::thread client([&] { answer = HttpFetch::Get(Url("/_fault/delay/600000/feedback.htm")); });
    EXPECT_TRUE(
        WaitUntil([&] { return CountLogLines("GET /_fault/delay/600000/feedback.htm") == 1; }));
    m_server->Stop();
    client.join();
    EXPECT_TRUE(answer.code != CURLE_OK || answer.status != 200);
}

}  // namespace
}  // namespace zorbel::test
