#include "bench/support/XServerCpu.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace zorbel::bench {
namespace {

std::vector<std::string> CommandLine(const std::string& pid) {
    std::ifstream file("/proc/" + pid + "/cmdline", std::ios::binary);
    std::vector<std::string> args;
    std::string arg;
    while (std::getline(file, arg, '\0')) args.push_back(arg);
    return args;
}

bool IsServerOf(const std::vector<std::string>& args, const std::string& display) {
    if (args.empty()) return false;
    const std::string name = args[0].substr(args[0].rfind('/') + 1);
    if (name != "Xvfb" && name != "Xorg" && name != "X") return false;
    for (const std::string& arg : args)
        if (arg == display) return true;
    return false;
}

// The server's process id, looked for once.
long ServerPid() {
    static const long pid = [] {
        const char* env = std::getenv("DISPLAY");
        if (env == nullptr) return -1L;
        std::string display = env;
        // ":101.0" and "localhost:101" name the server ":101".
        const std::size_t colon = display.find(':');
        if (colon == std::string::npos) return -1L;
        display = display.substr(colon);
        display = display.substr(0, display.find('.'));
        DIR* proc = opendir("/proc");
        if (proc == nullptr) return -1L;
        long found = -1;
        while (dirent* entry = readdir(proc)) {
            const std::string name = entry->d_name;
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            if (IsServerOf(CommandLine(name), display)) {
                found = std::atol(name.c_str());
                break;
            }
        }
        closedir(proc);
        return found;
    }();
    return pid;
}

}  // namespace

double XServerCpuMs() {
    const long pid = ServerPid();
    if (pid < 0) return -1;
    // Each thread's time on a processor in nanoseconds, the first field of its schedstat
    // (the clock ticks of /proc/PID/stat are too coarse for one run).
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) return -1;
    double ns = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream file(tasks + "/" + entry->d_name + "/schedstat");
        unsigned long long onCpu = 0;
        if (file >> onCpu) ns += static_cast<double>(onCpu);
    }
    closedir(dir);
    return ns / 1e6;
}

}  // namespace zorbel::bench
