// The main window's construction (settings, cache folder, advertisement list) and its
// initialisation (controls, skins, label, tray icon, timers), with the settings file in a
// temporary executable folder and the maker's web site played by an in-process demo server.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

#include <wx/app.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include "app/StartupSequence.h"
#include "catalog/DownloadState.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MessageBoxStyle.h"
#include "platform/MainWindowRun.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/VelaspiderApp.h"
#include "platform/skin/CSkinButton.h"
#include "platform/templates/DialogTemplate.h"
#include "platform/templates/TemplateBuilder.h"
#include "platform/x11/InstanceMarker.h"
#include "tests/platform/TempDir.h"
#include "tests/support/FakeTray.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/demo_server/DemoServer.h"

using zorbel::test::FakeTray;
using namespace zorbel::plim;
using zorbel::test::TempDir;
using namespace std::chrono_literals;

namespace {

const char kThreeEntries[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<AdList>\n"
    "  <File Text=\"小兔子拔萝卜\" Url=\"http://ads.example/1\"/>\n"
    "  <File Url=\"http://ads.example/2\"/>\n"
    "  <File Text=\"给我们提提意见吧\" Url=\"http://ads.example/3\"/>\n"
    "</AdList>\n";

std::string Text(wxWindow* window) {
    return std::string(window->GetLabel().utf8_str());
}

class PlimDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        www_ = new TempDir;
        content_ = new TempDir;
        zorbel::demo::DemoServerOptions options;
        options.contentDir = content_->Path();
        options.wwwDir = www_->Path();
        server_ = new zorbel::demo::DemoServer(options);
        ASSERT_TRUE(server_->Start().ok());
    }

    static void TearDownTestSuite() {
        delete server_;
        delete content_;
        delete www_;
        server_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(server_, nullptr);
        ASSERT_FALSE(exe_.Path().empty());
        CVelaPfcSystem::SetExeFolderOverride(exe_.Path());
        cache_ = exe_.File("cache");
        zorbel::test::ShownBoxes().clear();
        savedOptions_ = CVelaspiderApp::DefaultOptions();
        SkinTexture = "skin.texture33";
        DownloadBusy = 1;
        WriteAdList(kThreeEntries);
    }

    void TearDown() override {
        CVelaPfcSystem::SetExeFolderOverride("");
        CVelaspiderApp::SetDefaultOptions(savedOptions_);
        std::error_code error;
        std::filesystem::remove(www_->File("ada.html"), error);
    }

    static void WriteAdList(const std::string& text) {
        std::ofstream(www_->File("ada.html"), std::ios::binary | std::ios::trunc) << text;
    }

    // The settings file with the cache folder (none when empty) and the maker's hosts.
    void WriteSettings(const std::string& cacheFolder, const std::string& webSite) {
        std::ofstream ini(exe_.File("Zorbel.ini"), std::ios::trunc);
        if (!cacheFolder.empty()) ini << "[VIEDO]\nViedoPath=" << cacheFolder << "\n";
        ini << "[HOSTS]\nWebSite=" << webSite << "\nWebServer=" << server_->BaseUrl()
            << "\nContentServer=" << server_->BaseUrl() << "\nVendorSiteName=vendor.example\n";
    }
    void WriteSettings() { WriteSettings(cache_, server_->BaseUrl()); }

    // Shows the window as the modal run would (initialising it) without entering a loop.
    static void ShowAndInit(CPlimDlg& dialog) {
        dialog.Show();
        ASSERT_TRUE(dialog.IsInitialised());
    }

    static bool IsChecked(wxWindow* window) {
        auto* button = dynamic_cast<CSkinButton*>(window);
        return button != nullptr && button->GetValue();
    }

    static inline TempDir* www_ = nullptr;
    static inline TempDir* content_ = nullptr;
    static inline zorbel::demo::DemoServer* server_ = nullptr;
    TempDir exe_;
    std::string cache_;
    CVelaspiderApp::Options savedOptions_;
};

}  // namespace

