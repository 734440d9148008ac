// Parent mode's gates on a real main window: with a PIN set, each gated command asks for it;
// a cancelled prompt does nothing, a wrong PIN refuses with a friendly box, the right one
// lets the command go on. The prompt and the boxes are answered by hooks; the maker's hosts
// are an in-process demo server.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/listctrl.h>

#include "app/DlgSettings.h"
#include "catalog/DownloadState.h"
#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "parent/DlgParentSettings.h"
#include "parent/DlgPinPrompt.h"
#include "parent/DlgPlayWeek.h"
#include "parent/ParentGate.h"
#include "parent/PinStore.h"
#include "parent/PlayDiary.h"
#include "parent/SystemClock.h"
#include "platform/MessageBoxStyle.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinButton.h"
#include "tests/platform/TempDir.h"
#include "tests/support/DesktopState.h"
#include "tests/support/WindowTestSupport.h"
#include "tools/demo_server/DemoServer.h"
#include "ui/DlgSkin.h"
#include "web/DlgFeedback.h"
#include "web/DlgMovie.h"
#include "web/DlgShowAd.h"

using namespace zorbel::plim;
using zorbel::test::TempDir;
using namespace std::chrono_literals;

namespace {

constexpr const char* kPin = "2580";

// Ends the first modal dialog of type T that runs while it lives, and says whether one ran.
template <typename T>
class ModalCatcher {
public:
    explicit ModalCatcher(wxWindow* anchor) { Poll(anchor, seen_, stop_); }
    ~ModalCatcher() { *stop_ = true; }
    bool Seen() const { return *seen_; }

private:
    static void Poll(wxWindow* anchor, std::shared_ptr<bool> seen, std::shared_ptr<bool> stop) {
        anchor->CallAfter([anchor, seen, stop] {
            if (*stop) return;
            for (wxWindow* window : wxTopLevelWindows) {
                auto* dialog = dynamic_cast<T*>(window);
                if (dialog && dialog->IsModal()) {
                    *seen = true;
                    dialog->EndModal(wxID_CANCEL);
                    return;
                }
            }
            Poll(anchor, seen, stop);
        });
    }
    std::shared_ptr<bool> seen_ = std::make_shared<bool>(false);
    std::shared_ptr<bool> stop_ = std::make_shared<bool>(false);
};

class ParentGatesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        www_ = new TempDir;
        content_ = new TempDir;
        zorbel::demo::DemoServerOptions options;
        options.contentDir = content_->Path();
        options.wwwDir = www_->Path();
        server_ = new zorbel::demo::DemoServer(options);
        ASSERT_TRUE(server_->Start().ok());
        // The fake updater only says that it ran.
        bin_ = new TempDir;
        const std::string script = bin_->File("Tarnup.exe");
        std::ofstream(script) << "#!/bin/sh\necho ran >> \"$(dirname \"$0\")/calls.log\"\n";
        chmod(script.c_str(), 0755);
        const char* path = getenv("PATH");
        savedPath_ = path ? path : "";
        setenv("PATH", (bin_->Path() + ":" + savedPath_).c_str(), 1);
    }
    static void TearDownTestSuite() {
        setenv("PATH", savedPath_.c_str(), 1);
        delete server_;
        delete content_;
        delete www_;
        delete bin_;
    }

    void SetUp() override {
        const char* config = getenv("XDG_CONFIG_HOME");
        savedConfig_ = config ? std::optional<std::string>(config) : std::nullopt;
        setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
        CVelaPfcSystem::SetExeFolderOverride(exe_.Path());
        std::ofstream(exe_.File("Zorbel.ini"))
            << "[VIEDO]\nViedoPath=" << exe_.File("cache")
            << "\n[HOSTS]\nWebSite=" << server_->BaseUrl() << "\nWebServer=" << server_->BaseUrl()
            << "\nContentServer=" << server_->BaseUrl() << "\nVendorSiteName=vendor.example\n";
        zorbel::parent::SystemClock clock;
        ASSERT_EQ(zorbel::parent::PinStore(zorbel::parent::ParentGate::SettingsPath(), clock)
                      .SetPin(kPin),
                  zorbel::parent::PinChange::kOk);
        zorbel::test::ShownBoxes().clear();
        AppExiting = 0;
        CPlimDlg::SetOpenAddressHook([this](const std::string& a) { opened_.push_back(a); });
        CDlgPinPrompt::SetHook([this](wxWindow*, const std::string& text) {
            asked_.push_back(text);
            std::optional<std::string> answer = answers_.empty() ? std::nullopt : answers_.front();
            if (!answers_.empty()) answers_.erase(answers_.begin());
            return answer;
        });
    }
    void TearDown() override {
        CDlgPinPrompt::SetHook({});
        CPlimDlg::SetOpenAddressHook({});
        CVelaPfcSystem::SetExeFolderOverride("");
        AppExiting = 0;
        if (savedConfig_)
            setenv("XDG_CONFIG_HOME", savedConfig_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }

    CPlimDlg* MakeShown() {
        auto* dialog = new CPlimDlg;
        dialog->Show();
        const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
        zorbel::test::ShownBoxes().clear();
        return dialog;
    }

    static void Command(wxWindow* window, wxEventType type, int id) {
        wxCommandEvent event(type, id);
        event.SetEventObject(window);
        window->GetEventHandler()->ProcessEvent(event);
    }

    // Runs `command` three times: the prompt cancelled, a wrong PIN, the right PIN. `went`
    // says whether the command went on; it must only after the right one.
    void ExpectGated(const std::function<void()>& command, const std::function<bool()>& went) {
        answers_ = {std::nullopt, std::string("1111"), std::string(kPin)};
        command();
        EXPECT_EQ(asked_.size(), 1u);
        EXPECT_FALSE(went()) << "went on after a cancelled prompt";
        EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
        command();
        EXPECT_EQ(asked_.size(), 2u);
        EXPECT_FALSE(went()) << "went on after a wrong PIN";
        ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
        EXPECT_EQ(zorbel::test::ShownBoxes()[0].text, zorbel::parent::ParentGate::kWrongText);
        zorbel::test::ShownBoxes().clear();
        command();
        EXPECT_EQ(asked_.size(), 3u);
        EXPECT_TRUE(went()) << "refused after the right PIN";
    }

    static inline TempDir* www_ = nullptr;
    static inline TempDir* content_ = nullptr;
    static inline TempDir* bin_ = nullptr;
    static inline zorbel::demo::DemoServer* server_ = nullptr;
    static inline std::string savedPath_;
    TempDir exe_;
    TempDir config_;
    std::optional<std::string> savedConfig_;
    std::vector<std::optional<std::string>> answers_;
    std::vector<std::string> asked_;
    std::vector<std::string> opened_;
};

}  // namespace

