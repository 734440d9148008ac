#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/VelaspiderApp.h"

namespace {

// A loopback HTTP server on a free port, one connection at a time. The handler turns a
// request path into the raw answer; kHang keeps the connection open without answering.
class LocalServer {
public:
    static constexpr const char* kHang = "<hang>";
    using Handler = std::function<std::string(const std::string& path)>;

    explicit LocalServer(Handler handler) : m_handler(std::move(handler)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::listen(m_listen, 16) == 0) {
            socklen_t len = sizeof addr;
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
            m_port = ntohs(addr.sin_port);
        }
        m_thread = std::thread([this] { Serve(); });
    }

    ~LocalServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }

    int Port() const { return m_port; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    static std::string Answer(int status, const std::string& body, const std::string& extra = "") {
        return "HTTP/1.1 " + std::to_string(status) +
               " X\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n" + extra + "\r\n" + body;
    }

private:
    bool WaitReadable(int fd) {
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            int r = ::poll(&p, 1, 20);
            if (r > 0) return true;
            if (r < 0) return false;
        }
        return false;
    }

    void Serve() {
        while (WaitReadable(m_listen)) {
            int conn = ::accept(m_listen, nullptr, nullptr);
            if (conn < 0) continue;
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(conn)) {
                ssize_t n = ::recv(conn, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<std::size_t>(n));
                if (request.size() > 65536) break;
            }
            std::string path;
            if (request.compare(0, 4, "GET ") == 0)
                path = request.substr(4, request.find(' ', 4) - 4);
            const std::string answer = path.empty() ? std::string() : m_handler(path);
            if (answer == kHang) {
                // Until the client gives up.
                while (WaitReadable(conn) && ::recv(conn, buf, sizeof buf, 0) > 0) {
                }
            } else {
                std::size_t sent = 0;
                while (sent < answer.size()) {
                    ssize_t n =
                        ::send(conn, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0) break;
                    sent += static_cast<std::size_t>(n);
                }
            }
            ::close(conn);
        }
    }

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

const std::string kList = "<R><File Text=\"广告\" Url=\"http://a/\"/></R>";

std::string Route(const std::string& path) {
    if (path == "/ada.html") return LocalServer::Answer(200, kList);
    if (path == "/empty") return LocalServer::Answer(200, "");
    if (path == "/missing") return LocalServer::Answer(404, "<html>not here</html>");
    if (path == "/broken") return LocalServer::Answer(500, "oops");
    if (path == "/exact") return LocalServer::Answer(200, std::string(1000, 'e'));
    if (path == "/big") return LocalServer::Answer(200, std::string(1001, 'b'));
    if (path == "/big-unannounced")
        return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(200000, 'u');
    if (path == "/to-list") return LocalServer::Answer(302, "", "Location: /ada.html\r\n");
    if (path == "/to-file") return LocalServer::Answer(302, "", "Location: file:///etc/passwd\r\n");
    if (path == "/loop") return LocalServer::Answer(302, "", "Location: /loop\r\n");
    if (path == "/hang") return LocalServer::kHang;
    return LocalServer::Answer(404, "");
}

CVelaspiderApp::Options Quick() {
    CVelaspiderApp::Options options;
    options.connectTimeoutMs = 1000;
    options.totalTimeoutMs = 1500;
    options.maxBytes = 1000;
    return options;
}

TEST(VelaspiderApp, FetchesTheDocumentText) {
    LocalServer server(Route);
    CVelaspiderApp spider(Quick());
    EXPECT_EQ(spider.FetchPage(server.Url("/ada.html")), kList);
    EXPECT_EQ(spider.FetchPage(server.Url("/to-list")), kList);
    EXPECT_EQ(spider.FetchPage(server.Url("/exact")), std::string(1000, 'e'));
    EXPECT_EQ(spider.FetchPage(server.Url("/empty")), "");
}

TEST(VelaspiderApp, AnyFailureGivesTheEmptyText) {
    LocalServer server(Route);
    CVelaspiderApp spider(Quick());
    for (const char* path :
         {"/missing", "/broken", "/big", "/big-unannounced", "/to-file", "/loop", "/hang"})
        EXPECT_EQ(spider.FetchPage(server.Url(path)), "") << path;
    // TLS towards a server that speaks plain HTTP.
    EXPECT_EQ(spider.FetchPage("https://127.0.0.1:" + std::to_string(server.Port()) + "/ada.html"),
              "");
}

TEST(VelaspiderApp, OnlyWebAddressesAreFetched) {
    CVelaspiderApp spider(Quick());
    for (const std::string& url :
         {std::string(), std::string("file:///etc/hostname"), std::string("/etc/hostname"),
          std::string("ftp://127.0.0.1/x"), std::string("dict://127.0.0.1/x"),
          std::string("not an address"), std::string("http://127.0.0.1:1/"),
          std::string("http://127.0.0.1/\0x", 19)})
        EXPECT_EQ(spider.FetchPage(url), "") << url;
}

TEST(VelaspiderApp, DefaultOptionsApplyToNewObjectsAndThreadsFetchAtOnce) {
    LocalServer server(Route);
    const CVelaspiderApp::Options saved = CVelaspiderApp::DefaultOptions();
    CVelaspiderApp::Options small = Quick();
    small.maxBytes = 10;
    CVelaspiderApp::SetDefaultOptions(small);
    EXPECT_EQ(CVelaspiderApp().FetchPage(server.Url("/ada.html")), "");
    CVelaspiderApp::SetDefaultOptions(saved);
    EXPECT_EQ(CVelaspiderApp().FetchPage(server.Url("/ada.html")), kList);

    std::vector<std::string> results(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i)
        threads.emplace_back(
            [&, i] { results[i] = CVelaspiderApp(Quick()).FetchPage(server.Url("/ada.html")); });
    for (std::thread& t : threads) t.join();
    for (const std::string& r : results) EXPECT_EQ(r, kList);
}

}  // namespace
