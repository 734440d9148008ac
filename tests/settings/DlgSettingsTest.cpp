// The settings dialog: cache folder, start at login, and the main window's re-read after OK.
// No test shows a real dialog of its own: the folder chooser and the message boxes are
// hooked, and modal runs are ended from inside by the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "app/DlgSettings.h"
#include "parent/AllowanceRules.h"
#include "parent/DlgParentSettings.h"
#include "parent/ParentGate.h"
#include "parent/ParentSettingsFile.h"
#include "parent/PinStore.h"
#include "parent/SystemClock.h"
#include "platform/Autostart.h"
#include "platform/MessageBoxStyle.h"
#include "platform/VelaPfcSystem.h"
#include "tests/platform/TempDir.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::test::ShownBoxes;
using zorbel::test::TempDir;

namespace {

const char* const kSite = "vendor.example";
const std::string kMissingText = "CODE:1001，程序被损坏，请联系vendor.example解决！";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Clicks a button or check box of the dialog as the toolkit reports a click.
void Click(wxWindow* dialog, int id) {
    wxWindow* control = dialog->FindWindow(id);
    ASSERT_NE(control, nullptr) << id;
    if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
        check->SetValue(!check->GetValue());
        wxCommandEvent event(wxEVT_CHECKBOX, id);
        event.SetInt(check->GetValue() ? 1 : 0);
        event.SetEventObject(check);
        check->GetEventHandler()->ProcessEvent(event);
        return;
    }
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* config = std::getenv("XDG_CONFIG_HOME");
        m_hadConfig = config != nullptr;
        m_savedConfig = config ? config : "";
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        CVelaPfcSystem::SetExeFolderOverride(m_exe.Path());
        WriteSettings("/var/tmp/zorbel cache");
        ShownBoxes().clear();
        CDlgSettings::SetFolderChooserHook([this](wxWindow* owner, const std::string& title) {
            m_chooserOwners.push_back(owner);
            m_chooserTitles.push_back(title);
            return m_nextFolder;
        });
    }
    void TearDown() override {
        CDlgSettings::SetFolderChooserHook({});
        CVelaPfcSystem::SetExeFolderOverride("");
        if (m_hadConfig)
            setenv("XDG_CONFIG_HOME", m_savedConfig.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }

    void WriteSettings(const std::string& cacheFolder) {
        std::ofstream(SettingsFile(), std::ios::binary)
            << "[VIEDO]\nViedoPath=" << cacheFolder << "\n[HOSTS]\nVendorSiteName=" << kSite
            << "\n";
    }
    std::string SettingsFile() const { return m_exe.File("Zorbel.ini"); }
    std::string EntryFile() const { return m_config.Path() + "/autostart/儿童游戏.desktop"; }

    // Runs the dialog modally; `actions` runs inside the modal loop and must end it. Should it
    // not, the dialog is ended with -1 so that the test fails instead of hanging.
    int RunModal(CDlgSettings& dialog, std::function<void()> actions) {
        dialog.CallAfter([&dialog, actions] {
            actions();
            if (dialog.IsModal()) dialog.EndModal(-1);
        });
        return dialog.ShowModal();
    }

    TempDir m_exe;
    TempDir m_config;
    std::string m_nextFolder;
    std::vector<wxWindow*> m_chooserOwners;
    std::vector<std::string> m_chooserTitles;

private:
    std::string m_savedConfig;
    bool m_hadConfig = false;
};

}  // namespace

