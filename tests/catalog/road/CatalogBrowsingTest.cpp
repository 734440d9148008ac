// The main window's catalog browsing: the catalog and quick-list trees filled from a catalog
// written by the test, title activation (cache hit, download, refusal, cartoons) and the
// category buttons, with the content server played by an in-process demo server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <wx/gauge.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include "app/CatalogFiles.h"
#include "app/DbVelaLite.h"
#include "catalog/DownloadState.h"
#include "catalog/DownloadWorkerStart.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MessageBoxStyle.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinButton.h"
#include "player/DlgPlayer.h"
#include "web/flash/ShockwaveFlash.h"
#include "tests/app/TestCatalog.h"
#include "tests/platform/TempDir.h"
#include "tests/support/StartedMainWindow.h"
#include "tests/support/PointerInput.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/web/flash/TestMovie.h"
#include "tools/catalog_builder/CatalogBuilder.h"
#include "tools/demo_server/DemoServer.h"
#include "web/DlgMovie.h"
#include "web/DlgShowAd.h"
#include "web/flash/FlashUriScheme.h"

using namespace zorbel::plim;
using namespace std::chrono_literals;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;
using zorbel::test::ShownBoxes;
using zorbel::test::TempDir;

namespace {

constexpr const char* kDataFailure = "CODE:1002，程序数据被损坏，请联系vendor.example解决！";
constexpr const char* kBusyText = "别急，看看右下方，还有东东在下载呢，一个一个来吧：）";
constexpr const char* kCaption = "佐贝乐.儿童游戏";
constexpr const char* kCartoonAddress = "http://127.0.0.1:9/cartoon/heimao.html";
// A cartoon stored as a path: it lies on the web site the settings name.
constexpr const char* kCartoonPath = "/cartoon/huluwa.html";

std::string Text(wxTreeCtrl* tree, const wxTreeItemId& item) {
    return tree->GetItemText(item).utf8_string();
}

// The top-level items (under the hidden root) with their children's texts.
struct Branch {
    std::string text;
    std::vector<std::string> children;
    bool expanded;
};

std::vector<Branch> Branches(wxTreeCtrl* tree) {
    std::vector<Branch> branches;
    const wxTreeItemId root = tree->GetRootItem();
    if (!root.IsOk()) return branches;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree->GetFirstChild(root, cookie); item.IsOk();
         item = tree->GetNextChild(root, cookie)) {
        Branch branch{Text(tree, item), {}, tree->IsExpanded(item)};
        wxTreeItemIdValue inner;
        for (wxTreeItemId child = tree->GetFirstChild(item, inner); child.IsOk();
             child = tree->GetNextChild(item, inner))
            branch.children.push_back(Text(tree, child));
        branches.push_back(branch);
    }
    return branches;
}

// The item with the given text anywhere in the tree.
wxTreeItemId Find(wxTreeCtrl* tree, const std::string& text, wxTreeItemId from = wxTreeItemId()) {
    if (!from.IsOk()) from = tree->GetRootItem();
    if (!from.IsOk()) return from;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree->GetFirstChild(from, cookie); item.IsOk();
         item = tree->GetNextChild(from, cookie)) {
        if (Text(tree, item) == text) return item;
        const wxTreeItemId found = Find(tree, text, item);
        if (found.IsOk()) return found;
    }
    return wxTreeItemId();
}

std::string Numbered(const char* stem, int n) {
    return std::string(stem) + (n < 10 ? "0" : "") + std::to_string(n);
}

class CatalogBrowsingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zorbel::FlashUriScheme::Instance().SetFilesFolder(std::string(ZORBEL_APP_DIR) + "/ruffle");
        s_data = new TempDir;
        s_exe = new TempDir;
        s_content = new TempDir;
        s_www = new TempDir;
        setenv("XDG_DATA_HOME", s_data->Path().c_str(), 1);
        CVelaPfcSystem::SetExeFolderOverride(s_exe->Path());
        std::filesystem::create_directories(s_data->File("Zorbel"));
        s_catalog = zorbel::files::CatalogPath();
        s_catalogBuilt = BuildCatalog();

        zorbel::demo::DemoServerOptions options;
        options.contentDir = s_content->Path();
        options.wwwDir = s_www->Path();
        s_server = new zorbel::demo::DemoServer(options);
        s_serverStarted = s_server->Start().ok();
        s_cache = s_exe->File("cache");
        WriteSettings(s_server->BaseUrl());
        // Above the substitution threshold, so a download keeps the served file.
        zorbel::test::TestMovieRecipe recipe;
        recipe.frames = 3000;
        s_movie = zorbel::test::MakeTestMovie(recipe);
        for (const char* name : {"小兔子乖乖", "两只老虎", "数鸭子", "月亮"})
            zorbel::test::WriteFileBytes(s_content->File(std::string(name) + ".swf"), s_movie);

        s_dialog = zorbel::test::ShowMainWindowWithPanels();
    }

    static void TearDownTestSuite() {
        PumpUntil([] { return DownloadBusy.load() == 0; }, 10s);
        StopDownloadWorkers();
        AppExiting = 0;
        PumpFor(300ms);
        s_dialog->Destroy();
        PumpFor(300ms);
        CVelaPfcSystem::SetExeFolderOverride("");
        delete s_server;
        delete s_www;
        delete s_content;
        delete s_exe;
        delete s_data;
    }

    static bool BuildCatalog() {
        namespace build = zorbel::catalogbuild;
        build::CatalogSeed seed;
        seed.classes = {
            {1, 1, "儿歌"}, {2, 1, "童谣"}, {3, 1, "空班"}, {5, 3, "自然"}, {4, 4, "益智"}};
        seed.titles = {{11, 1, "小兔子乖乖", 0},
                       {12, 1, "两只老虎", 0},
                       {13, 2, "数鸭子", 0},
                       {14, 5, "月亮", 0}};
        for (int n = 1; n <= 25; ++n) seed.titles.push_back({100 + n, 4, Numbered("游戏", n), 0});
        seed.movieClasses = {{1, "经典"}, {2, "新片"}};
        seed.movies = {{1, 1, "黑猫警长", kCartoonAddress}, {2, 1, "葫芦娃", kCartoonPath}};
        if (!build::BuildCatalog(seed, s_catalog).ok) return false;
        // 25 plays, the later the higher the title number; 3 favourites.
        CDbVelaLite db;
        if (!db.Open(s_catalog, zorbel::files::kCatalogKey)) return false;
        for (int n = 1; n <= 25; ++n) {
            const std::string time = "2026-01-01 10:" + Numbered("", n) + ":00";
            if (!db.ExecuteSql("INSERT INTO T_Raruri_Played VALUES (NULL, " +
                               std::to_string(100 + n) + ", '" + time + "', 1, '')"))
                return false;
        }
        const int favourites[] = {103, 101, 102};
        for (int i = 0; i < 3; ++i)
            if (!db.ExecuteSql("INSERT INTO T_Raruri_Favorites VALUES (NULL, " +
                               std::to_string(favourites[i]) + ", '2026-02-0" +
                               std::to_string(i + 1) + "', 0, '')"))
                return false;
        return true;
    }

    static void WriteSettings(const std::string& contentServer) {
        std::ofstream ini(s_exe->File("Zorbel.ini"), std::ios::trunc);
        ini << "[VIEDO]\nViedoPath=" << s_cache << "\n[HOSTS]\nWebSite=" << s_server->BaseUrl()
            << "\nWebServer=" << s_server->BaseUrl() << "\nContentServer=" << contentServer
            << "\nVendorSiteName=vendor.example\n";
    }

    void SetUp() override {
        ASSERT_TRUE(s_catalogBuilt);
        ASSERT_TRUE(s_serverStarted);
        ASSERT_TRUE(PumpUntil([] { return DownloadBusy.load() == 0; }, 10s));
        WriteSettings(s_server->BaseUrl());
        ShownBoxes().clear();
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(s_cache, error))
            std::filesystem::remove(entry.path(), error);
        Click(kIdCategoryHome);
    }

    static CPlimDlg& Dialog() { return *s_dialog; }
    static wxTreeCtrl* CatalogTree() { return s_dialog->m_treeCatalog; }
    static wxTreeCtrl* QuickTree() { return s_dialog->m_treeQuick; }
    static wxWindow* Item(int id) { return s_dialog->GetDlgItem(id); }
    static bool Shown(int id) { return Item(id) != nullptr && Item(id)->IsShown(); }
    static CDlgPlayer* Player() { return s_dialog->m_pPlayerPanel; }

    static void Click(int id) {
        auto* button = dynamic_cast<CSkinButton*>(Item(id));
        ASSERT_NE(button, nullptr) << id;
        button->Click();
    }

    // Selects the title with this text in the tree (the selection change is the activation).
    static void Select(wxTreeCtrl* tree, const std::string& text) {
        const wxTreeItemId item = Find(tree, text);
        ASSERT_TRUE(item.IsOk()) << text;
        tree->SelectItem(item);
    }

    static std::string Cached(const std::string& title) { return s_cache + "/" + title + ".swf"; }

    static void PutInCache(const std::string& title) {
        std::filesystem::create_directories(s_cache);
        zorbel::test::WriteFileBytes(Cached(title), s_movie);
    }

    static bool Plays(const std::string& path) {
        return Player() != nullptr && Player()->MoviePath() == path && Player()->IsShown();
    }

    static inline TempDir* s_data = nullptr;
    static inline TempDir* s_exe = nullptr;
    static inline TempDir* s_content = nullptr;
    static inline TempDir* s_www = nullptr;
    static inline zorbel::demo::DemoServer* s_server = nullptr;
    static inline CPlimDlg* s_dialog = nullptr;
    static inline std::string s_catalog;
    static inline std::string s_cache;
    static inline std::vector<uint8_t> s_movie;
    static inline bool s_catalogBuilt = false;
    static inline bool s_serverStarted = false;
};

