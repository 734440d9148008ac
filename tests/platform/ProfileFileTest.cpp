#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/ProfileFile.h"
#include "tests/platform/TempDir.h"

namespace {

using zorbel::test::TempDir;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ProfileFileTest : public ::testing::Test {
protected:
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "<default>", std::size_t size = 256) {
        return CProfileFile(m_path).GetString(section, key, def, size);
    }

    TempDir m_dir;
    std::string m_path = m_dir.File("Zorbel.ini");
};

TEST_F(ProfileFileTest, ReadsLikeTheWindowsProfileFunctions) {
    WriteAll(m_path,
             "; settings\r\n"
             "[Other]\r\n"
             "ViedoPath=/wrong\r\n"
             "  [ viedo ]  \r\n"
             "  viedopath  =   /home/u/cache   \r\n"
             "Quoted=\"  spaced  \"\r\n"
             "Single='x'\r\n"
             "Unbalanced=\"x\r\n"
             "Lonely\r\n"
             "Empty=\r\n"
             "Eq=a=b\r\n"
             "[VIEDO]\r\n"
             "Second=only in the second section\r\n");
    EXPECT_EQ(Get("VIEDO", "ViedoPath"), "/home/u/cache");
    EXPECT_EQ(Get("Viedo", "VIEDOPATH"), "/home/u/cache");
    EXPECT_EQ(Get("VIEDO", "Quoted"), "  spaced  ");
    EXPECT_EQ(Get("VIEDO", "Single"), "x");
    EXPECT_EQ(Get("VIEDO", "Unbalanced"), "\"x");
    EXPECT_EQ(Get("VIEDO", "Lonely"), "");
    EXPECT_EQ(Get("VIEDO", "Empty"), "");
    EXPECT_EQ(Get("VIEDO", "Eq"), "a=b");
    EXPECT_EQ(Get("VIEDO", "Second"), "<default>");
    EXPECT_EQ(Get("VIEDO", "; settings"), "<default>");
    EXPECT_EQ(Get("Missing", "ViedoPath"), "<default>");
    EXPECT_EQ(Get("VIEDO", "Missing", "default with blanks   "), "default with blanks");
    EXPECT_EQ(CProfileFile(m_dir.File("none.ini")).GetString("VIEDO", "ViedoPath", "", 256), "");
    EXPECT_EQ(CProfileFile("").GetString("VIEDO", "ViedoPath", "d", 256), "d");
}

TEST_F(ProfileFileTest, ValuesAreCutToTheBufferWithoutSplittingCharacters) {
    WriteAll(m_path, "[S]\nK=abcdef\nC=缓存目录\n");
    EXPECT_EQ(Get("S", "K", "", 4), "abc");
    EXPECT_EQ(Get("S", "K", "", 7), "abcdef");
    EXPECT_EQ(Get("S", "K", "", 1), "");
    EXPECT_EQ(Get("S", "K", "", 0), "");
    EXPECT_EQ(Get("S", "missing", "defaults too", 5), "defa");
    // Each of these characters takes three bytes.
    EXPECT_EQ(Get("S", "C", "", 7), "缓存");
    EXPECT_EQ(Get("S", "C", "", 6), "缓");
    EXPECT_EQ(Get("S", "C", "", 13), "缓存目录");
}