TEST_F(SettingsDialogTest, OpeningShowsTheStoredFolderAndTheEntryState) {
    {
        CDlgSettings dialog;
        dialog.InitDialog();
        EXPECT_TRUE(ShownBoxes().empty());
        EXPECT_EQ(dialog.GetTitle(), wxString::FromUTF8("儿童游戏设置"));
        ASSERT_NE(dialog.CacheFolderEdit(), nullptr);
        ASSERT_NE(dialog.AutoStartCheck(), nullptr);
        EXPECT_EQ(dialog.CacheFolderEdit()->GetValue(), "/var/tmp/zorbel cache");
        EXPECT_FALSE(dialog.AutoStartCheck()->GetValue());
        EXPECT_TRUE(dialog.GetIcons().GetIconOfExactSize(wxSize(16, 16)).IsOk());
    }
    // An entry made elsewhere (an earlier run) shows as a ticked box.
    ASSERT_EQ(zorbel::autostart::Register(CDlgSettings::kAutoStartName, "/opt/zorbel/zorbel"),
              zorbel::autostart::Result::kOk);
    CDlgSettings dialog;
    dialog.InitDialog();
    EXPECT_TRUE(dialog.AutoStartCheck()->GetValue());
}

TEST_F(SettingsDialogTest, EmptyFolderIsReportedWithTheErrorIconOnOpening) {
    for (bool missingKey : {false, true}) {
        if (missingKey)
            std::ofstream(SettingsFile(), std::ios::binary)
                << "[HOSTS]\nVendorSiteName=" << kSite << "\n";
        else
            WriteSettings("");
        ShownBoxes().clear();
        CDlgSettings dialog;
        dialog.InitDialog();
        ASSERT_EQ(ShownBoxes().size(), 1u);
        EXPECT_EQ(ShownBoxes()[0].owner, &dialog);
        EXPECT_EQ(ShownBoxes()[0].text, kMissingText);
        EXPECT_EQ(ShownBoxes()[0].caption, "佐贝乐.儿童游戏");
        EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbIconError);
        EXPECT_EQ(dialog.CacheFolderEdit()->GetValue(), "");
    }
}

TEST_F(SettingsDialogTest, CancelledFolderChoiceThenOkStoresEmptyAndTheReReadReportsIt) {
    CDlgSettings dialog;
    m_nextFolder = "";
    wxString afterChoice = "unset";
    const int result = RunModal(dialog, [&] {
        Click(&dialog, CDlgSettings::kIdBrowse);
        afterChoice = dialog.CacheFolderEdit()->GetValue();
        Click(&dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    ASSERT_EQ(m_chooserTitles.size(), 1u);
    EXPECT_EQ(m_chooserTitles[0], "请选择保存视频的文件夹");
    EXPECT_EQ(m_chooserOwners[0], &dialog);
    EXPECT_EQ(afterChoice, "");
    EXPECT_NE(ReadAll(SettingsFile()).find("[VIEDO]\nViedoPath=\n"), std::string::npos)
        << ReadAll(SettingsFile());
    EXPECT_TRUE(ShownBoxes().empty());

    // The main window takes the value over and reports it, without an icon, as its own box;
    // its titles then go to the per-user folder, never to the root.
    const std::string cacheHome =
        std::filesystem::temp_directory_path() / ("zorbel-cache-" + std::to_string(getpid()));
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    wxFrame owner(nullptr, wxID_ANY, "main");
    EXPECT_EQ(zorbel::ReReadCacheFolderAfterSettings(&owner), cacheHome + "/zorbel/titles");
    EXPECT_TRUE(std::filesystem::is_directory(cacheHome + "/zorbel/titles"));
    std::filesystem::remove_all(cacheHome);
    unsetenv("XDG_CACHE_HOME");
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].owner, &owner);
    EXPECT_EQ(ShownBoxes()[0].text, kMissingText);
    EXPECT_EQ(ShownBoxes()[0].caption, "佐贝乐.儿童游戏");
    EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbOk);
}

