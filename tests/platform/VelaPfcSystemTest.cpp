#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/VelaPfcSystem.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/platform/TempDir.h"

namespace {

namespace fs = std::filesystem;
using zorbel::test::ScopedEnv;
using zorbel::test::TempDir;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class VelaPfcSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_exe.File("data"));
        std::ofstream(m_exe.File("data/ZorbelPlim.dat"), std::ios::binary) << "shipped catalog";
        std::ofstream(m_exe.File("data/Velaone.dll"), std::ios::binary) << "substitute";
        CVelaPfcSystem::SetExeFolderOverride(m_exe.Path());
    }
    void TearDown() override { CVelaPfcSystem::SetExeFolderOverride(""); }

    TempDir m_exe;
    TempDir m_data;
};

TEST_F(VelaPfcSystemTest, ExePathIsTheExecutablesFolderEndingInASlash) {
    CVelaPfcSystem::SetExeFolderOverride("");
    const std::string real = CVelaPfcSystem().GetExePath();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), '/');
    EXPECT_TRUE(fs::exists(real + fs::read_symlink("/proc/self/exe").filename().string()));

    CVelaPfcSystem::SetExeFolderOverride("/opt/zorbel");
    EXPECT_EQ(CVelaPfcSystem().GetExePath(), "/opt/zorbel/");
    CVelaPfcSystem::SetExeFolderOverride("/opt/zorbel/");
    EXPECT_EQ(CVelaPfcSystem().GetExePath(), "/opt/zorbel/");
}

TEST_F(VelaPfcSystemTest, FirstUseCopiesTheShippedDataIntoTheUsersFolder) {
    ScopedEnv xdg("XDG_DATA_HOME", m_data.Path().c_str());
    const std::string folder = CVelaPfcSystem().GetDbPath("");
    EXPECT_EQ(folder, m_data.File("Zorbel/"));
    EXPECT_EQ(ReadAll(folder + "ZorbelPlim.dat"), "shipped catalog");
    EXPECT_EQ(ReadAll(folder + "Velaone.dll"), "substitute");
    // Nothing but the two files: no temporary copies are left behind.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST_F(VelaPfcSystemTest, AnExistingCatalogIsNeverReplaced) {
    ScopedEnv xdg("XDG_DATA_HOME", m_data.Path().c_str());
    fs::create_directories(m_data.File("Zorbel"));
    std::ofstream(m_data.File("Zorbel/ZorbelPlim.dat")) << "the user's catalog";
    const std::string folder = CVelaPfcSystem().GetDbPath("");
    EXPECT_EQ(ReadAll(folder + "ZorbelPlim.dat"), "the user's catalog");
    // The substitute file comes only with a fresh catalog.
    EXPECT_FALSE(fs::exists(folder + "Velaone.dll"));
}

TEST_F(VelaPfcSystemTest, WithoutShippedDataTheFolderStaysEmptyAndIsStillReturned) {
    ScopedEnv xdg("XDG_DATA_HOME", m_data.Path().c_str());
    fs::remove_all(m_exe.File("data"));
    const std::string folder = CVelaPfcSystem().GetDbPath("");
    EXPECT_EQ(folder, m_data.File("Zorbel/"));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(folder + "ZorbelPlim.dat"));
}

TEST_F(VelaPfcSystemTest, DefaultsToTheHomeFolderAndIgnoresRelativeSettings) {
    ScopedEnv home("HOME", m_data.Path().c_str());
    {
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(CVelaPfcSystem().GetDbPath(""), m_data.File(".local/share/Zorbel/"));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/path");
        EXPECT_EQ(CVelaPfcSystem().GetDbPath(""), m_data.File(".local/share/Zorbel/"));
    }
    EXPECT_EQ(ReadAll(m_data.File(".local/share/Zorbel/ZorbelPlim.dat")), "shipped catalog");
}

TEST_F(VelaPfcSystemTest, AFolderThatCannotBeMadeIsStillReturned) {
    // A file stands where the folder would go.
    std::ofstream(m_data.File("blocked")) << "x";
    ScopedEnv xdg("XDG_DATA_HOME", m_data.File("blocked").c_str());
    EXPECT_EQ(CVelaPfcSystem().GetDbPath(""), m_data.File("blocked/Zorbel/"));
}

}  // namespace