TEST_F(PlimDlgTest, ConstructionReadsSettingsCreatesCacheFolderAndLoadsTheList) {
    WriteSettings();
    ASSERT_FALSE(std::filesystem::exists(cache_));

    CPlimDlg dialog;

    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    EXPECT_EQ(dialog.m_strCacheFolder, cache_);
    EXPECT_TRUE(std::filesystem::is_directory(cache_));
    EXPECT_EQ(dialog.m_strShowAdUrl, server_->BaseUrl() + "/plimad.asp?from=showad");
    EXPECT_EQ(DownloadBusy.load(), 0);
    EXPECT_EQ(dialog.m_nViewMode, 0);
    EXPECT_EQ(dialog.m_bMaximized, 0);
    EXPECT_EQ(dialog.m_pPlayerPanel, nullptr);
    EXPECT_EQ(dialog.m_pAdPanel, nullptr);
    EXPECT_EQ(dialog.m_pMoviePanel, nullptr);
    EXPECT_EQ(dialog.m_pSkinDlg, nullptr);
    EXPECT_TRUE(dialog.m_hAppIcon.IsOk());

    ASSERT_EQ(dialog.m_adEntries.size(), 3u);
    EXPECT_EQ(dialog.m_adEntries[0].text, "小兔子拔萝卜");
    EXPECT_EQ(dialog.m_adEntries[0].url, "http://ads.example/1");
    EXPECT_EQ(dialog.m_adEntries[1].text, "");
    EXPECT_EQ(dialog.m_adEntries[1].url, "http://ads.example/2");
    EXPECT_EQ(dialog.m_adEntries[2].text, "给我们提提意见吧");
    EXPECT_TRUE(dialog.m_bAdsLoaded);
    EXPECT_EQ(dialog.m_adCursor, 0u);
    EXPECT_EQ(dialog.m_strAdLink, "http://ads.example/1");

    // Nothing is shown, and no control exists, before the window is initialised.
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(dialog.GetDlgItem(kIdClose), nullptr);
    EXPECT_FALSE(dialog.AdRotationTimer().IsRunning());
    EXPECT_FALSE(dialog.DeferredStartupTimer().IsRunning());
}

TEST_F(PlimDlgTest, MissingCacheKeyShowsCode1001OnceBeforeTheWindowAndStillStarts) {
    WriteSettings("", server_->BaseUrl());
    const std::string cacheHome =
        std::filesystem::temp_directory_path() / ("zorbel-cache-" + std::to_string(getpid()));
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);

    CPlimDlg dialog;

    ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    const auto& box = zorbel::test::ShownBoxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, "CODE:1001，程序被损坏，请联系vendor.example解决！");
    EXPECT_EQ(box.caption, "佐贝乐.儿童游戏");
    EXPECT_EQ(box.style, zorbel::kMbOk);
    EXPECT_FALSE(dialog.IsShown());
    // Titles go to the per-user folder, never to the file system's root.
    EXPECT_EQ(dialog.m_strCacheFolder, cacheHome + "/zorbel/titles");
    EXPECT_TRUE(std::filesystem::is_directory(dialog.m_strCacheFolder));
    std::filesystem::remove_all(cacheHome);
    unsetenv("XDG_CACHE_HOME");
    // The rest of the construction went on.
    EXPECT_EQ(dialog.m_adEntries.size(), 3u);

    // The run starts as the start-up runs it.
    bool initialised = false;
    dialog.Bind(wxEVT_INIT_DIALOG, [&](wxInitDialogEvent& event) {
        event.Skip();
        dialog.CallAfter([&] {
            initialised = dialog.IsInitialised() && dialog.IsShown();
            CMainWindowRun::End(&dialog, 0);
        });
    });
    CMainWindowRun::Run(&dialog);
    EXPECT_TRUE(initialised);
    EXPECT_EQ(zorbel::test::ShownBoxes().size(), 1u);
}