TEST_F(ParentGatesTest, SettingsDialogAsks) {
    CPlimDlg* dialog = MakeShown();
    bool ran = false;
    ExpectGated(
        [&] {
            ModalCatcher<CDlgSettings> catcher(dialog);
            Command(dialog, wxEVT_MENU, CPlimDlg::kCmdTraySettings);
            ran = catcher.Seen();
        },
        [&] { return ran; });
    delete dialog;
}

// Behind the settings' PIN, the parent's page opens the week: its figures are the diary's
// for the last seven days, and the export writes them for a spreadsheet.
TEST_F(ParentGatesTest, TheWeekShowsTheDiaryAndExportsIt) {
    using zorbel::parent::PlayDiary;
    const std::string diaryPath = PlayDiary::PathBeside(zorbel::parent::ParentGate::SettingsPath());
    const std::string today = PlayDiary::LocalDay(time(nullptr));
    {
        PlayDiary diary(diaryPath);
        diary.Add(today, "儿歌", "两只老虎", 3 * 60000);
        diary.Add(PlayDiary::ShiftDay(today, -1), "游戏", "拼图", 60000);
        diary.Add(PlayDiary::ShiftDay(today, -9), "游戏", "last week", 60000);
        ASSERT_TRUE(diary.Flush());
    }
    {
        CDlgParentSettings settings(nullptr);
        auto* weekButton =
            dynamic_cast<wxButton*>(settings.FindWindow(CDlgParentSettings::kIdWeek));
        ASSERT_NE(weekButton, nullptr);
        EXPECT_TRUE(weekButton->IsEnabled());
    }
    auto* week = new CDlgPlayWeek(nullptr, diaryPath, today);
    week->Show();
    EXPECT_TRUE(zorbel::test::PumpUntil(
        [week] { return zorbel::test::IsMapped(zorbel::test::XWindowOf(week)); }, 10s));
    auto* days = dynamic_cast<wxListCtrl*>(week->FindWindow(CDlgPlayWeek::kIdDays));
    auto* titles = dynamic_cast<wxListCtrl*>(week->FindWindow(CDlgPlayWeek::kIdTitles));
    ASSERT_TRUE(days && titles);
    EXPECT_EQ(days->GetItemCount(), 7);
    EXPECT_EQ(days->GetItemText(0, 2), "3");
    ASSERT_EQ(titles->GetItemCount(), 2);
    EXPECT_EQ(titles->GetItemText(0, 0).utf8_string(), "两只老虎");

    const std::string csv = config_.File("week.csv");
    EXPECT_TRUE(week->ExportTo(csv));
    ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    EXPECT_EQ(zorbel::test::ShownBoxes()[0].text, CDlgPlayWeek::kExportedText);
    std::ifstream in(csv, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, PlayDiary::WeekCsv(week->Week()));
    EXPECT_NE(text.find("两只老虎,3.0"), std::string::npos);
    EXPECT_EQ(text.find("last week"), std::string::npos);
    week->Destroy();
}