// ---- The catalog tree ----

TEST_F(CatalogBrowsingTest, TypeLoaderShowsClassesWithTheirTitlesAndExpandsOnlyTheFirst) {
    Dialog().LoadCatalogType("1");
    const std::vector<Branch> branches = Branches(CatalogTree());
    ASSERT_EQ(branches.size(), 3u);
    EXPECT_EQ(branches[0].text, "儿歌");
    EXPECT_EQ(branches[0].children, (std::vector<std::string>{"小兔子乖乖", "两只老虎"}));
    EXPECT_TRUE(branches[0].expanded);
    EXPECT_EQ(branches[1].text, "童谣");
    EXPECT_EQ(branches[1].children, (std::vector<std::string>{"数鸭子"}));
    EXPECT_FALSE(branches[1].expanded);
    // A class without titles is a leaf.
    EXPECT_EQ(branches[2].text, "空班");
    EXPECT_FALSE(CatalogTree()->ItemHasChildren(Find(CatalogTree(), "空班")));
    EXPECT_EQ(zorbel::skin::ElementOf(CatalogTree()), "tree.videolist");
    const wxTreeItemId title = Find(CatalogTree(), "两只老虎");
    EXPECT_EQ(zorbel::skin::TreeItemLabel(CatalogTree(), title), "两只老虎");
    EXPECT_EQ(zorbel::skin::TreeItemElement(CatalogTree(), title), "drawitem.item");
    EXPECT_TRUE(ShownBoxes().empty());

    // Another type replaces the tree; a type without classes leaves it empty.
    Dialog().LoadCatalogType("3");
    ASSERT_EQ(Branches(CatalogTree()).size(), 1u);
    EXPECT_EQ(Branches(CatalogTree())[0].children, (std::vector<std::string>{"月亮"}));
    Dialog().LoadCatalogType("2");
    EXPECT_TRUE(Branches(CatalogTree()).empty());
    // A type id that is no number reads nothing.
    Dialog().LoadCatalogType("1 OR 1=1");
    EXPECT_TRUE(Branches(CatalogTree()).empty());
    EXPECT_TRUE(ShownBoxes().empty());
}

