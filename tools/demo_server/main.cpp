// zorbel-demo-server: the content server and the maker's web site and web server on the
// loopback interface, for trying the program out and for its tests.
#include "tools/demo_server/DemoServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

#ifndef ZORBEL_DEMO_DEFAULT_DIR
#define ZORBEL_DEMO_DEFAULT_DIR "demo"
#endif

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: zorbel-demo-server [--port N] [--content DIR] [--www DIR]\n"
                 "  --port N       port on 127.0.0.1 (default %d, 0 picks a free one)\n"
                 "  --content DIR  folder with the title files <name>.swf (default %s/content)\n"
                 "  --www DIR      folder with the page templates (default %s/www)\n"
                 "Runs until SIGINT or SIGTERM.\n",
                 zorbel::demo::DemoServer::kDefaultPort, ZORBEL_DEMO_DEFAULT_DIR,
                 ZORBEL_DEMO_DEFAULT_DIR);
}

bool ParsePort(const char* text, int& port) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 65535) return false;
    port = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    zorbel::demo::DemoServerOptions options;
    options.port = zorbel::demo::DemoServer::kDefaultPort;
    options.contentDir = std::string(ZORBEL_DEMO_DEFAULT_DIR) + "/content";
    options.wwwDir = std::string(ZORBEL_DEMO_DEFAULT_DIR) + "/www";

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (i + 1 >= argc || (arg != "--port" && arg != "--content" && arg != "--www")) {
            std::fprintf(stderr, "zorbel-demo-server: unexpected argument '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--port") {
            if (!ParsePort(value, options.port)) {
                std::fprintf(stderr, "zorbel-demo-server: bad port '%s'\n", value);
                return 2;
            }
        } else if (arg == "--content") {
            options.contentDir = value;
        } else {
            options.wwwDir = value;
        }
    }

    // The signals are taken by sigwait below; blocking them before any thread starts keeps the
    // server's threads from being picked to receive them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    zorbel::demo::DemoServer server(options);
    const zorbel::demo::DemoServerStart started = server.Start();
    if (!started.ok()) {
        std::fprintf(stderr, "zorbel-demo-server: %s\n", started.error.c_str());
        return 1;
    }
    std::printf("listening on %s\n", server.BaseUrl().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    return 0;
}