TEST_F(PlimDlgTest, MissingSettingsFileUsesTheDefaultSiteNameInTheMessage) {
    CPlimDlg dialog;
    ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    EXPECT_EQ(zorbel::test::ShownBoxes()[0].text,
              "CODE:1001，程序被损坏，请联系zorbel.localhost解决！");
}

TEST_F(PlimDlgTest, CacheFolderIsCreatedOneLevelOnly) {
    const std::string deep = exe_.File("missing/cache");
    WriteSettings(deep, server_->BaseUrl());

    CPlimDlg dialog;

    EXPECT_EQ(dialog.m_strCacheFolder, deep);
    EXPECT_FALSE(std::filesystem::exists(exe_.File("missing")));
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
}

TEST_F(PlimDlgTest, ExistingCacheFolderAndItsFilesAreLeftAlone) {
    std::filesystem::create_directory(cache_);
    std::ofstream(cache_ + "/小星星.swf") << "FWS";
    WriteSettings();

    CPlimDlg dialog;

    EXPECT_TRUE(std::filesystem::exists(cache_ + "/小星星.swf"));
}

TEST_F(PlimDlgTest, StateAfterInitialisation) {
    WriteSettings();
    FakeTray tray;
    zorbel::skin::ResetForTests();
    CPlimDlg dialog;
    ShowAndInit(dialog);

    EXPECT_EQ(std::string(dialog.GetTitle().utf8_str()), "儿童游戏-佐贝乐");
    EXPECT_EQ(MainDialog, &dialog);
    EXPECT_TRUE(IsChecked(dialog.GetDlgItem(kIdCategoryHome)));
    EXPECT_TRUE(IsChecked(dialog.GetDlgItem(kIdTabRecommended)));
    EXPECT_FALSE(IsChecked(dialog.GetDlgItem(kIdTabFavourites)));
    EXPECT_FALSE(IsChecked(dialog.GetDlgItem(kIdCategoryGames)));
    ASSERT_NE(dialog.GetDlgItem(kIdBrowser), nullptr);
    EXPECT_FALSE(dialog.GetDlgItem(kIdBrowser)->IsShown());
    EXPECT_TRUE(dialog.m_browser.IsCreated());
    EXPECT_EQ(dialog.m_browser.GetView(), dialog.GetDlgItem(kIdBrowser));

    // The label shows a generated count.
    const std::string online = Text(dialog.GetDlgItem(kIdOnlineLabel));
    std::smatch match;
    ASSERT_TRUE(std::regex_match(online, match, std::regex("现在有 (\\d+) 位宝宝在乐园")))
        << online;
    const int count = std::stoi(match[1]);
    EXPECT_GE(count, 100000);
    EXPECT_LE(count, 132767);

    EXPECT_TRUE(dialog.m_trayIcon.IsShown());
    EXPECT_NE(dialog.m_trayIcon.GetTaskBarIcon(), nullptr);
    EXPECT_EQ(dialog.m_trayIcon.HandleIconMessage(kTrayIconId, CSystemIcon::kLeftButtonDown), 1);
    EXPECT_EQ(dialog.m_trayIcon.HandleIconMessage(999, CSystemIcon::kRightButtonUp), 0);

    EXPECT_TRUE(dialog.AdRotationTimer().IsRunning());
    EXPECT_EQ(dialog.AdRotationTimer().GetInterval(), 60000);
    EXPECT_TRUE(dialog.DeferredStartupTimer().IsRunning());
    EXPECT_EQ(dialog.DeferredStartupTimer().GetInterval(), 1000);

    long marker = 0;
    EXPECT_TRUE(zorbel::x11::CInstanceMarker::Read(zorbel::x11::CInstanceMarker::XWindowOf(&dialog),
                                                   std::string(wxTheApp->GetAppName().utf8_str()),
                                                   &marker));
    EXPECT_EQ(marker, 2011);

    // The bound members.
    ASSERT_NE(dialog.m_progress, nullptr);
    EXPECT_EQ(dialog.m_progress->GetId(), kIdProgress);
    ASSERT_NE(dialog.m_treeCatalog, nullptr);
    EXPECT_EQ(dialog.m_treeCatalog->GetId(), kIdCatalogTree);
    ASSERT_NE(dialog.m_treeQuick, nullptr);
    EXPECT_EQ(dialog.m_treeQuick->GetId(), kIdQuickTree);
    ASSERT_NE(dialog.m_btnTab, nullptr);
    EXPECT_EQ(dialog.m_btnTab->GetId(), kIdTabRecommended);

    // The skin of every window, and the two sub-items of the frame.
    using zorbel::skin::ElementOf;
    EXPECT_EQ(ElementOf(&dialog), "mainframe11");
    const std::pair<int, const char*> elements[] = {
        {kIdClose, "button.system.close"},
        {kIdMaximize, "button.system.max"},
        {kIdMinimize, "button.system.min"},
        {kIdMenu, "button.system.menu"},
        {kIdFeedback, "button.system.feed"},
        {kIdSkin, "item.btn.skin"},
        {kIdNavCaption, "item.plim.btn.NavText"},
        {kIdTabRecommended, "radio.tab"},
        {kIdTabFavourites, "radio.tab"},
        {kIdTabPlayed, "radio.tab"},
        {kIdCategoryHome, "tool.plim"},
        {kIdCategorySongs, "tool.eg"},
        {kIdCategoryStories, "tool.gs"},
        {kIdCategoryKnowledge, "tool.zs"},
        {kIdCategoryGames, "tool.yx"},
        {kIdCategoryCartoons, "tool.dh"},
        {kIdCategoryCommunity, "tool.mm"},
        {kIdAdLink, "item.text.link"},
        {kIdQuickTree, "tree.videolist"},
        {kIdCatalogTree, "tree.videolist"},
    };
    for (const auto& [id, element] : elements)
        EXPECT_EQ(ElementOf(dialog.GetDlgItem(id)), element) << "control " << id;
    EXPECT_EQ(ElementOf(dialog.GetDlgItem(kIdOnlineLabel)), "");
    EXPECT_EQ(zorbel::skin::SubItemValue(&dialog, "item.text"), " 佐贝乐儿童游戏");
    EXPECT_EQ(zorbel::skin::SubItemValue(&dialog, "item.texture"), "skin.texture33");
}

