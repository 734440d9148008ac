// The start-up sequence run in-process: the order of its steps, the data failure path, the
// saved appearance, and what a second instance leaves alone. The main window closes itself
// as soon as it has been initialised.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <wx/app.h>
#include <wx/dialog.h>

#include "app/CatalogFiles.h"
#include "app/StartupSequence.h"
#include "mainwnd/PlimDlg.h"
#include "platform/MessageBoxStyle.h"
#include "platform/MainWindowRun.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/x11/InstanceMarker.h"
#include "tests/app/CatalogLock.h"
#include "tests/app/TestCatalog.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::catalogbuild::CatalogSeed;
using zorbel::catalogbuild::SeedSkin;
using zorbel::test::ScratchFolder;

namespace {

class StartupSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(exeFolder_.path().empty());
        ASSERT_FALSE(dataHome_.path().empty());
        // The executable folder holds the settings file and no shipped catalog, so the data
        // folder holds exactly what each test puts there.
        std::ofstream(exeFolder_.path() + "/Zorbel.ini")
            << "[VIEDO]\nViedoPath=" << exeFolder_.path() << "/cache\n"
            << "[HOSTS]\nVendorSiteName=vendor.example\n";
        CVelaPfcSystem::SetExeFolderOverride(exeFolder_.path());
        setenv("XDG_DATA_HOME", dataHome_.path().c_str(), 1);
        zorbel::skin::ResetForTests();
        zorbel::test::ShownBoxes().clear();
        SkinTexture = "left over";
        CurrentUserId = "left over";
    }

    void TearDown() override { CVelaPfcSystem::SetExeFolderOverride(""); }

    // Runs the sequence with no other instance and a main window that ends its modal loop
    // once it is initialised.
    CStartupSequence::Outcome Run() {
        CStartupSequence sequence(std::string(wxTheApp->GetAppName().utf8_str()));
        sequence.SetInstanceFinder([this](const std::string&) {
            steps_.push_back("instance search");
            return otherInstance_;
        });
        sequence.SetDialogFactory([this] {
            steps_.push_back("main window");
            // The requested folders show how far start-up had come when the window was made.
            foldersAtConstruction_ = zorbel::skin::RequestedFolders().size();
            auto dialog = std::make_unique<CPlimDlg>(nullptr);
            CPlimDlg* raw = dialog.get();
            raw->Bind(wxEVT_INIT_DIALOG, [this, raw](wxInitDialogEvent& event) {
                event.Skip();
                shown_ = true;
                raw->CallAfter([this, raw] {
                    long value = 0;
                    markerRead_ = zorbel::x11::CInstanceMarker::Read(
                        zorbel::x11::CInstanceMarker::XWindowOf(raw),
                        std::string(wxTheApp->GetAppName().utf8_str()), &value);
                    markerValue_ = value;
                    hsbWhileShown_ = zorbel::skin::CurrentHsb();
                    CMainWindowRun::End(raw, 0);
                });
            });
            return std::unique_ptr<wxDialog>(std::move(dialog));
        });
        return sequence.Run();
    }

    static CatalogSeed SeedWithSkins(std::vector<SeedSkin> skins) {
        CatalogSeed seed;
        seed.classes.push_back({1, 1, "经典儿歌"});
        seed.titles.push_back({101, 1, "小星星", 0});
        seed.skins = std::move(skins);
        return seed;
    }

    void ExpectDataFailureBox() {
        ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
        const auto& box = zorbel::test::ShownBoxes()[0];
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.text, "CODE:1002，程序数据被损坏，请联系vendor.example解决！");
        EXPECT_EQ(box.caption, "佐贝乐.儿童游戏");
        EXPECT_EQ(box.style, zorbel::kMbIconError | zorbel::kMbOk);
    }

    ScratchFolder exeFolder_;
    ScratchFolder dataHome_;
    bool otherInstance_ = false;
    bool shown_ = false;
    bool markerRead_ = false;
    long markerValue_ = 0;
    size_t foldersAtConstruction_ = 0;
    zorbel::skin::Hsb hsbWhileShown_{-1, -1, -1};
    std::vector<std::string> steps_;
};