TEST_F(ProfileFileTest, WritingCreatesTheFileAndSectionAndKeepsEverythingElse) {
    CProfileFile file(m_path);
    ASSERT_TRUE(file.WriteString("VIEDO", "ViedoPath", "/a"));
    EXPECT_EQ(ReadAll(m_path), "[VIEDO]\nViedoPath=/a\n");

    WriteAll(m_path,
             "\xEF\xBB\xBF; keep me\r\n"
             "[HOSTS]\r\n"
             "WebSite=http://x\r\n"
             "\r\n"
             "[viedo]\r\n"
             "# note\r\n"
             "VIEDOPATH=/old\r\n"
             "Other=1\r\n"
             "\r\n"
             "[Tail]\r\n"
             "T=1");
    ASSERT_TRUE(file.WriteString("VIEDO", "ViedoPath", "/新的/缓存"));
    ASSERT_TRUE(file.WriteString("VIEDO", "Added", "2"));
    ASSERT_TRUE(file.WriteString("HOSTS", "WebServer", "http://y"));
    ASSERT_TRUE(file.WriteString("Tail", "U", "3"));
    ASSERT_TRUE(file.WriteString("New", "K", ""));
    EXPECT_EQ(ReadAll(m_path),
              "\xEF\xBB\xBF; keep me\r\n"
              "[HOSTS]\r\n"
              "WebSite=http://x\r\n"
              "WebServer=http://y\r\n"
              "\r\n"
              "[viedo]\r\n"
              "# note\r\n"
              "VIEDOPATH=/新的/缓存\r\n"
              "Other=1\r\n"
              "Added=2\r\n"
              "\r\n"
              "[Tail]\r\n"
              "T=1\r\n"
              "U=3\r\n"
              "\r\n"
              "[New]\r\n"
              "K=\r\n");
    EXPECT_EQ(file.GetString("VIEDO", "ViedoPath", "", 256), "/新的/缓存");
    EXPECT_EQ(file.GetString("New", "K", "d", 256), "");
}

TEST_F(ProfileFileTest, WritesThatWouldBreakTheFileAreRefused) {
    WriteAll(m_path, "[S]\nK=v\n");
    CProfileFile file(m_path);
    EXPECT_FALSE(file.WriteString("S", "K", "two\nlines"));
    EXPECT_FALSE(file.WriteString("S", "K", "cr\r"));
    EXPECT_FALSE(file.WriteString("S", "K", std::string("nul\0x", 5)));
    EXPECT_FALSE(file.WriteString("S", "", "v"));
    EXPECT_FALSE(file.WriteString("S", "a=b", "v"));
    EXPECT_FALSE(file.WriteString("S", "[x", "v"));
    EXPECT_FALSE(file.WriteString("S]", "K", "v"));
    EXPECT_FALSE(file.WriteString("S\n[T", "K", "v"));
    EXPECT_EQ(ReadAll(m_path), "[S]\nK=v\n");
    // Values around which blanks or quotes would be lost on reading are still written as given.
    ASSERT_TRUE(file.WriteString("S", "K", "  padded  "));
    EXPECT_EQ(ReadAll(m_path), "[S]\nK=  padded  \n");
    EXPECT_EQ(file.GetString("S", "K", "", 256), "padded");
}

TEST_F(ProfileFileTest, UnreadableOrHugeFilesAreNeverRewritten) {
    // A folder where the file should be: reads give the default, writes fail.
    std::filesystem::create_directory(m_path);
    EXPECT_EQ(Get("S", "K"), "<default>");
    EXPECT_FALSE(CProfileFile(m_path).WriteString("S", "K", "v"));
    std::filesystem::remove(m_path);

    const std::string huge = "[S]\nK=v\n" + std::string(CProfileFile::kMaxFileSize, ';');
    WriteAll(m_path, huge);
    EXPECT_EQ(Get("S", "K"), "<default>");
    EXPECT_FALSE(CProfileFile(m_path).WriteString("S", "K", "w"));
    EXPECT_EQ(ReadAll(m_path).size(), huge.size());

    // A folder that cannot take the new file leaves the old file alone.
    EXPECT_FALSE(CProfileFile(m_dir.File("no/such/folder/x.ini")).WriteString("S", "K", "v"));
}

TEST_F(ProfileFileTest, RewriteKeepsModeAndLinksAndLeavesNoTemporaryFiles) {
    WriteAll(m_path, "[S]\nK=v\n");
    ::chmod(m_path.c_str(), 0640);
    const std::string link = m_dir.File("link.ini");
    std::filesystem::create_symlink(m_path, link);
    ASSERT_TRUE(CProfileFile(link).WriteString("S", "K", "w"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(m_path), "[S]\nK=w\n");
    struct stat st {};
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