TEST_F(PlimDlgTest, EveryTemplateControlExistsAsTheTemplateSays) {
    WriteSettings();
    CPlimDlg dialog;
    ShowAndInit(dialog);
    const zorbel::templates::DialogTemplate* tmpl = zorbel::templates::FindDialogTemplate(103);
    ASSERT_NE(tmpl, nullptr);
    ASSERT_EQ(tmpl->controls.size(), 25u);
    EXPECT_EQ(dialog.GetChildren().size(), 25u);
    const zorbel::templates::DialogUnits units(&dialog, *tmpl);
    EXPECT_EQ(dialog.GetClientSize(), units.ToPixels(wxSize(547, 350)));

    // Controls that the layout leaves where the template puts them.
    const int unmoved[] = {1002, 1004, 1005, 1008, 1011, 1014, 1015, 1028,
                           1001, 1007, 1010, 1013, 1017, 1019, 1023, 1018};
    for (const auto& control : tmpl->controls) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        wxWindow* window = dialog.GetDlgItem(control.id);
        ASSERT_NE(window, nullptr);
        const bool expectShown = control.id == kIdBrowser ? false : control.IsVisible();
        EXPECT_EQ(window->IsShown(), expectShown);
        EXPECT_EQ(window->IsThisEnabled(), control.IsEnabled());
        if (std::find(std::begin(unmoved), std::end(unmoved), control.id) != std::end(unmoved)) {
            EXPECT_EQ(window->GetRect(), units.ToPixels(control));
        }
        using zorbel::templates::ControlKind;
        switch (control.kind) {
            case ControlKind::AutoRadioButton:
            case ControlKind::PushButton: {
                auto* button = dynamic_cast<CSkinButton*>(window);
                ASSERT_NE(button, nullptr);
                EXPECT_EQ(button->GetKind(), control.kind == ControlKind::PushButton
                                                 ? CSkinButton::Kind::Push
                                                 : CSkinButton::Kind::Radio);
                EXPECT_EQ(Text(window), control.text);
                break;
            }
            case ControlKind::TreeView:
                EXPECT_NE(dynamic_cast<wxTreeCtrl*>(window), nullptr);
                break;
            case ControlKind::ProgressBar:
                EXPECT_NE(dynamic_cast<wxGauge*>(window), nullptr);
                break;
            case ControlKind::Edit:
                EXPECT_NE(dynamic_cast<wxTextCtrl*>(window), nullptr);
                break;
            case ControlKind::Static:
                if (control.id == kIdAdLink) {
                    EXPECT_EQ(dynamic_cast<CSkinButton*>(window)->GetKind(),
                              CSkinButton::Kind::Label);
                }
                if (control.id != kIdOnlineLabel) {
                    EXPECT_EQ(Text(window), control.text);
                }
                break;
            default:
                break;
        }
    }
    // The two radio groups: categories and tabs.
    auto* home = dynamic_cast<CSkinButton*>(dialog.GetDlgItem(kIdCategoryHome));
    auto* community = dynamic_cast<CSkinButton*>(dialog.GetDlgItem(kIdCategoryCommunity));
    auto* tab = dynamic_cast<CSkinButton*>(dialog.GetDlgItem(kIdTabPlayed));
    EXPECT_EQ(home->GetGroup(), community->GetGroup());
    EXPECT_NE(home->GetGroup(), tab->GetGroup());
    // A click on a category leaves the tabs alone.
    community->Click();
    EXPECT_FALSE(home->GetValue());
    EXPECT_TRUE(IsChecked(dialog.GetDlgItem(kIdTabRecommended)));
}