const std::vector<std::string> kSkinFolders = {"Themes/Zorbel", "Themes/ZorbelPlim",
                                               "Themes/changeskin"};

}  // namespace

TEST_F(StartupSequenceTest, RunsEveryStepInOrderAndShowsTheMarkedMainWindow) {
    ASSERT_TRUE(zorbel::test::WriteCatalog(
        dataHome_.path(), SeedWithSkins({{12, -34, 56, "skin.texture33", "blue", ""}})));

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kRan);

    EXPECT_EQ(steps_, (std::vector<std::string>{"instance search", "main window"}));
    EXPECT_EQ(zorbel::skin::RequestedFolders(), kSkinFolders);
    EXPECT_EQ(foldersAtConstruction_, 3u);
    EXPECT_TRUE(zorbel::skin::MenuSkinEnabled());
    EXPECT_TRUE(zorbel::skin::HookSkinEnabled());
    EXPECT_EQ(CurrentUserId, "");
    EXPECT_NE(PfcSystem, nullptr);

    ASSERT_TRUE(shown_);
    EXPECT_TRUE(markerRead_);
    EXPECT_EQ(markerValue_, 2011);
    // The colours are applied before the main window shows.
    EXPECT_EQ(hsbWhileShown_.hue, 12);
    EXPECT_EQ(hsbWhileShown_.saturation, -34);
    EXPECT_EQ(hsbWhileShown_.brightness, 56);
    EXPECT_EQ(SkinTexture, "skin.texture33");
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    EXPECT_EQ(wxTheApp->GetTopWindow(), nullptr);
}

TEST_F(StartupSequenceTest, NoSkinRowAppliesZerosAndEmptyTexture) {
    // Only another user's row: the empty user id matches no row.
    ASSERT_TRUE(zorbel::test::WriteCatalog(
        dataHome_.path(), SeedWithSkins({{7, 8, 9, "skin.texture44", "red", "someone"}})));
    SkinDLL_SetHSB(5, 5, 5);

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kRan);

    EXPECT_EQ(zorbel::skin::CurrentHsb().hue, 0);
    EXPECT_EQ(zorbel::skin::CurrentHsb().saturation, 0);
    EXPECT_EQ(zorbel::skin::CurrentHsb().brightness, 0);
    EXPECT_EQ(SkinTexture, "");
    EXPECT_TRUE(shown_);
}

TEST_F(StartupSequenceTest, LastOfSeveralMatchingRowsWins) {
    ASSERT_TRUE(zorbel::test::WriteCatalog(
        dataHome_.path(), SeedWithSkins({{1, 2, 3, "skin.texture11", "a", ""},
                                         {-4, 5, -6, "skin.texture22", "b", ""},
                                         {9, 9, 9, "skin.texture99", "c", "someone"}})));

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kRan);

    EXPECT_EQ(zorbel::skin::CurrentHsb().hue, -4);
    EXPECT_EQ(zorbel::skin::CurrentHsb().saturation, 5);
    EXPECT_EQ(zorbel::skin::CurrentHsb().brightness, -6);
    EXPECT_EQ(SkinTexture, "skin.texture22");
}

TEST_F(StartupSequenceTest, MissingCatalogReportsDataFailureWithoutShowingTheWindow) {
    EXPECT_EQ(Run(), CStartupSequence::Outcome::kDataFailure);

    ExpectDataFailureBox();
    EXPECT_FALSE(shown_);
    // The window object was made (and destroyed) before the check, as were the skins.
    EXPECT_EQ(steps_, (std::vector<std::string>{"instance search", "main window"}));
    EXPECT_EQ(zorbel::skin::RequestedFolders(), kSkinFolders);
    EXPECT_EQ(wxTheApp->GetTopWindow(), nullptr);
}

