#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/CatalogFiles.h"
#include "platform/VelaPfcSystem.h"
#include "tests/platform/TempDir.h"

namespace {

using namespace zorbel::files;
using zorbel::test::TempDir;

TEST(CatalogFiles, DataFilesAreAppendedToTheFolderAsItIs) {
    EXPECT_EQ(CatalogPath("/home/u/.local/share/Zorbel/"),
              "/home/u/.local/share/Zorbel/ZorbelPlim.dat");
    EXPECT_EQ(SubstitutePath("/d/"), "/d/Velaone.dll");
    EXPECT_EQ(CatalogPath("/d"), "/dZorbelPlim.dat");
    EXPECT_EQ(CatalogPath(""), "");
    EXPECT_EQ(SubstitutePath(""), "");
    EXPECT_TRUE(CurrentUserId.empty());
}

TEST(CatalogFiles, SettingsPathFitsIn255CharactersOrIsRefused) {
    EXPECT_EQ(SettingsPath("/opt/zorbel/"), "/opt/zorbel/Zorbel.ini");
    const std::string name = kSettingsFileName;
    const std::string fits = "/" + std::string(kSettingsPathMax - name.size() - 2, 'a') + "/";
    EXPECT_EQ(SettingsPath(fits).size(), kSettingsPathMax);
    EXPECT_EQ(SettingsPath(fits + "b"), "");
    EXPECT_EQ(SettingsPath(std::string(1000, 'x') + "/"), "");
}

TEST(CatalogFiles, TitlePathsAndTheirTemporaryNames) {
    EXPECT_EQ(TitlePath("/var/cache/zorbel", "小兔子乖乖"), "/var/cache/zorbel/小兔子乖乖.swf");
    // A cache folder at the root ends in '/' already; the doubled separator is harmless.
    EXPECT_EQ(TitlePath("/", "a"), "//a.swf");
    EXPECT_EQ(TitlePath("", "a"), "/a.swf");

    EXPECT_EQ(TemporaryPath("/c/a.swf"), "/c/a.tmp");
    // Only the file's own extension changes: folders and titles containing ".swf" keep it,
    // so the temporary file lies beside the title and never in another folder.
    EXPECT_EQ(TemporaryPath("/games.swf/x.swf"), "/games.swf/x.tmp");
    EXPECT_EQ(TemporaryPath(TitlePath("/c", "best.swf.swf collection")),
              "/c/best.swf.swf collection.tmp");
    EXPECT_EQ(TemporaryPath("/c/noext"), "/c/noext.tmp");
    EXPECT_EQ(TemporaryPath("/c/a.SWF"), "/c/a.SWF.tmp");
    EXPECT_NE(TemporaryPath(TitlePath("/c", "x")), TitlePath("/c", "x"));
}

TEST(CatalogFiles, TitleNamesMustStayInsideTheCacheFolder) {
    for (const char* ok : {"小兔子乖乖", "Tom's Day", "a..b", "...", "100%", "a\\b", ".hidden"})
        EXPECT_TRUE(IsSafeTitleName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "../etc/passwd", "a/b", "/abs"})
        EXPECT_FALSE(IsSafeTitleName(bad)) << bad;
    EXPECT_FALSE(IsSafeTitleName(std::string("a\0b", 3)));
    EXPECT_TRUE(IsSafeTitleName(std::string(251, 'n')));
    EXPECT_FALSE(IsSafeTitleName(std::string(252, 'n')));
}

TEST(CatalogFiles, CacheFolderIsReadFromAndWrittenToTheSettingsFile) {
    TempDir dir;
    const std::string ini = SettingsPath(dir.Folder());
    EXPECT_EQ(ReadCacheFolder(ini), "");
    ASSERT_TRUE(WriteCacheFolder(ini, "/home/u/缓存"));
    EXPECT_EQ(ReadCacheFolder(ini), "/home/u/缓存");
    ASSERT_TRUE(WriteCacheFolder(ini, ""));
    EXPECT_EQ(ReadCacheFolder(ini), "");
    // Values fit a 256-byte buffer; a longer one is refused rather than cut to another folder.
    ASSERT_TRUE(WriteCacheFolder(ini, "/" + std::string(kSettingsValueBuffer - 2, 'c')));
    EXPECT_EQ(ReadCacheFolder(ini).size(), kSettingsValueBuffer - 1);
    ASSERT_TRUE(WriteCacheFolder(ini, "/" + std::string(300, 'c')));
    EXPECT_EQ(ReadCacheFolder(ini), "");
    EXPECT_EQ(ReadCacheFolder(""), "");
    EXPECT_FALSE(WriteCacheFolder("", "/x"));
}

TEST(CatalogFiles, CacheFolderIsNeverTheRootAndARelativeOneLiesBesideTheSettings) {
    TempDir dir;
    const std::string ini = SettingsPath(dir.Folder());
    const std::string cacheHome = dir.Folder() + "xdg-cache";
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    EXPECT_EQ(DefaultCacheFolder(), cacheHome + "/zorbel/titles");

    bool missing = false;
    // Missing, empty, over-long or the root: the per-user default, and only the first
    // three are a missing setting to report.
    for (const std::string& value :
         {std::string(), "/" + std::string(300, 'c'), std::string("/")}) {
        ASSERT_TRUE(WriteCacheFolder(ini, value));
        EXPECT_EQ(EffectiveCacheFolder(ini, &missing), cacheHome + "/zorbel/titles") << value;
        EXPECT_EQ(missing, value != "/") << value;
    }
    ASSERT_TRUE(WriteCacheFolder(ini, "titles/../缓存/"));
    EXPECT_EQ(EffectiveCacheFolder(ini, &missing), dir.Folder() + "缓存");
    EXPECT_FALSE(missing);
    ASSERT_TRUE(WriteCacheFolder(ini, "/srv/缓存"));
    EXPECT_EQ(EffectiveCacheFolder(ini, &missing), "/srv/缓存");

    unsetenv("XDG_CACHE_HOME");
    setenv("HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(DefaultCacheFolder(), dir.Path() + "/.cache/zorbel/titles");
}

TEST(CatalogFiles, CatalogPathComesFromTheDataFolderFilledFromTheShippedData) {
    TempDir exe;
    TempDir data;
    std::filesystem::create_directories(exe.File("data"));
    std::ofstream(exe.File("data/ZorbelPlim.dat")) << "catalog";
    std::ofstream(exe.File("data/Velaone.dll")) << "substitute";
    CVelaPfcSystem::SetExeFolderOverride(exe.Path());
    const char* old = getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);

    EXPECT_EQ(CatalogPath(), data.File("Zorbel/ZorbelPlim.dat"));
    EXPECT_EQ(SubstitutePath(), data.File("Zorbel/Velaone.dll"));
    EXPECT_TRUE(std::filesystem::exists(CatalogPath()));
    EXPECT_EQ(SettingsPath(), exe.File("Zorbel.ini"));

    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    CVelaPfcSystem::SetExeFolderOverride("");
}

}  // namespace