TEST_F(PlimDlgTest, LayoutFollowsTheClientSize) {
    WriteSettings();
    CPlimDlg dialog;
    ShowAndInit(dialog);
    // A content panel made later (the player, the advertisement or the movie page).
    auto* panel = new wxPanel(&dialog, wxID_ANY);
    EXPECT_EQ(dialog.ContentPanels(), std::vector<wxWindow*>{panel});
    dialog.SetClientSize(800, 600);
    ASSERT_TRUE(
        zorbel::test::PumpUntil([&] { return dialog.GetClientSize() == wxSize(800, 600); }));
    dialog.LayoutChildren();

    EXPECT_EQ(dialog.GetDlgItem(kIdTabRecommended)->GetRect(), wxRect(2, 106, 68, 30));
    EXPECT_EQ(dialog.GetDlgItem(kIdTabFavourites)->GetRect(), wxRect(70, 106, 68, 30));
    EXPECT_EQ(dialog.GetDlgItem(kIdTabPlayed)->GetRect(), wxRect(138, 106, 69, 30));
    // The count keeps its text's height, centred with the link line on the footer.
    const wxRect online = dialog.GetDlgItem(kIdOnlineLabel)->GetRect();
    EXPECT_EQ(online.GetPosition(), wxPoint(8, 587 - online.height / 2));
    EXPECT_EQ(online.width, 190);
    EXPECT_EQ(dialog.GetDlgItem(kIdAdLink)->GetRect(), wxRect(207, 576, 450, 22));
    EXPECT_EQ(dialog.GetDlgItem(kIdProgress)->GetRect(), wxRect(692, 580, 100, 10));
    EXPECT_EQ(dialog.GetDlgItem(kIdQuickTree)->GetRect(), wxRect(2, 135, 205, 434));
    EXPECT_EQ(dialog.GetDlgItem(kIdCatalogTree)->GetRect(), wxRect(2, 135, 205, 434));
    EXPECT_EQ(dialog.GetDlgItem(kIdBrowser)->GetRect(), wxRect(2, 106, 796, 463));
    EXPECT_EQ(panel->GetRect(), wxRect(207, 106, 591, 463));
    panel->Destroy();
    EXPECT_TRUE(dialog.ContentPanels().empty());
}

