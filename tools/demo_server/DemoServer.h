#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zorbel::demo {

struct DemoServerOptions {
    // Only loopback addresses are accepted: the server is for this machine's tests and demos.
    std::string bindAddress = "127.0.0.1";
    // 0 picks a free port.
    int port = 0;
    // Folder with the title files, "<name>.swf".
    std::string contentDir;
    // Folder with the page templates (a copy of tools/demo_server/www).
    std::string wwwDir;
};

// Outcome of Start: the bound port, or why the server could not start.
struct DemoServerStart {
    int port = 0;
    std::string error;
    bool ok() const { return error.empty(); }
};

// Plays the content server, the maker's web site and the maker's web server on the loopback
// interface, with misbehaviour on request ("/_fault/<kind>[/<arg>]" in front of any path) and a
// request log ("/_log", "/_log/clear") for tests.
class DemoServer {
public:
    static constexpr int kDefaultPort = 8517;

    explicit DemoServer(DemoServerOptions options);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Binds and starts serving on a thread of its own; returns once connections are accepted.
    DemoServerStart Start();
    // Ends every request in progress (delays and slow transfers included) and returns when all
    // threads have finished. Safe to call twice, or without a Start.
    void Stop();
    bool IsRunning() const;
    // The bound port, 0 when not running.
    int Port() const;
    // "http://127.0.0.1:PORT"
    std::string BaseUrl() const;

    // One line per request: "METHOD TARGET" with the target as received (path and query), and
    // for a feedback post " message=<text>".
    std::vector<std::string> RequestLogLines() const;
    // The same lines with the moment each request arrived (its headers read), steady clock.
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> RequestLogTimes()
        const;
    void ClearRequestLog();
    // Body bytes streamed out since the server was made (titles and other files; small pages
    // sent whole are not counted).
    std::uint64_t BodyBytesSent() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zorbel::demo