// A type is read from the file once for as long as the file stays as it was; any write to it
// shows at the next load.
TEST_F(CatalogBrowsingTest, TypeLoaderSeesEveryWriteToTheCatalog) {
    const auto rename = [](const char* name) {
        CDbVelaLite db;
        return db.Open(s_catalog, zorbel::files::kCatalogKey) &&
               db.ExecuteSql(std::string("UPDATE T_Raruri_FileList SET f_ProgramName='") + name +
                             "' WHERE f_FileID=14");
    };
    Dialog().LoadCatalogType("3");
    Dialog().LoadCatalogType("3");
    ASSERT_EQ(Branches(CatalogTree()).size(), 1u);
    EXPECT_EQ(Branches(CatalogTree())[0].children, (std::vector<std::string>{"月亮"}));
    ASSERT_TRUE(rename("星星"));
    Dialog().LoadCatalogType("3");
    EXPECT_EQ(Branches(CatalogTree())[0].children, (std::vector<std::string>{"星星"}));
    ASSERT_TRUE(rename("月亮"));
    Dialog().LoadCatalogType("3");
    EXPECT_EQ(Branches(CatalogTree())[0].children, (std::vector<std::string>{"月亮"}));
}

TEST_F(CatalogBrowsingTest, CartoonItemsCarryTheAddressAndShowTheName) {
    CatalogTree()->DeleteAllItems();
    Dialog().LoadCartoonCatalog();
    const std::vector<Branch> branches = Branches(CatalogTree());
    ASSERT_EQ(branches.size(), 2u);
    EXPECT_EQ(branches[0].text, "经典");
    EXPECT_TRUE(branches[0].expanded);
    EXPECT_EQ(branches[0].children.size(), 2u);
    EXPECT_EQ(branches[1].text, "新片");
    EXPECT_TRUE(branches[1].children.empty());
    const wxTreeItemId cartoon = Find(CatalogTree(), kCartoonAddress);
    ASSERT_TRUE(cartoon.IsOk());
    EXPECT_EQ(zorbel::skin::TreeItemLabel(CatalogTree(), cartoon), "黑猫警长");
}

TEST_F(CatalogBrowsingTest, MissingOrDamagedCatalogShowsTheBoxAndKeepsTheTrees) {
    Dialog().LoadCatalogType("1");
    Dialog().LoadQuickList("2");
    const std::string kept = s_catalog + ".kept";
    std::filesystem::rename(s_catalog, kept);
    Dialog().LoadCatalogType("4");
    Dialog().LoadQuickList("1");
    Dialog().LoadCartoonCatalog();
    {
        std::ofstream damaged(s_catalog, std::ios::binary | std::ios::trunc);
        damaged << std::string(4096, 'x');
    }
    Dialog().LoadCatalogType("4");
    std::filesystem::remove(s_catalog);
    std::filesystem::rename(kept, s_catalog);

    ASSERT_EQ(ShownBoxes().size(), 4u);
    for (const auto& box : ShownBoxes()) {
        EXPECT_EQ(box.text, kDataFailure);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.style, zorbel::kMbOk);
        EXPECT_EQ(box.owner, s_dialog);
    }
    ASSERT_EQ(Branches(CatalogTree()).size(), 3u);
    EXPECT_EQ(Branches(CatalogTree())[0].text, "儿歌");
    ASSERT_EQ(Branches(QuickTree()).size(), 1u);
    EXPECT_EQ(Branches(QuickTree())[0].text, "宝宝爱玩");
}

TEST_F(CatalogBrowsingTest, DamagedTitleListShowsTheBoxInsteadOfAnEmptyList) {
    const std::string kept = s_catalog + ".kept";
    std::filesystem::copy_file(s_catalog, kept, std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(
        zorbel::test::DamageTable(s_catalog, zorbel::files::kCatalogKey, "T_Raruri_FileList"));
    Dialog().LoadCatalogType("1");
    const std::vector<Branch> branches = Branches(CatalogTree());
    Dialog().LoadQuickList("3");
    std::filesystem::rename(kept, s_catalog);

    ASSERT_EQ(ShownBoxes().size(), 2u);
    for (const auto& box : ShownBoxes()) {
        EXPECT_EQ(box.text, kDataFailure);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.style, zorbel::kMbOk);
        EXPECT_EQ(box.owner, s_dialog);
    }
    // What was read before the damage was met stays.
    ASSERT_FALSE(branches.empty());
    EXPECT_EQ(branches[0].text, "儿歌");
}

// ---- Quick lists ----

