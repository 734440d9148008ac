// The autostart entry in the freedesktop autostart folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Autostart.h"
#include "tests/platform/TempDir.h"

namespace autostart = zorbel::autostart;
using autostart::Result;

namespace {

const std::string kName = "儿童游戏";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Points XDG_CONFIG_HOME (and HOME) at fresh folders for one test.
class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        SaveEnv("XDG_CONFIG_HOME", m_savedConfig, m_hadConfig);
        SaveEnv("HOME", m_savedHome, m_hadHome);
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        setenv("HOME", m_home.Path().c_str(), 1);
    }
    void TearDown() override {
        RestoreEnv("XDG_CONFIG_HOME", m_savedConfig, m_hadConfig);
        RestoreEnv("HOME", m_savedHome, m_hadHome);
    }

    std::string Folder() const { return m_config.Path() + "/autostart"; }
    std::string Entry() const { return Folder() + "/儿童游戏.desktop"; }

    zorbel::test::TempDir m_config;
    zorbel::test::TempDir m_home;

private:
    static void SaveEnv(const char* name, std::string& value, bool& had) {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = v ? v : "";
    }
    static void RestoreEnv(const char* name, const std::string& value, bool had) {
        if (had)
            setenv(name, value.c_str(), 1);
        else
            unsetenv(name);
    }
    std::string m_savedConfig, m_savedHome;
    bool m_hadConfig = false, m_hadHome = false;
};

}  // namespace

TEST_F(AutostartTest, FolderFollowsXdgConfigHomeThenHome) {
    EXPECT_EQ(autostart::AutostartFolder(), Folder());
    setenv("XDG_CONFIG_HOME", (m_config.Path() + "//").c_str(), 1);
    EXPECT_EQ(autostart::AutostartFolder(), Folder());
    // Relative values are not base directories.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(autostart::AutostartFolder(), m_home.Path() + "/.config/autostart");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(autostart::AutostartFolder(), m_home.Path() + "/.config/autostart");
}

TEST_F(AutostartTest, EntryFileNames) {
    EXPECT_EQ(autostart::EntryFileName(kName), "儿童游戏.desktop");
    EXPECT_EQ(autostart::EntryFileName("a/b"), "a_b.desktop");
    EXPECT_EQ(autostart::EntryFileName(".hidden"), "_hidden.desktop");
    EXPECT_EQ(autostart::EntryFileName(".."), "_..desktop");
    EXPECT_EQ(autostart::EntryFileName("tab\there"), "tab_here.desktop");
    EXPECT_EQ(autostart::EntryFileName(""), "");
    EXPECT_EQ(autostart::EntryFileName(std::string(300, 'x')), "");
    EXPECT_EQ(autostart::EntryPath(kName), Entry());
}

TEST_F(AutostartTest, ExecQuotingFollowsTheDesktopEntryRules) {
    EXPECT_EQ(autostart::ExecValue("/opt/zorbel/zorbel"), "/opt/zorbel/zorbel");
    EXPECT_EQ(autostart::ExecValue("/opt/my games/zorbel"), "\"/opt/my games/zorbel\"");
    EXPECT_EQ(autostart::ExecValue("/opt/a$b/z"), "\"/opt/a\\\\$b/z\"");
    EXPECT_EQ(autostart::ExecValue("/opt/a\"b/z"), "\"/opt/a\\\\\"b/z\"");
    // A literal backslash inside quotes takes four in the file.
    EXPECT_EQ(autostart::ExecValue("/opt/a\\b/z"), "\"/opt/a\\\\\\\\b/z\"");
    EXPECT_EQ(autostart::ExecValue("/opt/100%/z"), "/opt/100%%/z");
    EXPECT_EQ(autostart::ExecValue("/opt/new\nline"), "\"/opt/new\\nline\"");
    EXPECT_EQ(autostart::ExecValue("/opt/儿童/z"), "/opt/儿童/z");
}

TEST_F(AutostartTest, RegisterWritesTheEntryAndCreatesTheFolder) {
    EXPECT_FALSE(autostart::IsRegistered(kName));
    ASSERT_EQ(autostart::Register(kName, "/opt/my games/zorbel"), Result::kOk);
    EXPECT_TRUE(autostart::IsRegistered(kName));
    EXPECT_EQ(ReadFile(Entry()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=儿童游戏\n"
              "Exec=\"/opt/my games/zorbel\"\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    struct stat st {};
    ASSERT_EQ(::stat(Entry().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    // Writing again replaces it, leaving nothing else in the folder.
    ASSERT_EQ(autostart::Register(kName, "/usr/lib/zorbel/zorbel"), Result::kOk);
    EXPECT_NE(ReadFile(Entry()).find("Exec=/usr/lib/zorbel/zorbel\n"), std::string::npos);
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(Folder())) {
        (void)item;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(AutostartTest, UnregisterRemovesTheEntryAndIsQuietWhenAbsent) {
    EXPECT_EQ(autostart::Unregister(kName), Result::kOk);
    ASSERT_EQ(autostart::Register(kName, "/opt/zorbel/zorbel"), Result::kOk);
    std::ofstream(Folder() + "/other.desktop") << "[Desktop Entry]\n";
    EXPECT_EQ(autostart::Unregister(kName), Result::kOk);
    EXPECT_FALSE(autostart::IsRegistered(kName));
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_TRUE(std::filesystem::exists(Folder() + "/other.desktop"));
}

TEST_F(AutostartTest, FailuresAreReported) {
    // A regular file where the folder should be: nothing can be written below it.
    std::ofstream(Folder()) << "not a folder";
    EXPECT_EQ(autostart::Register(kName, "/opt/zorbel/zorbel"), Result::kWriteFailed);
    EXPECT_FALSE(autostart::IsRegistered(kName));
    EXPECT_EQ(autostart::Unregister(kName), Result::kOk);
    std::filesystem::remove(Folder());

    // Names and paths that cannot make a valid entry.
    EXPECT_EQ(autostart::Register("", "/opt/zorbel/zorbel"), Result::kBadName);
    EXPECT_EQ(autostart::Register(kName, ""), Result::kBadName);
    EXPECT_EQ(autostart::Register(kName, "relative/zorbel"), Result::kBadName);
    EXPECT_EQ(autostart::Register(kName, "/opt/\x01/zorbel"), Result::kBadName);
    EXPECT_EQ(autostart::Register(kName, "/opt/\xff/zorbel"), Result::kBadName);
    EXPECT_EQ(autostart::Register("bad\xC3", "/opt/zorbel/zorbel"), Result::kBadName);
    EXPECT_FALSE(std::filesystem::exists(Entry()));

    // A folder that denies removal: only meaningful for a user the permissions bind.
    if (::geteuid() != 0) {
        ASSERT_EQ(autostart::Register(kName, "/opt/zorbel/zorbel"), Result::kOk);
        std::filesystem::permissions(
            Folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_EQ(autostart::Unregister(kName), Result::kRemoveFailed);
        EXPECT_TRUE(autostart::IsRegistered(kName));
        std::filesystem::permissions(Folder(), std::filesystem::perms::owner_all);
    }
}

TEST(RunningExecutable, IsThisTestProgram) {
    const std::string exe = autostart::RunningExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe[0], '/');
    EXPECT_EQ(std::filesystem::path(exe).filename(), "autostart_test");
}
