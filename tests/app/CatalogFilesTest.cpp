#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "platform/HostConfig.h"
#include "platform/VelaPfcSystem.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/platform/TempDir.h"

namespace {

using namespace zorbel::files;
using zorbel::test::ScopedEnv;
using zorbel::test::TempDir;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// An app folder with its shipped settings file, a user's configuration and cache folders.
struct SettingsFolders {
    TempDir exe;
    TempDir config;
    TempDir cache;
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.Path().c_str()};
    ScopedEnv cacheHome{"XDG_CACHE_HOME", cache.Path().c_str()};

    std::string Shipped() const { return exe.File("Zorbel.ini"); }
    std::string User() const { return config.File("zorbel/Zorbel.ini"); }
    std::string Default() const { return cache.Path() + "/zorbel/titles"; }
    void Write(const std::string& path, const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
};

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

TEST(SettingsFiles, AWritableAppFolderKeepsItsOwnFileAndNeverLooksAtTheUsers) {
    SettingsFolders f;
    f.Write(f.Shipped(), "[VIEDO]\nViedoPath=\n[HOSTS]\nWebSite=http://shipped\n");
    f.Write(f.User(), "[VIEDO]\nViedoPath=/user\n[HOSTS]\nWebSite=http://user\n");
    const SettingsFiles files = LocateSettings(f.exe.Folder(), true);
    EXPECT_FALSE(files.perUser);
    EXPECT_EQ(files.ReadOrder(), std::vector<std::string>{f.Shipped()});
    EXPECT_EQ(files.WritePath(), f.Shipped());
    EXPECT_EQ(zorbel::HostConfig::Load(files.ReadOrder()).webSite, "http://shipped");

    // An empty value is the fault it always was: reported, and the default folder is made.
    bool missing = false;
    bool ownDefault = false;
    EXPECT_EQ(EffectiveCacheFolder(files, &missing, &ownDefault), f.Default());
    EXPECT_TRUE(missing);
    EXPECT_TRUE(ownDefault);
    EXPECT_EQ(ShownCacheFolder(files, &missing), "");
    EXPECT_TRUE(missing);

    const std::string user = ReadAll(f.User());
    ASSERT_TRUE(WriteCacheFolder(files, "/mine"));
    EXPECT_EQ(ReadCacheFolder(f.Shipped()), "/mine");
    EXPECT_EQ(ReadAll(f.User()), user);
    EXPECT_EQ(EffectiveCacheFolder(files, &missing, &ownDefault), "/mine");
    EXPECT_FALSE(missing);
    EXPECT_FALSE(ownDefault);
}

TEST(SettingsFiles, AnInstalledProgramAsksTheUsersFileFirstKeyByKeyAndWritesOnlyIt) {
    SettingsFolders f;
    const std::string shipped =
        "[VIEDO]\n[HOSTS]\nWebSite=http://shipped\nWebServer=http://shipped-server\n";
    f.Write(f.Shipped(), shipped);
    const SettingsFiles files = LocateSettings(f.exe.Folder(), false);
    EXPECT_TRUE(files.perUser);
    EXPECT_EQ(files.ReadOrder(), (std::vector<std::string>{f.User(), f.Shipped()}));
    EXPECT_EQ(files.WritePath(), f.User());

    // No folder named anywhere: each user's default, quietly; the dialog shows that folder.
    bool missing = true;
    bool ownDefault = false;
    EXPECT_EQ(EffectiveCacheFolder(files, &missing, &ownDefault), f.Default());
    EXPECT_FALSE(missing);
    EXPECT_TRUE(ownDefault);
    EXPECT_EQ(ShownCacheFolder(files, &missing), f.Default());
    EXPECT_FALSE(missing);

    // The first write makes the user's folder and file; the shipped file stays as shipped.
    ASSERT_TRUE(WriteCacheFolder(files, "/home/kid/缓存"));
    EXPECT_EQ(ReadAll(f.User()), "[VIEDO]\nViedoPath=/home/kid/缓存\n");
    EXPECT_EQ(ReadAll(f.Shipped()), shipped);
    EXPECT_EQ(EffectiveCacheFolder(files, &missing, &ownDefault), "/home/kid/缓存");
    EXPECT_FALSE(ownDefault);

    // Key by key: what the user's file gives wins, the rest comes from the shipped file.
    f.Write(f.User(), "[VIEDO]\nViedoPath=\n[HOSTS]\nWebSite=http://user/\n");
    f.Write(f.Shipped(),
            "[VIEDO]\nViedoPath=/srv/titles\n[HOSTS]\nWebSite=http://shipped\n"
            "WebServer=http://shipped-server\n");
    const zorbel::HostConfig hosts = zorbel::HostConfig::Load(files.ReadOrder());
    EXPECT_EQ(hosts.webSite, "http://user");
    EXPECT_EQ(hosts.webServer, "http://shipped-server");
    EXPECT_EQ(hosts.contentServer, zorbel::HostConfig::kDefaultBase);
    EXPECT_EQ(EffectiveCacheFolder(files, &missing, &ownDefault), "/srv/titles");
    EXPECT_EQ(ShownCacheFolder(files, &missing), "/srv/titles");

    // A relative folder lies beside the file that names it.
    ASSERT_TRUE(WriteCacheFolder(files, "titles"));
    EXPECT_EQ(EffectiveCacheFolder(files, &missing, &ownDefault), f.config.File("zorbel/titles"));
}

TEST(SettingsFiles, UsersFileFollowsTheBaseDirectoriesAndTheAppFolderIsProbed) {
    TempDir home;
    ScopedEnv homeVar("HOME", home.Path().c_str());
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(UserSettingsPath(), home.File(".config/zorbel/Zorbel.ini"));
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(UserSettingsPath(), home.File(".config/zorbel/Zorbel.ini"));
    }
    ScopedEnv config("XDG_CONFIG_HOME", "/xdg/config/");
    EXPECT_EQ(UserSettingsPath(), "/xdg/config/zorbel/Zorbel.ini");

    TempDir exe;
    EXPECT_TRUE(IsWritableFolder(exe.Path()));
    EXPECT_FALSE(IsWritableFolder(exe.File("missing")));
    std::ofstream(exe.File("file")) << "x";
    EXPECT_FALSE(IsWritableFolder(exe.File("file")));
    EXPECT_FALSE(IsWritableFolder(""));
    // Installed programs' folders are never the user's, whoever runs them.
    EXPECT_TRUE(IsOwnAppFolder(exe.Path()));
    EXPECT_FALSE(IsOwnAppFolder("/usr/lib"));
    EXPECT_FALSE(IsOwnAppFolder("/usr"));
    if (geteuid() != 0) {
        TempDir locked;
        chmod(locked.Path().c_str(), 0555);
        EXPECT_FALSE(IsWritableFolder(locked.Path()));
        EXPECT_TRUE(LocateSettings(locked.Folder(), IsWritableFolder(locked.Path())).perUser);
        chmod(locked.Path().c_str(), 0755);
    }
    // The program's own folder, as every test's is, is writable: its file alone counts.
    CVelaPfcSystem::SetExeFolderOverride(exe.Path());
    EXPECT_FALSE(LocateSettings().perUser);
    EXPECT_EQ(LocateSettings().WritePath(), exe.File("Zorbel.ini"));
    CVelaPfcSystem::SetExeFolderOverride("");
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