TEST_F(CatalogBrowsingTest, QuickListsShowTheirHeadingAndTitles) {
    Dialog().LoadQuickList("1");
    std::vector<Branch> branches = Branches(QuickTree());
    ASSERT_EQ(branches.size(), 1u);
    EXPECT_EQ(branches[0].text, "最新推荐");
    EXPECT_TRUE(branches[0].expanded);
    EXPECT_EQ(branches[0].children.size(), 22u);
    for (const std::string& title : branches[0].children)
        EXPECT_EQ(title.rfind("游戏", 0), 0u) << title;  // class 4 only

    Dialog().LoadQuickList("2");
    branches = Branches(QuickTree());
    ASSERT_EQ(branches.size(), 1u);
    EXPECT_EQ(branches[0].text, "宝宝爱玩");
    EXPECT_EQ(branches[0].children, (std::vector<std::string>{"游戏02", "游戏01", "游戏03"}));

    // Any kind but "1" and "2" is the played list: 22 titles, the latest first.
    for (const char* kind : {"3", "x"}) {
        Dialog().LoadQuickList(kind);
        branches = Branches(QuickTree());
        ASSERT_EQ(branches.size(), 1u);
        EXPECT_EQ(branches[0].text, "宝宝玩过");
        ASSERT_EQ(branches[0].children.size(), 22u);
        EXPECT_EQ(branches[0].children.front(), "游戏25");
        EXPECT_EQ(branches[0].children.back(), "游戏04");
    }
    EXPECT_EQ(zorbel::skin::TreeItemLabel(QuickTree(), Find(QuickTree(), "游戏25")), "游戏25");
}

TEST_F(CatalogBrowsingTest, ListTabsLoadTheirLists) {
    Click(kIdTabFavourites);
    EXPECT_EQ(Branches(QuickTree())[0].text, "宝宝爱玩");
    Click(kIdTabPlayed);
    EXPECT_EQ(Branches(QuickTree())[0].text, "宝宝玩过");
    Click(kIdTabRecommended);
    EXPECT_EQ(Branches(QuickTree())[0].text, "最新推荐");
    EXPECT_EQ(Branches(QuickTree()).size(), 1u);
}

// ---- Activation ----

TEST_F(CatalogBrowsingTest, ClassesAndTheHeadingDoNothing) {
    Click(kIdCategorySongs);
    Dialog().LoadQuickList("1");
    SetCurrentTitlePath("untouched");
    Select(CatalogTree(), "童谣");
    Select(QuickTree(), "最新推荐");
    PumpFor(100ms);
    EXPECT_EQ(GetCurrentTitlePath(), "untouched");
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CatalogBrowsingTest, CachedTitlePlaysAtOnceEvenWithTheStatusAlreadyAtHundred) {
    PutInCache("小兔子乖乖");
    PutInCache("两只老虎");
    Click(kIdCategorySongs);
    Select(CatalogTree(), "小兔子乖乖");
    EXPECT_EQ(GetCurrentTitlePath(), Cached("小兔子乖乖"));
    EXPECT_TRUE(Plays(Cached("小兔子乖乖")));
    EXPECT_FALSE(Shown(kIdProgress));
    EXPECT_FALSE(Dialog().m_pMoviePanel->IsShown());

    // The status edit reads "100%" already; the next hit plays all the same.
    Select(CatalogTree(), "两只老虎");
    EXPECT_TRUE(Plays(Cached("两只老虎")));
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CatalogBrowsingTest, UncachedTitleDownloadsThenPlaysFromTheQuickList) {
    // A stopped player: the advertisement page goes up while the title downloads.
    Player()->OnStop();
    Dialog().LoadQuickList("1");
    // The quick list holds class 4 only; put one served title under it.
    const wxTreeItemId heading = Find(QuickTree(), "最新推荐");
    QuickTree()->AppendItem(heading, wxString::FromUTF8("数鸭子"));
    Select(QuickTree(), "数鸭子");
    EXPECT_EQ(GetCurrentTitlePath(), Cached("数鸭子"));
    ASSERT_TRUE(PumpUntil([] { return Plays(Cached("数鸭子")); }, 10s));
    EXPECT_TRUE(std::filesystem::exists(Cached("数鸭子")));
    EXPECT_FALSE(Shown(kIdProgress));
    EXPECT_EQ(Dialog().m_progress->GetValue(), 0);
    EXPECT_TRUE(ShownBoxes().empty());

    // A page that finishes loading after the movie has started (as one from a slow server
    // does) shows its panel again; the player's buttons still take the pointer.
    ASSERT_NE(Dialog().m_pAdPanel, nullptr);
    ASSERT_TRUE(PumpUntil([] { return Dialog().m_pAdPanel->PendingNavigations() == 0; }, 20s));
    Dialog().m_pAdPanel->Hide();  // as the title's "100%" left it, whichever load came first
    Dialog().m_pAdPanel->Browser().Navigate(Dialog().m_pAdPanel->PageAddress());
    ASSERT_TRUE(PumpUntil(
        [] {
            return Dialog().m_pAdPanel->IsShown() && Dialog().m_pAdPanel->PendingNavigations() == 0;
        },
        20s));
    PumpFor(300ms);
    wxWindow* pause = Player()->FindWindow(CDlgPlayer::kPauseId);
    ASSERT_NE(pause, nullptr);
    const wxRect button = pause->GetScreenRect();
    zorbel::test::MovePointer(button.GetPosition() + wxPoint(3, 3));
    PumpFor(100ms);
    zorbel::test::MovePointer(button.GetPosition() + wxPoint(button.width / 2, button.height / 2));
    PumpFor(100ms);
    zorbel::test::ClickPointer();
    EXPECT_TRUE(PumpUntil(
        [] { return Player()->IsActive() && !Player()->MovieControl()->IsPlaying(); }, 5s));
}