TEST_F(PlimDlgTest, ThreeEntriesRotateFromTheFirstTick) {
    WriteSettings();
    CPlimDlg dialog;
    ShowAndInit(dialog);
    wxWindow* link = dialog.GetDlgItem(kIdAdLink);
    // Before the first tick the line is empty and a click would open the first address.
    EXPECT_EQ(Text(link), "");
    EXPECT_EQ(dialog.m_strAdLink, "http://ads.example/1");

    // A tick as the timer delivers it.
    wxTimer timer(&dialog, kTimerAdRotation);
    wxTimerEvent tick(timer);
    dialog.ProcessWindowEvent(tick);
    EXPECT_EQ(Text(link), "小兔子拔萝卜");
    EXPECT_EQ(dialog.m_strAdLink, "http://ads.example/1");
    EXPECT_TRUE(dialog.AdRotationTimer().IsRunning());

    // The entry without a caption takes its turn with an empty line.
    dialog.RotateAdvertisement();
    EXPECT_EQ(Text(link), "");
    EXPECT_EQ(dialog.m_strAdLink, "http://ads.example/2");
    dialog.RotateAdvertisement();
    EXPECT_EQ(Text(link), "给我们提提意见吧");
    EXPECT_EQ(dialog.m_strAdLink, "http://ads.example/3");
    dialog.RotateAdvertisement();
    EXPECT_EQ(Text(link), "小兔子拔萝卜");
    EXPECT_EQ(dialog.m_strAdLink, "http://ads.example/1");
    EXPECT_EQ(dialog.m_adCursor, 1u);
}

TEST_F(PlimDlgTest, EmptyFetchStartsNoRotationAndTheStartupTimerFiresOnce) {
    WriteAdList("");
    WriteSettings();
    CPlimDlg dialog;
    EXPECT_TRUE(dialog.m_adEntries.empty());
    EXPECT_FALSE(dialog.m_bAdsLoaded);
    EXPECT_EQ(dialog.m_strAdLink, "");
    ShowAndInit(dialog);

    EXPECT_FALSE(dialog.AdRotationTimer().IsRunning());
    ASSERT_TRUE(dialog.DeferredStartupTimer().IsRunning());
    EXPECT_TRUE(
        zorbel::test::PumpUntil([&] { return !dialog.DeferredStartupTimer().IsRunning(); }));
    EXPECT_EQ(Text(dialog.GetDlgItem(kIdAdLink)), "");
    // A stray rotation tick on an empty list changes nothing.
    dialog.RotateAdvertisement();
    EXPECT_EQ(dialog.m_strAdLink, "");
}

TEST_F(PlimDlgTest, ListsThatAreNoListLoadNothing) {
    const std::string answers[] = {
        "<html><body>Service Unavailable</body></html>",
        "<AdList><File Text=\"a\" Url=\"b\"/>",  // cut short
        "\xFF\xFE garbage \x00\x01",
        "<AdList><Item Text=\"a\" Url=\"b\"/></AdList>",
    };
    WriteSettings();
    for (const std::string& answer : answers) {
        WriteAdList(answer);
        CPlimDlg dialog;
        EXPECT_TRUE(dialog.m_adEntries.empty()) << answer;
        EXPECT_FALSE(dialog.m_bAdsLoaded);
        EXPECT_EQ(dialog.m_strAdLink, "");
    }
    // A page that is not there at all.
    std::filesystem::remove(www_->File("ada.html"));
    CPlimDlg missing;
    EXPECT_FALSE(missing.m_bAdsLoaded);
}