TEST_F(StartupSequenceTest, CatalogWithAnotherKeyReportsDataFailure) {
    ASSERT_TRUE(zorbel::test::WriteCatalog(dataHome_.path(), SeedWithSkins({}), "not the key"));

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kDataFailure);

    ExpectDataFailureBox();
    EXPECT_FALSE(shown_);
}

TEST_F(StartupSequenceTest, DamagedCatalogFileReportsDataFailure) {
    ASSERT_TRUE(zorbel::test::WriteCatalog(dataHome_.path(), SeedWithSkins({})));
    std::ofstream(dataHome_.path() + "/Zorbel/ZorbelPlim.dat", std::ios::trunc)
        << "this is no database, only some text";

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kDataFailure);

    ExpectDataFailureBox();
    EXPECT_FALSE(shown_);
}

TEST_F(StartupSequenceTest, CatalogHeldByAnotherProgramIsWaitedForNotCalledDamaged) {
    ASSERT_TRUE(zorbel::test::WriteCatalog(
        dataHome_.path(), SeedWithSkins({{12, -34, 56, "skin.texture33", "blue", ""}})));
    zorbel::test::CatalogLock lock(dataHome_.path() + "/Zorbel/ZorbelPlim.dat",
                                   zorbel::files::kCatalogKey);
    ASSERT_TRUE(lock.Held());
    std::thread release([&lock] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        lock.Release();
    });

    const CStartupSequence::Outcome outcome = Run();
    release.join();

    EXPECT_EQ(outcome, CStartupSequence::Outcome::kRan);
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    EXPECT_EQ(hsbWhileShown_.hue, 12);
    EXPECT_EQ(SkinTexture, "skin.texture33");
}

TEST_F(StartupSequenceTest, DamagedAppearanceTableReportsDataFailure) {
    ASSERT_TRUE(zorbel::test::WriteCatalog(
        dataHome_.path(), SeedWithSkins({{12, -34, 56, "skin.texture33", "blue", ""}})));
    ASSERT_TRUE(zorbel::test::DamageTable(dataHome_.path() + "/Zorbel/ZorbelPlim.dat",
                                          zorbel::files::kCatalogKey, "T_Sys_Skins"));

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kDataFailure);

    ExpectDataFailureBox();
    EXPECT_FALSE(shown_);
}

TEST_F(StartupSequenceTest, OtherInstanceEndsStartupBeforeAnythingElse) {
    otherInstance_ = true;

    EXPECT_EQ(Run(), CStartupSequence::Outcome::kOtherInstance);

    EXPECT_EQ(steps_, (std::vector<std::string>{"instance search"}));
    EXPECT_TRUE(zorbel::skin::RequestedFolders().empty());
    EXPECT_FALSE(zorbel::skin::MenuSkinEnabled());
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    // The data folder was not even looked at (looking at it creates it).
    EXPECT_TRUE(dataHome_.IsEmpty());
}

TEST_F(StartupSequenceTest, DefaultRuleFindsTheMarkedWindowAndAsksItToComeForward) {
    const std::string name = "zorbel_startup_wiring_" + std::to_string(getpid());
    CPlimDlg running;
    running.Show();
    ASSERT_TRUE(zorbel::x11::CInstanceMarker::Set(&running, name));
    running.Hide();

    CStartupSequence sequence(name);
    EXPECT_EQ(sequence.Run(), CStartupSequence::Outcome::kOtherInstance);

    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return running.IsShown(); }));
    EXPECT_TRUE(zorbel::skin::RequestedFolders().empty());
    EXPECT_TRUE(dataHome_.IsEmpty());
    running.Hide();
}

TEST(ExecutableNameTest, IsTheBaseNameOfThisProgram) {
    EXPECT_EQ(CStartupSequence::ExecutableName(), "startup_sequence_test");
}
