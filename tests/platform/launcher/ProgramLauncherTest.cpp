// Starting the updater: a stand-in "Tarnup.exe" on a temporary PATH records what it was given.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ProgramLauncher.h"
#include "tests/platform/TempDir.h"

using zorbel::LaunchCommandLine;

namespace {

// What one run of the stand-in program recorded.
struct Recorded {
    long pid = 0;
    std::vector<std::string> arguments;
};

class ProgramLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        bin_ = dir_.File("bin");
        std::filesystem::create_directory(bin_);
        const char* path = getenv("PATH");
        oldPath_ = path != nullptr ? path : "";
        setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", oldPath_.c_str(), 1); }

    // A program on PATH that writes its pid and its arguments (one a line) into `record`; when
    // `gate` is given it first waits (up to ten seconds) until that file exists.
    void InstallRecorder(const std::string& name, const std::string& record,
                         const std::string& gate = "") {
        const std::string script = bin_ + "/" + name;
        std::ofstream out(script);
        out << "#!/bin/sh\n";
        if (!gate.empty()) {
            out << "n=0\nwhile [ ! -e '" << gate << "' ] && [ $n -lt 1000 ]; do\n"
                << "  sleep 0.01; n=$((n+1))\ndone\n";
        }
        out << "{ echo $$; for a in \"$@\"; do\n"
            << "  printf '%s\\n' \"$a\"; done; } > '" << record << ".part'\n"
            << "mv '" << record << ".part' '" << record << "'\n";
        out.close();
        chmod(script.c_str(), 0755);
    }

    static bool WaitFor(const std::function<bool()>& cond) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!cond()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static Recorded ReadRun(const std::string& record) {
        Recorded run;
        std::ifstream in(record);
        std::string line;
        std::getline(in, line);
        run.pid = std::stol(line);
        while (std::getline(in, line)) run.arguments.push_back(line);
        return run;
    }

    // Launches and returns what the stand-in recorded.
    Recorded LaunchAndRecord(const std::string& commandLine) {
        const std::string record = dir_.File("record-" + std::to_string(++runs_));
        InstallRecorder("Tarnup.exe", record);
        EXPECT_TRUE(LaunchCommandLine(commandLine)) << commandLine;
        EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(record); })) << commandLine;
        return std::filesystem::exists(record) ? ReadRun(record) : Recorded{};
    }

    // The process's state letter from /proc, or 0 once it is gone (reaped).
    static char ProcessState(long pid) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string stat;
        if (!std::getline(in, stat)) return 0;
        auto close = stat.rfind(')');
        return close != std::string::npos && close + 2 < stat.size() ? stat[close + 2] : '?';
    }

    zorbel::test::TempDir dir_;
    std::string bin_;
    std::string oldPath_;
    int runs_ = 0;
};

}  // namespace

TEST_F(ProgramLauncherTest, UpdaterReceivesTheWordsOfItsCommandLine) {
    EXPECT_EQ(LaunchAndRecord("Tarnup.exe zorbel").arguments, (std::vector<std::string>{"zorbel"}));
    EXPECT_EQ(LaunchAndRecord("Tarnup.exe zorbel -n").arguments,
              (std::vector<std::string>{"zorbel", "-n"}));
    // An executable name with a blank is passed as it stands and falls apart in two.
    EXPECT_EQ(LaunchAndRecord("Tarnup.exe my app").arguments,
              (std::vector<std::string>{"my", "app"}));
    EXPECT_EQ(LaunchAndRecord("Tarnup.exe   my\tapp  -n ").arguments,
              (std::vector<std::string>{"my", "app", "-n"}));
}

TEST_F(ProgramLauncherTest, ReturnsWithoutWaitingAndLeavesNoZombie) {
    const std::string record = dir_.File("record");
    const std::string gate = dir_.File("gate");
    InstallRecorder("Tarnup.exe", record, gate);
    ASSERT_TRUE(LaunchCommandLine("Tarnup.exe zorbel"));
    // Still held at the gate: the launch did not wait for the program.
    EXPECT_FALSE(std::filesystem::exists(record));
    std::ofstream(gate).close();
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(record); }));

    const long pid = ReadRun(record).pid;
    ASSERT_GT(pid, 0);
    // Once it has ended it must be gone entirely, not stay behind as a zombie ('Z').
    EXPECT_TRUE(WaitFor([&] { return ProcessState(pid) == 0; }))
        << "state of " << pid << ": " << ProcessState(pid);
}

TEST_F(ProgramLauncherTest, ChildStartsWithNoSignalsBlocked) {
    // The launched program itself reports its mask: a shell in between would report its own.
    std::filesystem::create_symlink(ZORBEL_SIGNAL_MASK_RECORDER, bin_ + "/Tarnup.exe");
    const std::string record = dir_.File("mask");
    sigset_t block;
    sigset_t previous;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    sigaddset(&block, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &block, &previous);
    const bool launched = LaunchCommandLine("Tarnup.exe " + record);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ASSERT_TRUE(launched);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(record); }));
    std::ifstream in(record);
    std::string blocked;
    std::getline(in, blocked);
    EXPECT_EQ(blocked, "SigBlk:\t0000000000000000");
}

TEST_F(ProgramLauncherTest, ProgramThatCannotRunGivesFalse) {
    // Not on PATH at all.
    EXPECT_FALSE(LaunchCommandLine("Tarnup.exe zorbel"));
    EXPECT_FALSE(LaunchCommandLine("Tarnup.exe zorbel -n"));
    // On PATH but not executable.
    std::ofstream(bin_ + "/Tarnup.exe") << "#!/bin/sh\n";
    chmod((bin_ + "/Tarnup.exe").c_str(), 0644);
    EXPECT_FALSE(LaunchCommandLine("Tarnup.exe zorbel"));
    // Nothing to start.
    EXPECT_FALSE(LaunchCommandLine(""));
    EXPECT_FALSE(LaunchCommandLine("   \t "));
    EXPECT_FALSE(LaunchCommandLine("\"\" zorbel"));
}
