#include "ui/SkinSettings.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "app/CatalogFiles.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "tests/app/CatalogLock.h"
#include "tests/app/TestCatalog.h"

namespace ss = zorbel::skinsettings;
namespace fs = std::filesystem;

namespace {

class SkinSettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("zorbel-skinsettings-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_path = (m_folder / "ZorbelPlim.dat").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void MakeCatalog(const std::string& extraSql = std::string()) {
        std::string error;
        ASSERT_TRUE(
            zorbel::test::CreateCatalog(m_path, zorbel::files::kCatalogKey, extraSql, &error))
            << error;
    }

    struct Row {
        int hue, saturation, brightness;
        std::string texture, theme, user;
    };
    std::vector<Row> Rows() {
        std::vector<Row> rows;
        CDbVelaLite db;
        EXPECT_TRUE(db.Open(m_path, zorbel::files::kCatalogKey));
        CSqlStatement* statement = db.Prepare("SELECT * FROM T_Sys_Skins ORDER BY f_ID");
        while (statement->NextRow()) {
            Row row{statement->ColumnInt(1),
                    statement->ColumnInt(2),
                    statement->ColumnInt(3),
                    statement->ColumnText(4),
                    "",
                    ""};
            row.theme = statement->ColumnText(5);
            row.user = statement->ColumnText(6);
            rows.push_back(row);
        }
        delete statement;
        return rows;
    }

    fs::path m_folder;
    std::string m_path;
};

TEST(SkinSettingsItems, ColourItemsCarryTheirPresetAndNoTexture) {
    struct Expected {
        const char* name;
        int hue, saturation, brightness;
    };
    const Expected table[] = {
        {"item.color.11", 10, -30, 0},   {"item.color.22", 0, 0, 0},
        {"item.color.33", 108, -35, 0},  {"item.color.44", 136, 0, 0},
        {"item.color.55", -180, -25, 0}, {"item.color.66", -150, -25, 0},
        {"item.color.77", -100, -49, 0}, {"item.color.88", 23, -100, 0},
    };
    for (const Expected& e : table) {
        const ss::SkinItem item = ss::LookUpItem(e.name);
        EXPECT_EQ(item.kind, ss::ItemKind::kColour) << e.name;
        EXPECT_EQ(item.hue, e.hue) << e.name;
        EXPECT_EQ(item.saturation, e.saturation) << e.name;
        EXPECT_EQ(item.brightness, e.brightness) << e.name;
        EXPECT_EQ(item.texture, "") << e.name;
    }
}

TEST(SkinSettingsItems, TextureItemsCarryPresetAndTextureName) {
    const int hues[] = {10, 0, 108, 136, -180, -150, -100, 23, 10};
    const int saturations[] = {-30, 0, -35, 0, -25, -25, -49, -100, -30};
    for (int digit = 1; digit <= 9; ++digit) {
        const std::string twin = std::to_string(digit) + std::to_string(digit);
        const ss::SkinItem item = ss::LookUpItem("item.texture." + twin);
        EXPECT_EQ(item.kind, ss::ItemKind::kTexture) << twin;
        EXPECT_EQ(item.hue, hues[digit - 1]) << twin;
        EXPECT_EQ(item.saturation, saturations[digit - 1]) << twin;
        EXPECT_EQ(item.brightness, 0) << twin;
        EXPECT_EQ(item.texture, digit == 9 ? std::string() : "skin.texture" + twin) << twin;
    }
}

TEST(SkinSettingsItems, ThemesAreRecognisedAndOtherNamesAreNot) {
    for (const char* name : {"item.theme.11", "item.theme.22", "item.theme.33", "item.theme.44"})
        EXPECT_EQ(ss::LookUpItem(name).kind, ss::ItemKind::kTheme) << name;
    for (const char* name :
         {"", "item.color.99", "item.color.12", "item.color.00", "item.color.5", "item.color.555",
          "item.texture.00", "item.theme.55", "ITEM.COLOR.11", "item.color.11 ", "radiobtn.x"})
        EXPECT_EQ(ss::LookUpItem(name).kind, ss::ItemKind::kNone) << "'" << name << "'";
}

TEST(SkinSettingsItems, AlphaFollowsTheTransparencyPosition) {
    EXPECT_EQ(ss::AlphaForTransparency(30), 255);
    EXPECT_EQ(ss::AlphaForTransparency(100), 185);
    EXPECT_EQ(ss::AlphaForTransparency(255), 30);
    EXPECT_EQ(ss::AlphaForTransparency(0), 255);
    EXPECT_EQ(ss::AlphaForTransparency(1000), 30);
}

TEST_F(SkinSettingsStore, FirstSaveInsertsAndLaterOnesUpdate) {
    MakeCatalog();
    ss::Appearance values{-180, -25, 0, "skin.texture55"};
    EXPECT_EQ(ss::SaveSkinSettings(m_path, values, "", ""), ss::SaveOutcome::kInserted);
    values = {23, -100, 7, ""};
    EXPECT_EQ(ss::SaveSkinSettings(m_path, values, "", ""), ss::SaveOutcome::kUpdated);

    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].hue, 23);
    EXPECT_EQ(rows[0].saturation, -100);
    EXPECT_EQ(rows[0].brightness, 7);
    EXPECT_EQ(rows[0].texture, "");
    EXPECT_EQ(rows[0].theme, "");
    EXPECT_EQ(rows[0].user, "");
}

