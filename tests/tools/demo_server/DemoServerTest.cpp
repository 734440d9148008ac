// The demo server's routes: titles, the advertisement list, the pages and the request log.
#include "DemoServerFixture.h"
#include "HttpFetch.h"

#include <pugixml.hpp>

#include <fstream>
#include <thread>
#include <vector>

namespace zorbel::test {
namespace {

using zorbel::demo::DemoServer;
using zorbel::demo::DemoServerOptions;

class DemoServerRoutes : public DemoServerFixture {};

// 小兔子乖乖, percent-encoded as UTF-8.
const char* kRabbitEncoded = "%E5%B0%8F%E5%85%94%E5%AD%90%E4%B9%96%E4%B9%96";

TEST_F(DemoServerRoutes, ServesTitleFilesByteForByte) {
    // Larger than one streamed piece, so the pieces must line up.
    const std::string big = AddTitle("big", 200 * 1024 + 17, 3);
    const HttpAnswer answer = HttpFetch::Get(Url("/vudevu/fla/big.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.Header("content-type"), "application/x-shockwave-flash");
    EXPECT_EQ(answer.Header("content-length"), std::to_string(big.size()));
    EXPECT_TRUE(answer.body == big);
}

TEST_F(DemoServerRoutes, ServesChineseAndSpacedNames) {
    const std::string rabbit = AddTitle("小兔子乖乖", 6000, 4);
    const std::string spaced = AddTitle("two words", 10, 5);
    const HttpAnswer a = HttpFetch::Get(Url("/vudevu/fla/" + std::string(kRabbitEncoded) + ".swf"));
    ASSERT_EQ(a.code, CURLE_OK) << a.error;
    EXPECT_EQ(a.status, 200);
    EXPECT_TRUE(a.body == rabbit);
    const HttpAnswer b = HttpFetch::Get(Url("/vudevu/fla/two%20words.swf"));
    EXPECT_EQ(b.status, 200);
    EXPECT_TRUE(b.body == spaced);
}

TEST_F(DemoServerRoutes, EmptyTitleHasZeroLength) {
    AddTitle("empty", 0);
    const HttpAnswer answer = HttpFetch::Get(Url("/vudevu/fla/empty.swf"));
    ASSERT_EQ(answer.code, CURLE_OK) << answer.error;
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.Header("content-length"), "0");
    EXPECT_TRUE(answer.body.empty());
}

TEST_F(DemoServerRoutes, RefusesMissingTitlesAndEscapes) {
    // A file beside the content folder that no request may reach.
    std::ofstream(m_root / "secret.swf") << "secret";
    std::filesystem::create_directories(m_content / "sub");
    std::ofstream(m_content / "sub" / "inner.swf") << "inner";
    std::filesystem::create_directories(m_content / "folder.swf");
    for (const char* path :
         {"/vudevu/fla/missing.swf", "/vudevu/fla/..%2Fsecret.swf",
          "/vudevu/fla/%2E%2E%2Fsecret.swf", "/vudevu/fla/../secret.swf",
          "/vudevu/fla/..%5Csecret.swf", "/vudevu/fla/sub%2Finner.swf", "/vudevu/fla/sub/inner.swf",
          "/vudevu/fla/a%00b.swf", "/vudevu/fla/.swf", "/vudevu/fla/folder.swf",
          "/vudevu/fla/secret", "/vudevu/fla/..swf"}) {
        const HttpAnswer answer = HttpFetch::Get(Url(path));
        EXPECT_EQ(answer.status, 404) << path;
        EXPECT_EQ(answer.body.find("secret"), std::string::npos) << path;
        EXPECT_EQ(answer.body.find("inner"), std::string::npos) << path;
    }
}

TEST_F(DemoServerRoutes, AdvertisementListIsXmlWithWorkingLinks) {
    const HttpAnswer answer = HttpFetch::Get(Url("/ada.html"));
    ASSERT_EQ(answer.status, 200);
    EXPECT_NE(answer.Header("content-type").find("xml"), std::string::npos);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(answer.body.data(), answer.body.size())) << answer.body;
    const pugi::xml_node root = doc.document_element();
    int entries = 0;
    for (const pugi::xml_node file : root.children("File")) {
        const std::string text = file.attribute("Text").as_string();
        const std::string url = file.attribute("Url").as_string();
        EXPECT_FALSE(text.empty());
        // Absolute addresses built from the Host header, on this server.
        ASSERT_EQ(url.rfind(m_base + "/", 0), 0u) << url;
        const HttpAnswer target = HttpFetch::Get(url);
        EXPECT_EQ(target.status, 200) << url;
        ++entries;
    }
    EXPECT_GE(entries, 2);
    EXPECT_LE(entries, 4);
}

TEST_F(DemoServerRoutes, AdvertisementAddressesFollowTheHostHeader) {
    // curl takes the Host header from the address; "localhost" is a plain host and is kept.
    const HttpAnswer answer =
        HttpFetch::Get("http://localhost:" + std::to_string(m_port) + "/ada.html");
    if (answer.code != CURLE_OK) GTEST_SKIP() << "localhost does not resolve to 127.0.0.1 here";
    EXPECT_NE(answer.body.find("Url=\"http://localhost:" + std::to_string(m_port) + "/"),
              std::string::npos);
}

TEST_F(DemoServerRoutes, PagesAreChineseHtmlWithoutOutsideReferences) {
    for (const std::string& path : std::vector<std::string>{
             "/", "/plimad.asp?from=showad", "/plimad.asp?from=shop", "/plimad.asp?from=movie",
             "/plimt.asp?from=shop", "/feedback.htm", "/cartoons/happy-bunny.html",
             std::string("/cartoons/") + kRabbitEncoded + ".html"}) {
        const HttpAnswer answer = HttpFetch::Get(Url(path));
        ASSERT_EQ(answer.code, CURLE_OK) << path << ": " << answer.error;
        EXPECT_EQ(answer.status, 200) << path;
        EXPECT_EQ(answer.Header("content-type"), "text/html; charset=utf-8") << path;
        EXPECT_NE(answer.body.find("<meta charset=\"utf-8\">"), std::string::npos) << path;
        EXPECT_NE(answer.body.find("lang=\"zh-CN\""), std::string::npos) << path;
        // No fonts, scripts, pictures or links from anywhere else.
        EXPECT_EQ(answer.body.find("http:"), std::string::npos) << path;
        EXPECT_EQ(answer.body.find("https:"), std::string::npos) << path;
        EXPECT_EQ(answer.body.find("//"), std::string::npos) << path;
        EXPECT_EQ(answer.body.find("{{"), std::string::npos) << path;
    }
}

TEST_F(DemoServerRoutes, CartoonTitleComesFromTheSlug) {
    const HttpAnswer latin = HttpFetch::Get(Url("/cartoons/happy-little_bunny.html"));
    EXPECT_NE(latin.body.find("<title>happy little bunny</title>"), std::string::npos);
    const HttpAnswer chinese =
        HttpFetch::Get(Url(std::string("/cartoons/") + kRabbitEncoded + ".html"));
    EXPECT_NE(chinese.body.find("<title>小兔子乖乖</title>"), std::string::npos);
    const HttpAnswer hostile = HttpFetch::Get(Url("/cartoons/%3Cscript%3Ex%3C%2Fscript%3E.html"));
    EXPECT_EQ(hostile.status, 200);
    EXPECT_EQ(hostile.body.find("<script>"), std::string::npos);
    EXPECT_NE(hostile.body.find("&lt;script&gt;"), std::string::npos);
}

TEST_F(DemoServerRoutes, UnknownPagesAndQueriesAreNotFound) {
    for (const char* path :
         {"/nothing.html", "/plimad.asp", "/plimad.asp?from=other", "/plimt.asp?from=showad",
          "/cartoons/.html", "/cartoons/x.txt", "/vudevu/fla/"}) {
        EXPECT_EQ(HttpFetch::Get(Url(path)).status, 404) << path;
    }
    EXPECT_EQ(
        HttpFetch::Post(Url("/plimad.asp?from=shop"), "a=b", "application/x-www-form-urlencoded")
            .status,
        404);
}

TEST_F(DemoServerRoutes, DoubledSlashesStillReachThePage) {
    EXPECT_EQ(HttpFetch::Get(Url("//plimad.asp?from=shop")).status, 200);
}

TEST_F(DemoServerRoutes, FeedbackFormPostsBackAndIsLogged) {
    const HttpAnswer form = HttpFetch::Get(Url("/feedback.htm"));
    EXPECT_NE(form.body.find("method=\"post\""), std::string::npos);
    EXPECT_NE(form.body.find("action=\"feedback.htm\""), std::string::npos);
    EXPECT_NE(form.body.find("name=\"message\""), std::string::npos);

    // 你好 <b>
    const HttpAnswer thanks = HttpFetch::Post(
        Url("/feedback.htm"),
        "message=%E4%BD%A0%E5%A5%BD+%3Cb%3E&contact=", "application/x-www-form-urlencoded");
    ASSERT_EQ(thanks.code, CURLE_OK) << thanks.error;
    EXPECT_EQ(thanks.status, 200);
    EXPECT_NE(thanks.body.find("谢谢"), std::string::npos);
    EXPECT_NE(thanks.body.find("你好 &lt;b&gt;"), std::string::npos);
    EXPECT_EQ(thanks.body.find("<b>"), std::string::npos);
    EXPECT_EQ(CountLogLines("POST /feedback.htm message=你好 <b>"), 1);
}

TEST_F(DemoServerRoutes, FeedbackMessageStaysOneLogLine) {
    HttpFetch::Post(Url("/feedback.htm"), "message=line1%0Aline2",
                    "application/x-www-form-urlencoded");
    EXPECT_EQ(CountLogLines("POST /feedback.htm message=line1 line2"), 1);
}

TEST_F(DemoServerRoutes, LogCountsRequestsAndClears) {
    for (int i = 0; i < 3; ++i) HttpFetch::Get(Url("/plimad.asp?from=showad"));
    HttpFetch::Get(Url("/vudevu/fla/%E5%B0%8F.swf"));
    const HttpAnswer log = HttpFetch::Get(Url("/_log"));
    EXPECT_EQ(log.status, 200);
    EXPECT_EQ(log.body,
              "GET /plimad.asp?from=showad\nGET /plimad.asp?from=showad\n"
              "GET /plimad.asp?from=showad\nGET /vudevu/fla/%E5%B0%8F.swf\n");
    EXPECT_EQ(CountLogLines("GET /plimad.asp?from=showad"), 3);

    EXPECT_EQ(HttpFetch::Post(Url("/_log/clear"), "", "text/plain").status, 200);
    EXPECT_TRUE(m_server->RequestLogLines().empty());
    EXPECT_EQ(HttpFetch::Get(Url("/_log")).body, "");
}

TEST_F(DemoServerRoutes, LogKeepsEveryLineUnderConcurrentRequests) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this] {
            for (int i = 0; i < 10; ++i) HttpFetch::Get(Url("/plimt.asp?from=shop"));
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(CountLogLines("GET /plimt.asp?from=shop"), 40);
}

TEST_F(DemoServerRoutes, IndexListsTitles) {
    AddTitle("小兔子乖乖", 10);
    AddTitle("<odd>", 10);
    const HttpAnswer index = HttpFetch::Get(Url("/"));
    EXPECT_NE(index.body.find("<li>小兔子乖乖</li>"), std::string::npos);
    EXPECT_NE(index.body.find("<li>&lt;odd&gt;</li>"), std::string::npos);
}

TEST(DemoServerLifecycle, RefusesAddressesOffTheLoopback) {
    const std::string www = std::string(ZORBEL_SOURCE_DIR) + "/tools/demo_server/www";
    for (const char* address :
         {"0.0.0.0", "192.168.1.10", "10.0.0.1", "::", "localhost", "", "127.0.0.1 "}) {
        DemoServerOptions options;
        options.bindAddress = address;
        options.contentDir = www;
        options.wwwDir = www;
        DemoServer server(options);
        const auto started = server.Start();
        EXPECT_FALSE(started.ok()) << address;
        EXPECT_FALSE(server.IsRunning()) << address;
    }
}

TEST(DemoServerLifecycle, RefusesMissingFoldersAndABusyPort) {
    const std::string www = std::string(ZORBEL_SOURCE_DIR) + "/tools/demo_server/www";
    DemoServerOptions options;
    options.contentDir = www + "/no-such-folder";
    options.wwwDir = www;
    EXPECT_FALSE(DemoServer(options).Start().ok());
    options.contentDir = www;
    options.wwwDir = www + "/no-such-folder";
    EXPECT_FALSE(DemoServer(options).Start().ok());

    options.wwwDir = www;
    DemoServer first(options);
    const auto started = first.Start();
    ASSERT_TRUE(started.ok()) << started.error;
    EXPECT_FALSE(first.Start().ok()) << "a second Start on a running server";
    options.port = started.port;
    DemoServer second(options);
    const auto again = second.Start();
    EXPECT_FALSE(again.ok()) << "two servers on one port";
}

TEST(DemoServerLifecycle, StopsAndStartsAgain) {
    const std::string www = std::string(ZORBEL_SOURCE_DIR) + "/tools/demo_server/www";
    DemoServerOptions options;
    options.contentDir = www;
    options.wwwDir = www;
    DemoServer server(options);
    server.Stop();
    ASSERT_TRUE(server.Start().ok());
    EXPECT_EQ(HttpFetch::Get(server.BaseUrl() + "/feedback.htm").status, 200);
    server.Stop();
    server.Stop();
    EXPECT_FALSE(server.IsRunning());
    EXPECT_EQ(server.Port(), 0);
    const auto restarted = server.Start();
    ASSERT_TRUE(restarted.ok()) << restarted.error;
    EXPECT_EQ(HttpFetch::Get(server.BaseUrl() + "/feedback.htm").status, 200);
}

}  // namespace
}  // namespace zorbel::test
