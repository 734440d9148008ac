// zorbel-send as the updater would use it: a separate process that finds the instance by its
// marker and delivers bytes to the instance's receiver.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>

#include "platform/x11/CopyDataReceiver.h"
#include "platform/x11/CopyDataText.h"
#include "platform/x11/InstanceMarker.h"
#include "tests/support/WindowTestSupport.h"

extern char** environ;

using zorbel::x11::CCopyDataReceiver;
using zorbel::x11::CInstanceMarker;
using namespace std::chrono_literals;

namespace {

// Runs zorbel-send with the arguments while this thread handles events; its exit status,
// or -1 when it could not be run or did not end.
int RunZorbelSend(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{ZORBEL_SEND_EXE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    bool ended =
        zorbel::test::PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20000ms);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ZorbelSendTest : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = "zorbel_sendtest_" + std::to_string(getpid()) + "_" + std::to_string(++count_);
        dialog_ = std::make_unique<wxDialog>(nullptr, wxID_ANY, "instance");
        receiver_ = std::make_unique<CCopyDataReceiver>(
            dialog_.get(), [this](unsigned long dwData, const std::vector<uint8_t>& bytes) {
                dwData_.push_back(dwData);
                bytes_.push_back(bytes);
            });
        ASSERT_TRUE(CInstanceMarker::Set(dialog_.get(), name_));
    }
    void TearDown() override {
        receiver_.reset();
        dialog_.reset();
    }

    bool LastQuits() const {
        return !bytes_.empty() && zorbel::IsUpdaterQuitMessage(
                                      zorbel::CopyDataText(bytes_.back(), bytes_.back().size()));
    }

    static int count_;
    std::string name_;
    std::unique_ptr<wxDialog> dialog_;
    std::unique_ptr<CCopyDataReceiver> receiver_;
    std::vector<unsigned long> dwData_;
    std::vector<std::vector<uint8_t>> bytes_;
};

int ZorbelSendTest::count_ = 0;

}  // namespace

TEST_F(ZorbelSendTest, DeliversTheUpdaterTextWithTheGivenLength) {
    EXPECT_EQ(RunZorbelSend({"--name", name_, "Tarnup is ok!"}), 0);
    ASSERT_EQ(bytes_.size(), 1u);
    EXPECT_EQ(bytes_.back().size(), 14u);  // the text and its zero byte
    EXPECT_TRUE(LastQuits());

    EXPECT_EQ(RunZorbelSend({"--name", name_, "--length", "13", "Tarnup is ok!"}), 0);
    ASSERT_EQ(bytes_.size(), 2u);
    EXPECT_EQ(bytes_.back().size(), 13u);
    EXPECT_TRUE(LastQuits());

    EXPECT_EQ(RunZorbelSend({"--name", name_, "--length", "12", "Tarnup is ok!"}), 0);
    ASSERT_EQ(bytes_.size(), 3u);
    EXPECT_EQ(bytes_.back().size(), 12u);
    EXPECT_FALSE(LastQuits());

    EXPECT_EQ(RunZorbelSend({"--name", name_, "--length", "14", "Tarnup is ok!!"}), 0);
    ASSERT_EQ(bytes_.size(), 4u);
    EXPECT_FALSE(LastQuits());

    EXPECT_EQ(RunZorbelSend({"--name", name_, "--dwdata", "4660", "x"}), 0);
    ASSERT_EQ(dwData_.size(), 5u);
    EXPECT_EQ(dwData_.back(), 4660u);
}

TEST_F(ZorbelSendTest, ExitStatusTellsNoInstanceFromNoAnswer) {
    EXPECT_EQ(RunZorbelSend({"--name", name_ + "_absent", "Tarnup is ok!"}), 1);
    // The instance is there but does not answer.
    receiver_.reset();
    EXPECT_EQ(RunZorbelSend({"--name", name_, "--timeout", "300", "Tarnup is ok!"}), 2);
    // A malformed command line.
    EXPECT_EQ(RunZorbelSend({"--length"}), 2);
    EXPECT_TRUE(bytes_.empty());
}