TEST_F(SkinSettingsStore, OtherUsersRowsAreLeftAlone) {
    MakeCatalog("INSERT INTO T_Sys_Skins VALUES (NULL, 1, 2, 3, 't', '', 'someone');");
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {5, 6, 7, "x"}, "", ""), ss::SaveOutcome::kInserted);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].hue, 1);
    EXPECT_EQ(rows[0].user, "someone");
    EXPECT_EQ(rows[1].hue, 5);
}

TEST_F(SkinSettingsStore, TextureWithQuoteIsStoredAsItIs) {
    MakeCatalog();
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {0, 0, 0, "a'b"}, "", ""), ss::SaveOutcome::kInserted);
    EXPECT_EQ(ss::ReadStoredAppearance(m_path, "").appearance.texture, "a'b");
}

TEST_F(SkinSettingsStore, MissingOrForeignCatalogIsReportedAndNotCreated) {
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {1, 2, 3, ""}, "", ""), ss::SaveOutcome::kNoCatalog);
    EXPECT_FALSE(fs::exists(m_path));
    EXPECT_FALSE(ss::ReadStoredAppearance(m_path, "").found);
    EXPECT_EQ(ss::SaveSkinSettings("", {1, 2, 3, ""}, "", ""), ss::SaveOutcome::kNoCatalog);

    std::string error;
    ASSERT_TRUE(zorbel::test::CreateCatalog(m_path, "another key", "", &error)) << error;
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {1, 2, 3, ""}, "", ""), ss::SaveOutcome::kNoCatalog);
    { std::ofstream(m_path, std::ios::trunc) << "not a database at all"; }
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {1, 2, 3, ""}, "", ""), ss::SaveOutcome::kNoCatalog);
    EXPECT_FALSE(ss::ReadStoredAppearance(m_path, "").found);
}

TEST_F(SkinSettingsStore, LockedCatalogWaitsAndADamagedTableIsNoEmptyOne) {
    MakeCatalog("INSERT INTO T_Sys_Skins VALUES (NULL, 1, 2, 3, 't', '', '');");
    {
        zorbel::test::CatalogLock lock(m_path, zorbel::files::kCatalogKey);
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(ss::SaveSkinSettings(m_path, {4, 5, 6, ""}, "", ""), ss::SaveOutcome::kLocked);
    }
    EXPECT_EQ(Rows().at(0).hue, 1);

    ASSERT_TRUE(zorbel::test::DamageTable(m_path, zorbel::files::kCatalogKey, "T_Sys_Skins"));
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {4, 5, 6, ""}, "", ""), ss::SaveOutcome::kDamaged);
    EXPECT_FALSE(ss::ReadStoredAppearance(m_path, "").found);
}

TEST_F(SkinSettingsStore, CatalogWithoutTheTableIsNotWritten) {
    std::string error;
    ASSERT_TRUE(zorbel::test::CreateCatalog(m_path, zorbel::files::kCatalogKey,
                                            "CREATE TABLE T_Other (a INTEGER);", &error, false))
        << error;
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {1, 2, 3, ""}, "", ""), ss::SaveOutcome::kNotWritten);
}

TEST_F(SkinSettingsStore, ReadingTakesTheLastMatchingRowAsStartUpDoes) {
    MakeCatalog();
    {
        const ss::StoredAppearance none = ss::ReadStoredAppearance(m_path, "");
        EXPECT_TRUE(none.found);
        EXPECT_EQ(none.appearance.hue, 0);
        EXPECT_EQ(none.appearance.texture, "");
    }
    MakeCatalog(
        "INSERT INTO T_Sys_Skins VALUES (NULL, 1, 2, 3, 'skin.texture11', '', '');"
        "INSERT INTO T_Sys_Skins VALUES (NULL, -150, -25, 4, 'skin.texture66', '', '');"
        "INSERT INTO T_Sys_Skins VALUES (NULL, 9, 9, 9, 'skin.texture99', '', 'other');");
    const ss::StoredAppearance stored = ss::ReadStoredAppearance(m_path, "");
    EXPECT_TRUE(stored.found);
    EXPECT_EQ(stored.appearance.hue, -150);
    EXPECT_EQ(stored.appearance.saturation, -25);
    EXPECT_EQ(stored.appearance.brightness, 4);
    EXPECT_EQ(stored.appearance.texture, "skin.texture66");

    // Both rows of the empty user id take the update.
    EXPECT_EQ(ss::SaveSkinSettings(m_path, {5, 5, 5, ""}, "", ""), ss::SaveOutcome::kUpdated);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].hue, 5);
    EXPECT_EQ(rows[1].hue, 5);
    EXPECT_EQ(rows[2].hue, 9);
}

}  // namespace