TEST_F(PlimDlgTest, HostileListsGiveTheEntriesThatParse) {
    WriteSettings();
    {
        std::string many = "<AdList>";
        for (int i = 0; i < 3000; ++i)
            many +=
                "<File Text=\"t" + std::to_string(i) + "\" Url=\"u" + std::to_string(i) + "\"/>";
        WriteAdList(many + "</AdList>");
        CPlimDlg dialog;
        ASSERT_EQ(dialog.m_adEntries.size(), 3000u);
        EXPECT_TRUE(dialog.m_bAdsLoaded);
        EXPECT_EQ(dialog.m_strAdLink, "u0");
    }
    {
        std::string deep = "<r><File Text=\"top\" Url=\"u\"/>";
        for (int i = 0; i < 50000; ++i) deep += "<a>";
        for (int i = 0; i < 50000; ++i) deep += "</a>";
        WriteAdList(deep + "</r>");
        CPlimDlg dialog;
        ASSERT_EQ(dialog.m_adEntries.size(), 1u);
        EXPECT_EQ(dialog.m_adEntries[0].text, "top");
    }
    {
        WriteAdList("<r><File Text=\"bad\xC0\xAF\" Url=\"u\xFF\"/></r>");
        CPlimDlg dialog;
        ASSERT_EQ(dialog.m_adEntries.size(), 1u);
        EXPECT_EQ(dialog.m_adEntries[0].text, "bad\xEF\xBF\xBD\xEF\xBF\xBD");
        EXPECT_EQ(dialog.m_strAdLink, "u\xEF\xBF\xBD");
        ShowAndInit(dialog);
        dialog.RotateAdvertisement();
        EXPECT_EQ(Text(dialog.GetDlgItem(kIdAdLink)), "bad\xEF\xBF\xBD\xEF\xBF\xBD");
    }
    {
        // Larger than the fetch takes: nothing.
        WriteAdList("<AdList>" + std::string(2 * 1024 * 1024, ' ') +
                    "<File Text=\"a\" Url=\"b\"/></AdList>");
        CPlimDlg dialog;
        EXPECT_TRUE(dialog.m_adEntries.empty());
        EXPECT_FALSE(dialog.m_bAdsLoaded);
    }
}

TEST_F(PlimDlgTest, NoNetworkStillStarts) {
    // Nobody listens on port 1 of the loopback interface.
    WriteSettings(cache_, "http://127.0.0.1:1");
    CPlimDlg dialog;
    EXPECT_TRUE(dialog.m_adEntries.empty());
    EXPECT_FALSE(dialog.m_bAdsLoaded);
    EXPECT_TRUE(std::filesystem::is_directory(cache_));
    ShowAndInit(dialog);
    EXPECT_FALSE(dialog.AdRotationTimer().IsRunning());
    EXPECT_TRUE(dialog.DeferredStartupTimer().IsRunning());
}

TEST_F(PlimDlgTest, ServerThatNeverAnswersIsGivenUpOn) {
    // Even with default fetch options that would wait for a minute, the start-up does not.
    CVelaspiderApp::Options patient = savedOptions_;
    patient.connectTimeoutMs = 60000;
    patient.totalTimeoutMs = 60000;
    CVelaspiderApp::SetDefaultOptions(patient);
    WriteSettings(cache_, server_->BaseUrl() + "/_fault/delay/600000");

    CPlimDlg dialog;

    EXPECT_TRUE(dialog.m_adEntries.empty());
    EXPECT_FALSE(dialog.m_bAdsLoaded);
}

TEST_F(PlimDlgTest, LaterShowingsDoNotInitialiseAgain) {
    WriteSettings();
    {
        CPlimDlg dialog;
        ShowAndInit(dialog);
        const wxString online = dialog.GetDlgItem(kIdOnlineLabel)->GetLabel();
        dialog.Hide();
        dialog.Show();
        EXPECT_EQ(dialog.GetChildren().size(), 25u);
        EXPECT_EQ(dialog.GetDlgItem(kIdOnlineLabel)->GetLabel(), online);
        EXPECT_FALSE(dialog.GetDlgItem(kIdBrowser)->IsShown());
        EXPECT_EQ(MainDialog, &dialog);
    }
    // A window that is gone is nobody's main window.
    EXPECT_EQ(MainDialog, nullptr);
}
