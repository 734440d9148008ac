#include "tools/demo_server/DemoServer.h"

#include "tools/demo_server/ConnectionSockets.h"
#include "tools/demo_server/FaultPlan.h"
#include "tools/demo_server/ReplySender.h"
#include "tools/demo_server/RequestLog.h"
#include "tools/demo_server/SiteRoutes.h"
#include "tools/demo_server/StopSignal.h"
#include "tools/demo_server/TextCoding.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace zorbel::demo {

namespace {

constexpr std::size_t kWorkerThreads = 24;
constexpr std::size_t kMaxRequestBody = 1024 * 1024;

// Loopback literal addresses only, written in their canonical form; empty for anything else.
std::string CanonicalLoopback(const std::string& address) {
    char text[INET6_ADDRSTRLEN] = {};
    in_addr v4{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        if ((ntohl(v4.s_addr) >> 24) != 127) return std::string();
        return ::inet_ntop(AF_INET, &v4, text, sizeof text) ? text : std::string();
    }
    in6_addr v6{};
    if (::inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6))
        return ::inet_ntop(AF_INET6, &v6, text, sizeof text) ? text : std::string();
    return std::string();
}

std::string CollapseSlashes(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    return out;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

Reply PlainReply(int status, const std::string& text) {
    Reply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = BodySource::FromText(text);
    return reply;
}

}  // namespace

class DemoServer::Impl {
public:
    explicit Impl(DemoServerOptions options) : options(std::move(options)) {}

    void Handle(const httplib::Request& req, httplib::Response& res);

    DemoServerOptions options;
    RequestLog log;
    mutable std::mutex lifecycle;
    std::unique_ptr<httplib::Server> server;
    std::shared_ptr<StopSignal> stop;
    std::unique_ptr<SiteRoutes> routes;
    std::thread thread;
    std::future<void> finished;
    std::string address;
    int port = 0;
    std::shared_ptr<std::atomic<std::uint64_t>> bodyBytes =
        std::make_shared<std::atomic<std::uint64_t>>(0);
};

void DemoServer::Impl::Handle(const httplib::Request& req, httplib::Response& res) {
    const std::string& target = req.target;
    const std::size_t question = target.find('?');
    const std::string rawPath = target.substr(0, question);
    const std::string query =
        question == std::string::npos ? std::string() : target.substr(question + 1);
    const bool post = req.method == "POST";

    if (!post && rawPath == "/_log") {
        res.set_header("Cache-Control", "no-store");
        res.set_content(log.Text(), "text/plain; charset=utf-8");
        return;
    }
    if (post && rawPath == "/_log/clear") {
        log.Clear();
        res.set_content("cleared\n", "text/plain; charset=utf-8");
        return;
    }

    std::string line = req.method + " " + TextCoding::SingleLine(target);
    FaultPlan plan;
    std::string path;
    std::string error;
    if (!FaultPlan::Parse(rawPath, plan, path, error)) {
        log.Add(line);
        ReplySender::Send(PlainReply(400, "400 " + error + "\n"), FaultPlan(), stop, req, res);
        return;
    }
    path = CollapseSlashes(path);

    Reply reply;
    if (post) {
        std::string note;
        reply = routes->Post(path, req.get_header_value("Content-Type"), req.body, note);
        if (!note.empty()) line += " " + note;
        log.Add(line);
    } else {
        log.Add(line);
    }

    if (plan.delay.count() > 0 && !stop->WaitFor(plan.delay)) {
        res.status = 503;
        return;
    }
    // Ranges are this server's business (titles only), never the library's: it would cut a
    // piece out of any answer, error pages and faults included.
    const_cast<httplib::Request&>(req).ranges.clear();
    if (!post) reply = routes->Get(path, query, req.get_header_value("Host"));
    if (!reply.titleFile.empty() && reply.status == 200) routes->Titles().Apply(req, plan, reply);
    if (plan.status) reply = PlainReply(plan.status, std::to_string(plan.status) + " as asked\n");
    if (plan.syntheticSize) {
        if (!plan.status) reply.status = 200;
        reply.headers.clear();
        reply.contentType =
            EndsWith(path, ".swf") ? SiteRoutes::kFlashType : "application/octet-stream";
        reply.body = BodySource::Synthetic(*plan.syntheticSize);
    }
    ReplySender::Send(reply, plan, stop, req, res, bodyBytes);
}

