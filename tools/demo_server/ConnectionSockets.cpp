#include "tools/demo_server/ConnectionSockets.h"

#include "tools/demo_server/StopSignal.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zorbel::demo {

namespace {

bool EndPoint(int fd, bool peer, std::string& addr, int& port) {
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    const int rc = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&ss), &len)
                        : ::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
    if (rc != 0) return false;
    char text[INET6_ADDRSTRLEN] = {};
    if (ss.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&ss);
        ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        port = ntohs(in->sin_port);
    } else if (ss.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&ss);
        ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        port = ntohs(in6->sin6_port);
    } else {
        return false;
    }
    addr = text;
    return true;
}

bool IsConnectedTcp(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return false;
    int listening = 0;
    socklen_t len = sizeof listening;
    if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &len) != 0 || listening)
        return false;
    int type = 0;
    len = sizeof type;
    return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) == 0 && type == SOCK_STREAM;
}

std::vector<int> OpenDescriptors() {
    std::vector<int> fds;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return fds;
    const int own = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && fd != own) fds.push_back(static_cast<int>(fd));
    }
    ::closedir(dir);
    return fds;
}

// Calls action with a duplicate of each connected socket whose ends match; the duplicate is
// closed afterwards. An empty peerAddr matches any peer. Stops at the first match when asked.
int ForEachConnection(const std::string& localAddr, int localPort, const std::string& peerAddr,
                      int peerPort, bool firstOnly, const std::function<void(int)>& action) {
    int matched = 0;
    for (const int fd : OpenDescriptors()) {
        const int dup = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (dup < 0) continue;
        std::string addr;
        int port = 0;
        bool match = IsConnectedTcp(dup) && EndPoint(dup, false, addr, port) && port == localPort &&
                     addr == localAddr;
        if (match && !peerAddr.empty())
            match = EndPoint(dup, true, addr, port) && port == peerPort && addr == peerAddr;
        if (match) {
            action(dup);
            ++matched;
        }
        ::close(dup);
        if (match && firstOnly) break;
    }
    return matched;
}

}  // namespace

bool ConnectionSockets::Reset(const std::string& localAddr, int localPort,
                              const std::string& peerAddr, int peerPort, const StopSignal& stop) {
    if (peerAddr.empty()) return false;
    const int found =
        ForEachConnection(localAddr, localPort, peerAddr, peerPort, true, [&](int fd) {
            // A reset throws away whatever is still queued, so let the peer have the bytes that
            // were promised first. A peer that stops reading is not waited for beyond the bound.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            int queued = 0;
            while (::ioctl(fd, SIOCOUTQ, &queued) == 0 && queued > 0 && !stop.IsRaised() &&
                   std::chrono::steady_clock::now() < deadline)
                ::usleep(2000);
            // Connecting a TCP socket to AF_UNSPEC disconnects it abortively: the peer gets a RST.
            sockaddr unspec{};
            unspec.sa_family = AF_UNSPEC;
            ::connect(fd, &unspec, sizeof unspec);
        });
    return found > 0;
}

int ConnectionSockets::ShutdownAccepted(const std::string& localAddr, int localPort) {
    return ForEachConnection(localAddr, localPort, std::string(), 0, false,
                             [](int fd) { ::shutdown(fd, SHUT_RDWR); });
}

}  // namespace zorbel::demo