TEST_F(CatalogBrowsingTest, AFailedDownloadIsToldAndTheSameTitleAnswersTheNextClick) {
    Dialog().LoadQuickList("1");
    const wxTreeItemId heading = Find(QuickTree(), "最新推荐");
    QuickTree()->AppendItem(heading, wxString::FromUTF8("没有的节目"));
    QuickTree()->AppendItem(heading, wxString::FromUTF8("数鸭子"));
    struct Case {
        const char* title;
        const char* contentServerTail;
        const char* says;
    };
    // The server has no such title; the server cuts the answer short.
    for (const Case& c : {Case{"没有的节目", "", "还没有准备好"},
                          Case{"数鸭子", "/_fault/cut/3000", "没有下载下来"}}) {
        SCOPED_TRACE(c.title);
        ShownBoxes().clear();
        WriteSettings(s_server->BaseUrl() + c.contentServerTail);
        Select(QuickTree(), c.title);
        ASSERT_TRUE(PumpUntil([] { return !ShownBoxes().empty(); }, 10s));
        EXPECT_NE(ShownBoxes()[0].text.find(c.title), std::string::npos);
        EXPECT_NE(ShownBoxes()[0].text.find(c.says), std::string::npos) << ShownBoxes()[0].text;
        EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbIconInformation);
        EXPECT_EQ(ShownBoxes()[0].owner, s_dialog);
        EXPECT_FALSE(QuickTree()->IsSelected(Find(QuickTree(), c.title)));
        EXPECT_FALSE(Shown(kIdProgress));
        EXPECT_FALSE(std::filesystem::exists(Cached(c.title)));
    }
    // Once the server answers, a click on the same title fetches and plays it.
    ShownBoxes().clear();
    WriteSettings(s_server->BaseUrl());
    QuickTree()->Raise();
    QuickTree()->EnsureVisible(Find(QuickTree(), "数鸭子"));
    PumpFor(100ms);
    wxRect rect;
    ASSERT_TRUE(QuickTree()->GetBoundingRect(Find(QuickTree(), "数鸭子"), rect, true));
    zorbel::test::MovePointer(QuickTree()->ClientToScreen(rect.GetPosition() + wxPoint(8, 4)));
    PumpFor(100ms);
    zorbel::test::ClickPointer();
    ASSERT_TRUE(PumpUntil([] { return Plays(Cached("数鸭子")); }, 10s));
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CatalogBrowsingTest, SecondUncachedTitleDuringADownloadIsRefusedCachedOnePlays) {
    // Long enough for the first movie control of the process to come up meanwhile.
    WriteSettings(s_server->BaseUrl() + "/_fault/delay/4000");
    PutInCache("月亮");
    Player()->OnStop();
    Click(kIdCategorySongs);
    Select(CatalogTree(), "小兔子乖乖");
    EXPECT_TRUE(Shown(kIdProgress));
    // The download is claimed with its title before the selection returns, so the cache hit
    // that follows at once cannot change what is being fetched.
    EXPECT_EQ(DownloadBusy.load(), 1);
    // A stopped player makes room for the advertisement page while the title comes.
    EXPECT_TRUE(Dialog().m_pAdPanel->IsShown());

    Select(CatalogTree(), "两只老虎");
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text, kBusyText);
    EXPECT_EQ(ShownBoxes()[0].caption, kCaption);
    EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbIconInformation);
    EXPECT_EQ(ShownBoxes()[0].owner, s_dialog);
    EXPECT_EQ(GetCurrentTitlePath(), Cached("小兔子乖乖"));

    // A cached title still plays during the download.
    Dialog().LoadCatalogType("3");
    Select(CatalogTree(), "月亮");
    EXPECT_TRUE(Plays(Cached("月亮")));

    // The finished download takes over the player.
    ASSERT_TRUE(PumpUntil([] { return Plays(Cached("小兔子乖乖")); }, 15s))
        << DownloadBusy.load() << " " << GetCurrentTitlePath() << " " << Player()->MoviePath()
        << " " << Player()->IsShown();
    EXPECT_FALSE(std::filesystem::exists(Cached("两只老虎")));
    EXPECT_EQ(ShownBoxes().size(), 1u);
}