TEST_F(SettingsDialogTest, ChosenAndTypedFoldersAreStoredAsTheyStand) {
    {
        CDlgSettings dialog;
        m_nextFolder = "/home/kid/视频 缓存";
        EXPECT_EQ(RunModal(dialog,
                           [&] {
                               Click(&dialog, CDlgSettings::kIdBrowse);
                               Click(&dialog, wxID_OK);
                           }),
                  wxID_OK);
        wxFrame owner(nullptr, wxID_ANY, "main");
        EXPECT_EQ(zorbel::ReReadCacheFolderAfterSettings(&owner), "/home/kid/视频 缓存");
        EXPECT_TRUE(ShownBoxes().empty());
    }
    CDlgSettings dialog;
    const std::string typed = "relative/../odd;folder=name/";
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           dialog.CacheFolderEdit()->SetValue(wxString::FromUTF8(typed));
                           Click(&dialog, wxID_OK);
                       }),
              wxID_OK);
    const std::string file = ReadAll(SettingsFile());
    EXPECT_NE(file.find("ViedoPath=" + typed + "\n"), std::string::npos) << file;
    // Everything else in the file stays.
    EXPECT_NE(file.find("VendorSiteName=vendor.example"), std::string::npos);
    wxFrame owner(nullptr, wxID_ANY, "main");
    // A relative folder lies beside the settings file, wherever the program was started.
    EXPECT_EQ(zorbel::ReReadCacheFolderAfterSettings(&owner),
              std::filesystem::path(SettingsFile()).parent_path().string() + "/odd;folder=name");
    EXPECT_EQ(m_chooserTitles.size(), 1u);
}

TEST_F(SettingsDialogTest, CheckBoxWritesAndRemovesTheEntry) {
    CDlgSettings dialog;
    dialog.InitDialog();
    Click(&dialog, CDlgSettings::kIdAutoStart);
    EXPECT_TRUE(dialog.AutoStartCheck()->GetValue());
    ASSERT_TRUE(std::filesystem::is_regular_file(EntryFile()));
    const std::string entry = ReadAll(EntryFile());
    EXPECT_NE(entry.find("Name=儿童游戏\n"), std::string::npos) << entry;
    const std::string exe = zorbel::autostart::RunningExecutablePath();
    EXPECT_NE(entry.find("Exec=" + zorbel::autostart::ExecValue(exe) + "\n"), std::string::npos)
        << entry;
    EXPECT_NE(entry.find("settings_dialog_test"), std::string::npos) << entry;

    // Reopening shows it ticked.
    {
        CDlgSettings again;
        again.InitDialog();
        EXPECT_TRUE(again.AutoStartCheck()->GetValue());
    }

    // Clearing the box removes the entry, and the next opening shows it cleared.
    Click(&dialog, CDlgSettings::kIdAutoStart);
    EXPECT_FALSE(dialog.AutoStartCheck()->GetValue());
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));
    CDlgSettings again;
    again.InitDialog();
    EXPECT_FALSE(again.AutoStartCheck()->GetValue());
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(SettingsDialogTest, UnwritableAutostartFolderIsReported) {
    // A regular file where the autostart folder belongs: root cannot write below it either.
    std::ofstream(m_config.Path() + "/autostart") << "in the way";
    CDlgSettings dialog;
    dialog.InitDialog();
    Click(&dialog, CDlgSettings::kIdAutoStart);
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].owner, &dialog);
    EXPECT_EQ(ShownBoxes()[0].text, "系统参数错误，不能随系统启动！");
    EXPECT_EQ(ShownBoxes()[0].caption, "settings_dialog_test");
    EXPECT_EQ(ShownBoxes()[0].style, zorbel::kMbOk);
    // The box does not pretend.
    EXPECT_FALSE(dialog.AutoStartCheck()->GetValue());
    EXPECT_TRUE(std::filesystem::is_regular_file(m_config.Path() + "/autostart"));
}