DemoServer::DemoServer(DemoServerOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {}

DemoServer::~DemoServer() {
    Stop();
}

DemoServerStart DemoServer::Start() {
    Impl& d = *m_impl;
    std::lock_guard<std::mutex> lock(d.lifecycle);
    DemoServerStart result;
    if (d.server) {
        result.error = "already running on port " + std::to_string(d.port);
        return result;
    }
    const std::string address = CanonicalLoopback(d.options.bindAddress);
    if (address.empty()) {
        result.error = "refusing to listen on '" + d.options.bindAddress +
                       "': only loopback addresses such as 127.0.0.1 are allowed";
        return result;
    }
    if (d.options.port < 0 || d.options.port > 65535) {
        result.error = "port " + std::to_string(d.options.port) + " is out of range";
        return result;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(d.options.contentDir, ec)) {
        result.error = "content folder '" + d.options.contentDir + "' is not a folder";
        return result;
    }
    if (!std::filesystem::is_directory(d.options.wwwDir, ec)) {
        result.error = "www folder '" + d.options.wwwDir + "' is not a folder";
        return result;
    }

    auto server = std::make_unique<httplib::Server>();
    // The library's default also sets SO_REUSEPORT, which would let a second server share the
    // port silently instead of failing to start.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server->set_keep_alive_timeout(2);
    server->set_keep_alive_max_count(1000);
    server->set_payload_max_length(kMaxRequestBody);
    server->set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            res.status = 500;
            res.set_content("500 internal error\n", "text/plain; charset=utf-8");
        });
    Impl* impl = m_impl.get();
    const auto handler = [impl](const httplib::Request& req, httplib::Response& res) {
        impl->Handle(req, res);
    };
    // The library matches its patterns against the decoded path, which may hold any byte.
    server->Get(R"([\s\S]*)", handler);
    server->Post(R"([\s\S]*)", handler);

    int port = d.options.port;
    if (port == 0)
        port = server->bind_to_any_port(address);
    else if (!server->bind_to_port(address, port))
        port = -1;
    if (port <= 0) {
        result.error = "cannot listen on " + address + ":" + std::to_string(d.options.port) +
                       " (is the port in use?)";
        return result;
    }

    d.stop = std::make_shared<StopSignal>();
    d.routes = std::make_unique<SiteRoutes>(d.options.contentDir, d.options.wwwDir, port);
    d.address = address;
    d.port = port;
    std::promise<void> done;
    d.finished = done.get_future();
    httplib::Server* raw = server.get();
    d.server = std::move(server);
    d.thread = std::thread([raw, done = std::move(done)]() mutable {
        raw->listen_after_bind();
        done.set_value();
    });
    // A stop before the accept loop runs would go unnoticed by the library and leave the loop
    // running for ever, so Start returns only once it runs.
    while (!raw->is_running() &&
           d.finished.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    }
    result.port = port;
    return result;
}

void DemoServer::Stop() {
    Impl& d = *m_impl;
    std::lock_guard<std::mutex> lock(d.lifecycle);
    if (!d.server) return;
    d.stop->Raise();
    d.server->stop();
    // Workers may sit on idle keep-alive connections or on peers that stopped reading; shutting
    // those sockets down wakes them now rather than at their time-outs.
    do {
        ConnectionSockets::ShutdownAccepted(d.address, d.port);
    } while (d.finished.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready);
    d.thread.join();
    d.server.reset();
    d.routes.reset();
    d.port = 0;
}

bool DemoServer::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_impl->lifecycle);
    return m_impl->server != nullptr;
}

int DemoServer::Port() const {
    std::lock_guard<std::mutex> lock(m_impl->lifecycle);
    return m_impl->port;
}

std::string DemoServer::BaseUrl() const {
    std::lock_guard<std::mutex> lock(m_impl->lifecycle);
    const std::string host = m_impl->address.find(':') == std::string::npos
                                 ? m_impl->address
                                 : "[" + m_impl->address + "]";
    return "http://" + host + ":" + std::to_string(m_impl->port);
}

std::vector<std::string> DemoServer::RequestLogLines() const {
    return m_impl->log.Lines();
}

std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>>
DemoServer::RequestLogTimes() const {
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> lines;
    for (auto& entry : m_impl->log.Entries()) lines.emplace_back(std::move(entry.line), entry.at);
    return lines;
}

std::uint64_t DemoServer::BodyBytesSent() const {
    return m_impl->bodyBytes->load();
}

void DemoServer::ClearRequestLog() {
    m_impl->log.Clear();
}

}  // namespace zorbel::demo