TEST_F(CatalogBrowsingTest, DownloadFinishingOnTheCartoonViewIsNotPlayed) {
    WriteSettings(s_server->BaseUrl() + "/_fault/delay/800");
    Click(kIdCategorySongs);
    Select(CatalogTree(), "两只老虎");
    ASSERT_TRUE(PumpUntil([] { return DownloadBusy.load() == 1; }));
    Click(kIdCategoryCartoons);
    ASSERT_TRUE(PumpUntil([] { return DownloadBusy.load() == 0; }, 10s));
    PumpFor(100ms);
    EXPECT_TRUE(std::filesystem::exists(Cached("两只老虎")));
    EXPECT_FALSE(Player()->IsShown());
    EXPECT_TRUE(Dialog().m_pMoviePanel->IsShown());

    // The file stays and plays at the next activation.
    Click(kIdCategorySongs);
    Select(CatalogTree(), "两只老虎");
    EXPECT_TRUE(Plays(Cached("两只老虎")));
}

TEST_F(CatalogBrowsingTest, CartoonOpensItsPageAndNeverTouchesTheCacheOrTheDownloads) {
    DownloadBusy = 1;  // a running download would refuse a title
    Click(kIdCategoryCartoons);
    SetCurrentTitlePath("untouched");
    Select(CatalogTree(), kCartoonAddress);
    DownloadBusy = 0;
    EXPECT_TRUE(ShownBoxes().empty());
    EXPECT_EQ(GetCurrentTitlePath(), "untouched");
    EXPECT_EQ(Dialog().m_pMoviePanel->PageAddress(), kCartoonAddress);
    EXPECT_TRUE(Dialog().m_pMoviePanel->IsShown());
    EXPECT_FALSE(Player()->IsShown());
    EXPECT_FALSE(Dialog().m_pAdPanel->IsShown());

    Select(CatalogTree(), kCartoonPath);
    EXPECT_EQ(Dialog().m_pMoviePanel->PageAddress(), s_server->BaseUrl() + kCartoonPath);
    EXPECT_TRUE(Dialog().m_pMoviePanel->IsShown());
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CatalogBrowsingTest, TitleNameOutsideTheCacheFolderIsNeitherPlayedNorFetched) {
    Click(kIdCategorySongs);
    const wxTreeItemId parent = Find(CatalogTree(), "儿歌");
    CatalogTree()->AppendItem(parent, "../escape");
    SetCurrentTitlePath("untouched");
    Select(CatalogTree(), "../escape");
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_EQ(GetCurrentTitlePath(), "untouched");
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CatalogBrowsingTest, PlayStepIgnoresOtherTextsAndTheOtherViews) {
    PutInCache("数鸭子");
    SetCurrentTitlePath(Cached("数鸭子"));
    auto* status = dynamic_cast<wxTextCtrl*>(Item(kIdStatusEdit));
    ASSERT_NE(status, nullptr);
    Click(kIdCategoryCommunity);
    status->SetValue("100%");
    EXPECT_FALSE(Player()->IsShown());
    Click(kIdCategoryHome);
    status->SetValue("50%");
    EXPECT_FALSE(Player()->IsShown());
    status->SetValue("100%");
    EXPECT_TRUE(Plays(Cached("数鸭子")));
}