TEST_F(SettingsDialogTest, CancelKeepsTheEntryAndLeavesTheSettingsFileAlone) {
    const std::string before = ReadAll(SettingsFile());
    CDlgSettings dialog;
    m_nextFolder = "/somewhere/else";
    const int result = RunModal(dialog, [&] {
        Click(&dialog, CDlgSettings::kIdAutoStart);
        Click(&dialog, CDlgSettings::kIdBrowse);
        Click(&dialog, wxID_CANCEL);
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_TRUE(std::filesystem::is_regular_file(EntryFile()));
    EXPECT_EQ(ReadAll(SettingsFile()), before);
    EXPECT_TRUE(ShownBoxes().empty());
}

// Parent mode's page, behind the settings dialog's own button: the PIN typed twice, set,
// changed and removed; the allowance stored on OK.
TEST_F(SettingsDialogTest, ParentPageSetsChangesAndRemovesThePinAndStoresTheAllowance) {
    using zorbel::parent::ParentGate;
    zorbel::parent::SystemClock clock;
    zorbel::parent::PinStore store(ParentGate::SettingsPath(), clock);
    auto type = [](wxWindow* dialog, int id, const char* text) {
        dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id))->ChangeValue(text);
    };
    CDlgSettings settings;
    bool parentShown = false;
    const int result = RunModal(settings, [&] {
        // The settings dialog's button opens the page modally over it.
        settings.CallAfter([&] {
            for (wxWindow* window : wxTopLevelWindows)
                if (auto* page = dynamic_cast<CDlgParentSettings*>(window);
                    page && page->IsModal()) {
                    parentShown = true;
                    type(page, CDlgParentSettings::kIdPin, "2580");
                    type(page, CDlgParentSettings::kIdPinAgain, "2589");
                    Click(page, CDlgParentSettings::kIdSetPin);
                    EXPECT_FALSE(store.HasPin());
                    type(page, CDlgParentSettings::kIdPin, "258");
                    type(page, CDlgParentSettings::kIdPinAgain, "258");
                    Click(page, CDlgParentSettings::kIdSetPin);
                    EXPECT_FALSE(store.HasPin());
                    type(page, CDlgParentSettings::kIdPin, "2580");
                    type(page, CDlgParentSettings::kIdPinAgain, "2580");
                    Click(page, CDlgParentSettings::kIdSetPin);
                    EXPECT_EQ(store.Check("2580"), zorbel::parent::PinCheck::kRight);
                    type(page, CDlgParentSettings::kIdPin, "97531");
                    type(page, CDlgParentSettings::kIdPinAgain, "97531");
                    Click(page, CDlgParentSettings::kIdSetPin);
                    EXPECT_EQ(store.Check("97531"), zorbel::parent::PinCheck::kRight);
                    Click(page, CDlgParentSettings::kIdRemovePin);
                    EXPECT_FALSE(store.HasPin());
                    dynamic_cast<wxSpinCtrl*>(
                        page->FindWindow(CDlgParentSettings::kIdMinutesSunday + 3))
                        ->SetValue(20);
                    dynamic_cast<wxCheckBox*>(page->FindWindow(CDlgParentSettings::kIdBedtime))
                        ->SetValue(true);
                    type(page, CDlgParentSettings::kIdBedtimeStart, "20:30");
                    type(page, CDlgParentSettings::kIdBedtimeEnd, "7:00");
                    Click(page, wxID_OK);
                    EXPECT_FALSE(page->IsModal());
                }
        });
        Click(&settings, CDlgSettings::kIdParentSettings);
        Click(&settings, wxID_CANCEL);
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_TRUE(parentShown);
    std::vector<std::string> texts;
    for (const auto& box : ShownBoxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         CDlgParentSettings::kMismatchText, CDlgParentSettings::kBadPinText,
                         CDlgParentSettings::kPinSetText, CDlgParentSettings::kPinSetText,
                         CDlgParentSettings::kPinRemovedText}));
    zorbel::parent::ParentSettingsFile file(ParentGate::SettingsPath());
    ASSERT_TRUE(file.Load());
    const auto rules = zorbel::parent::AllowanceRules::Read(file);
    EXPECT_EQ(rules.minutesPerDay[3], 20);
    EXPECT_EQ(rules.minutesPerDay[0], zorbel::parent::AllowanceRules::kNoLimit);
    EXPECT_EQ(rules.bedtimeStart, 20 * 60 + 30);
    EXPECT_EQ(rules.bedtimeEnd, 7 * 60);
}