TEST_F(ParentGatesTest, SkinDialogAsks) {
    CPlimDlg* dialog = MakeShown();
    ExpectGated([&] { Command(dialog, wxEVT_BUTTON, kIdSkin); },
                [&] { return dialog->m_pSkinDlg != nullptr; });
    delete dialog;
}

TEST_F(ParentGatesTest, FeedbackFormAsks) {
    CPlimDlg* dialog = MakeShown();
    bool ran = false;
    ExpectGated(
        [&] {
            ModalCatcher<CDlgFeedback> catcher(dialog);
            Command(dialog, wxEVT_BUTTON, kIdFeedback);
            ran = catcher.Seen();
        },
        [&] { return ran; });
    delete dialog;
}

TEST_F(ParentGatesTest, CloseQuestionComesOnlyAfterThePin) {
    CPlimDlg* dialog = MakeShown();
    zorbel::test::SetNextBoxAnswer(zorbel::kIdNo);
    bool asked = false;
    ExpectGated(
        [&] {
            Command(dialog, wxEVT_BUTTON, kIdClose);
            for (const auto& box : zorbel::test::ShownBoxes())
                if (box.text == CPlimDlg::kExitQuestion) asked = true;
        },
        [&] { return asked; });
    EXPECT_EQ(AppExiting.load(), 0);
    delete dialog;
}

TEST_F(ParentGatesTest, TrayExitAsksButTheUpdatersQuitMessageDoesNot) {
    CPlimDlg* dialog = MakeShown();
    ExpectGated([&] { Command(dialog, wxEVT_MENU, CPlimDlg::kCmdExit); },
                [&] { return AppExiting.load() == 1; });
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(dialog));
    zorbel::test::PumpFor(50ms);

    // The maker's updater is no child: its quit message ends the program unasked.
    AppExiting = 0;
    asked_.clear();
    dialog = MakeShown();
    const std::string text = "Tarnup is ok!";
    dialog->OnCopyData(0, std::vector<uint8_t>(text.begin(), text.end() + 1));
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(AppExiting.load(), 1);
    zorbel::test::PumpFor(50ms);
}