// ---- Category buttons ----

TEST_F(CatalogBrowsingTest, EachCategoryButtonSetsItsView) {
    struct View {
        int button;
        int mode;
        const char* caption;  // null: the caption button is hidden
        bool catalog, quick, browser, ad, movie;
        const char* firstClass;
    };
    const View views[] = {
        {kIdCategorySongs, 1, "听儿歌", true, false, false, true, false, "儿歌"},
        {kIdCategoryStories, 1, "讲故事", true, false, false, true, false, nullptr},
        {kIdCategoryKnowledge, 1, "学知识", true, false, false, true, false, "自然"},
        {kIdCategoryGames, 1, "玩游戏", true, false, false, true, false, "益智"},
        {kIdCategoryCartoons, 2, "动画片", true, false, false, false, true, "经典"},
        {kIdCategoryCommunity, 3, nullptr, false, false, true, false, false, nullptr},
        {kIdCategoryHome, 0, nullptr, false, true, false, true, false, nullptr},
    };
    for (const View& view : views) {
        SCOPED_TRACE(view.button);
        // Hiding the player pauses it, and a paused player would come back in a catalog view.
        Player()->OnStop();
        Click(view.button);
        EXPECT_EQ(Dialog().m_nViewMode, view.mode);
        EXPECT_EQ(Shown(kIdNavCaption), view.caption != nullptr);
        if (view.caption != nullptr) {
            EXPECT_EQ(Item(kIdNavCaption)->GetLabel().utf8_string(), view.caption);
        }
        EXPECT_EQ(Shown(kIdCatalogTree), view.catalog);
        EXPECT_EQ(Shown(kIdQuickTree), view.quick);
        EXPECT_EQ(Shown(kIdTabRecommended), view.quick);
        EXPECT_EQ(Shown(kIdTabFavourites), view.quick);
        EXPECT_EQ(Shown(kIdTabPlayed), view.quick);
        EXPECT_EQ(Shown(kIdBrowser), view.browser);
        EXPECT_FALSE(Player()->IsShown());
        EXPECT_EQ(Dialog().m_pAdPanel->IsShown(), view.ad);
        EXPECT_EQ(Dialog().m_pMoviePanel->IsShown(), view.movie);
        const std::vector<Branch> branches = Branches(CatalogTree());
        // The community page leaves the hidden tree as it was.
        if (view.mode == 3) continue;
        if (view.firstClass == nullptr) {
            EXPECT_TRUE(branches.empty());
        } else {
            ASSERT_FALSE(branches.empty());
            EXPECT_EQ(branches[0].text, view.firstClass);
        }
    }
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(CatalogBrowsingTest, SameButtonTwiceReloadsAndAnActivePlayerStaysInFront) {
    PutInCache("小兔子乖乖");
    Click(kIdCategorySongs);
    Select(CatalogTree(), "小兔子乖乖");
    ASSERT_TRUE(Plays(Cached("小兔子乖乖")));
    ASSERT_EQ(Player()->IsActive(), 1);
    CatalogTree()->Delete(Find(CatalogTree(), "空班"));
    // Advertisement pages still loading show their panel when they finish.
    PumpFor(500ms);
    Click(kIdCategorySongs);
    EXPECT_TRUE(Find(CatalogTree(), "空班").IsOk());  // read again from the catalog
    EXPECT_TRUE(Plays(Cached("小兔子乖乖")));
    EXPECT_FALSE(Dialog().m_pAdPanel->IsShown());

    // After the stop command the advertisement page comes instead.
    Player()->OnStop();
    Click(kIdCategorySongs);
    EXPECT_FALSE(Player()->IsShown());
    EXPECT_TRUE(Dialog().m_pAdPanel->IsShown());
}

}  // namespace
