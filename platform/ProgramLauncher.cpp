#include "platform/ProgramLauncher.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <system_error>
#include <thread>

extern char** environ;

namespace zorbel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The child starts from a clean slate: no signals blocked or ignored by whichever thread of
// ours started it, and a process group of its own, so that a terminal's Ctrl+C aimed at this
// program does not take the updater with it.
bool PrepareAttributes(posix_spawnattr_t* attributes) {
    if (posix_spawnattr_init(attributes) != 0) return false;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(attributes, &none);
    posix_spawnattr_setsigdefault(attributes, &all);
    posix_spawnattr_setpgroup(attributes, 0);
    posix_spawnattr_setflags(
        attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    return true;
}

void Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
    }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    const size_t n = commandLine.size();
    size_t i = 0;
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) break;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(commandLine[i]))) {
            char c = commandLine[i];
            if (c == '\\') {
                size_t backslashes = 0;
                while (i < n && commandLine[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < n && commandLine[i] == '"') {
                    word.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                    // An even count leaves the quote to the quote rule below.
                } else {
                    word.append(backslashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    word += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            word += c;
            ++i;
        }
        words.push_back(std::move(word));
    }
    return words;
}

bool LaunchCommandLine(const std::string& commandLine) {
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty() || words.front().empty()) return false;
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (!PrepareAttributes(&attributes)) return false;
    pid_t pid = 0;
    // glibc reports a failed exec here (and reaps that child itself), so "not found" and
    // "not executable" come back as errors rather than as a child that exits with 127.
    int error = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return false;

    // A thread of its own waits for this one child only, so the toolkit's handling of its own
    // children (and of SIGCHLD) is left undisturbed.
    try {
        std::thread(Reap, pid).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the child still runs; it is reaped when this process ends.
    }
    return true;
}

}  // namespace zorbel