TEST_F(ParentGatesTest, OnlineUpdateAsks) {
    CPlimDlg* dialog = MakeShown();
    const std::string log = bin_->File("calls.log");
    std::remove(log.c_str());
    ExpectGated(
        [&] { Command(dialog, wxEVT_MENU, CPlimDlg::kCmdOnlineUpdate); },
        [&] { return zorbel::test::PumpUntil([&] { return std::ifstream(log).good(); }, 3s); });
    delete dialog;
}

TEST_F(ParentGatesTest, CommunityPageAsksAndARefusalKeepsTheView) {
    CPlimDlg* dialog = MakeShown();
    auto* home = dynamic_cast<CSkinButton*>(dialog->GetDlgItem(kIdCategoryHome));
    auto* community = dynamic_cast<CSkinButton*>(dialog->GetDlgItem(kIdCategoryCommunity));
    ASSERT_NE(community, nullptr);
    ExpectGated(
        [&] {
            community->SetValue(true);  // as the click leaves it
            Command(dialog, wxEVT_RADIOBUTTON, kIdCategoryCommunity);
        },
        [&] {
            if (dialog->m_nViewMode == 3) return true;
            EXPECT_TRUE(home == nullptr || home->GetValue());
            return false;
        });
    delete dialog;
}

TEST_F(ParentGatesTest, WaysToTheDesktopBrowserAsk) {
    CPlimDlg* dialog = MakeShown();
    dialog->m_strAdLink = server_->BaseUrl() + "/ad";
    ExpectGated([&] { Command(dialog, wxEVT_BUTTON, kIdAdLink); },
                [&] { return opened_.size() == 1; });

    // Links of the advertisement and cartoon pages that would open a browser.
    for (int panel = 0; panel < 2; ++panel) {
        SCOPED_TRACE(panel == 0 ? "advertisement page" : "movie page");
        std::vector<std::string> shell;
        auto opener = [&](const std::string& a) { shell.push_back(a); };
        std::unique_ptr<wxWindow, void (*)(wxWindow*)> page(nullptr,
                                                            [](wxWindow* w) { w->Destroy(); });
        wxEvtHandler* handler = nullptr;
        if (panel == 0) {
            auto* ad = new CDlgShowAd(server_->BaseUrl());
            ASSERT_TRUE(ad->Create(dialog));
            ad->SetShellOpener(opener);
            page.reset(ad);
        } else {
            auto* movie = new CDlgMovie(server_->BaseUrl());
            ASSERT_TRUE(movie->Create(dialog));
            movie->SetShellOpener(opener);
            page.reset(movie);
        }
        handler = page->GetEventHandler();
        asked_.clear();
        zorbel::test::ShownBoxes().clear();
        ExpectGated(
            [&] {
                CWebBrowserEvent event(wxEVT_WB_NEW_WINDOW3,
                                       panel == 0 ? CDlgShowAd::kBrowserId : CDlgMovie::kBrowserId);
                event.SetURL(wxString::FromUTF8(server_->BaseUrl() + "/elsewhere"));
                handler->ProcessEvent(event);
            },
            [&] { return shell.size() == 1; });
    }
    delete dialog;
}

TEST_F(ParentGatesTest, PagesStayWithinTheConfiguredHosts) {
    EXPECT_TRUE(
        zorbel::parent::ParentGate::MayNavigate(server_->BaseUrl() + "/plimad.asp?from=shop"));
    EXPECT_FALSE(zorbel::parent::ParentGate::MayNavigate("https://example.org/"));
    zorbel::parent::SystemClock clock;
    ASSERT_TRUE(
        zorbel::parent::PinStore(zorbel::parent::ParentGate::SettingsPath(), clock).RemovePin());
    EXPECT_TRUE(zorbel::parent::ParentGate::MayNavigate("https://example.org/"));
}
