#include "ui/DlgSkin.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include "app/CatalogFiles.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "app/StartupSequence.h"
#include "platform/MessageBoxStyle.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/skin/CSkinSlider.h"
#include "platform/x11/WindowOpacity.h"
#include "tests/app/CatalogLock.h"
#include "tests/app/TestCatalog.h"
#include "tests/support/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace {

struct Row {
    int hue, saturation, brightness;
    std::string texture, theme;
};

class DlgSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("zorbel-dlgskin-" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "exe");
        fs::create_directories(m_folder / "data");
        setenv("XDG_DATA_HOME", (m_folder / "data").c_str(), 1);
        CVelaPfcSystem::SetExeFolderOverride((m_folder / "exe").string());
        std::ofstream((m_folder / "exe" / "Zorbel.ini").string())
            << "[HOSTS]\nVendorSiteName=vendor.example\n";
        CurrentUserId.clear();
        m_catalog = zorbel::files::CatalogPath();
        zorbel::skin::ResetForTests();
        // The panel's radio buttons and panes are items of the "changeskin" resource.
        SkinDLL_LoadSkinResourceFromFolder(ZORBEL_SOURCE_DIR "/res/skins/changeskin",
                                           "7QOVANETHRIM");
        zorbel::test::ShownBoxes().clear();
    }

    void TearDown() override {
        if (m_dialog != nullptr) m_dialog->Destroy();
        if (m_frame != nullptr) m_frame->Destroy();
        zorbel::test::PumpFor(std::chrono::milliseconds(20));
        CVelaPfcSystem::SetExeFolderOverride("");
        fs::remove_all(m_folder);
    }

    void MakeCatalog(const std::string& extraSql = std::string()) {
        std::string error;
        ASSERT_TRUE(
            zorbel::test::CreateCatalog(m_catalog, zorbel::files::kCatalogKey, extraSql, &error))
            << error;
    }

    void OpenPanel() {
        m_frame = new wxFrame(nullptr, wxID_ANY, "main");
        m_frame->Show();
        m_dialog = new CDlgSkin(m_frame, 400, 30, 420, 44);
        ASSERT_TRUE(m_dialog->Create(CDlgSkin::kTemplateId, m_frame));
    }

    void ClickItem(const std::string& name) {
        wxCommandEvent event(wxEVT_SKIN_ITEM, m_dialog->GetId());
        event.SetString(wxString::FromUTF8(name));
        event.SetInt(kSkinItemMessage);
        event.SetEventObject(m_dialog);
        m_dialog->ProcessWindowEvent(event);
    }

    // A drag that ends at value, as the slider reports it.
    void DragSlider(int id, int value) {
        CSkinSlider* slider = m_dialog->Slider(id);
        ASSERT_NE(slider, nullptr);
        slider->SetValue(value);
        for (wxEventType type :
             {wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED}) {
            wxScrollEvent event(type, id, slider->GetValue(), wxHORIZONTAL);
            event.SetEventObject(slider);
            slider->ProcessWindowEvent(event);
        }
    }

    std::vector<Row> Rows() {
        std::vector<Row> rows;
        CDbVelaLite db;
        EXPECT_TRUE(db.Open(m_catalog, zorbel::files::kCatalogKey));
        CSqlStatement* statement = db.Prepare("SELECT * FROM T_Sys_Skins ORDER BY f_ID");
        while (statement->NextRow()) {
            Row row{statement->ColumnInt(1), statement->ColumnInt(2), statement->ColumnInt(3),
                    statement->ColumnText(4), ""};
            row.theme = statement->ColumnText(5);
            rows.push_back(row);
        }
        delete statement;
        return rows;
    }

    void ExpectSliders(int hue, int saturation, int brightness) {
        EXPECT_EQ(m_dialog->Slider(CDlgSkin::kIdHue)->GetValue(), hue);
        EXPECT_EQ(m_dialog->Slider(CDlgSkin::kIdSaturation)->GetValue(), saturation);
        EXPECT_EQ(m_dialog->Slider(CDlgSkin::kIdBrightness)->GetValue(), brightness);
    }

    void ExpectHsb(int hue, int saturation, int brightness) {
        const zorbel::skin::Hsb hsb = zorbel::skin::CurrentHsb();
        EXPECT_EQ(hsb.hue, hue);
        EXPECT_EQ(hsb.saturation, saturation);
        EXPECT_EQ(hsb.brightness, brightness);
    }

    fs::path m_folder;
    std::string m_catalog;
    wxFrame* m_frame = nullptr;
    CDlgSkin* m_dialog = nullptr;
};

TEST_F(DlgSkinTest, CreatedHiddenWithSkinnedSlidersOverTheirRanges) {
    MakeCatalog();
    OpenPanel();
    EXPECT_FALSE(m_dialog->IsShown());
    EXPECT_EQ(zorbel::skin::ElementOf(m_dialog), "changeskin");
    const struct {
        int id, minValue, maxValue;
        const char* element;
    } expected[] = {{1025, -180, 180, "slider.hue"},
                    {1029, -100, 100, "slider.sat"},
                    {1030, -100, 100, "slider.bri"},
                    {1031, 30, 255, "slider.tran"}};
    for (const auto& e : expected) {
        CSkinSlider* slider = m_dialog->Slider(e.id);
        ASSERT_NE(slider, nullptr) << e.id;
        EXPECT_EQ(slider->GetMin(), e.minValue) << e.id;
        EXPECT_EQ(slider->GetMax(), e.maxValue) << e.id;
        EXPECT_EQ(zorbel::skin::ElementOf(slider), e.element) << e.id;
    }
    ExpectSliders(0, 0, 0);
    EXPECT_EQ(m_dialog->Slider(CDlgSkin::kIdTransparency)->GetValue(), 30);
    EXPECT_TRUE(Rows().empty());
}

TEST_F(DlgSkinTest, DropsDownUnderTheButton) {
    EXPECT_EQ(CDlgSkin::DropDownRect(wxRect(wxPoint(500, 40), wxPoint(519, 59))),
              wxRect(382, 60, 138, 197));
}

TEST_F(DlgSkinTest, StartsFromTheStoredAppearanceSoOneSliderKeepsTheRest) {
    MakeCatalog(
        "INSERT INTO T_Sys_Skins VALUES (NULL, 1, 1, 1, 'skin.texture22', '', '');"
        "INSERT INTO T_Sys_Skins VALUES (NULL, 108, -35, 6, 'skin.texture33', '', '');");
    OpenPanel();
    ExpectSliders(108, -35, 6);
    EXPECT_EQ(m_dialog->Texture(), "skin.texture33");

    DragSlider(CDlgSkin::kIdHue, 50);
    ExpectHsb(50, -35, 6);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    for (const Row& row : rows) {
        EXPECT_EQ(row.hue, 50);
        EXPECT_EQ(row.saturation, -35);
        EXPECT_EQ(row.brightness, 6);
        EXPECT_EQ(row.texture, "skin.texture33");
    }
}

TEST_F(DlgSkinTest, ColourItemSetsSlidersScreenAndRowButKeepsTexture) {
    MakeCatalog("INSERT INTO T_Sys_Skins VALUES (NULL, 0, 0, 0, 'skin.texture44', '', '');");
    OpenPanel();
    ClickItem("item.color.55");
    ExpectSliders(-180, -25, 0);
    ExpectHsb(-180, -25, 0);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].hue, -180);
    EXPECT_EQ(rows[0].saturation, -25);
    EXPECT_EQ(rows[0].brightness, 0);
    EXPECT_EQ(rows[0].texture, "skin.texture44");
    EXPECT_EQ(rows[0].theme, "");
    EXPECT_EQ(m_dialog->Slider(CDlgSkin::kIdTransparency)->GetValue(), 30);
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
}

TEST_F(DlgSkinTest, TextureItemsStoreAndShowTheirTexture) {
    MakeCatalog();
    OpenPanel();
    ClickItem("item.texture.44");
    ExpectHsb(136, 0, 0);
    EXPECT_EQ(zorbel::skin::SubItemValue(m_frame, "item.texture"), "skin.texture44");
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].texture, "skin.texture44");

    ClickItem("item.texture.99");
    ExpectSliders(10, -30, 0);
    ExpectHsb(10, -30, 0);
    EXPECT_EQ(zorbel::skin::SubItemValue(m_frame, "item.texture"), "");
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].hue, 10);
    EXPECT_EQ(rows[0].saturation, -30);
    EXPECT_EQ(rows[0].texture, "");
    EXPECT_EQ(m_dialog->Texture(), "");
}

TEST_F(DlgSkinTest, FirstChangeInsertsLaterOnesUpdate) {
    MakeCatalog();
    OpenPanel();
    ClickItem("item.color.33");
    ASSERT_EQ(Rows().size(), 1u);
    DragSlider(CDlgSkin::kIdBrightness, -40);
    ClickItem("item.texture.77");
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].hue, -100);
    EXPECT_EQ(rows[0].saturation, -49);
    EXPECT_EQ(rows[0].brightness, 0);
    EXPECT_EQ(rows[0].texture, "skin.texture77");
}

TEST_F(DlgSkinTest, TransparencyActsOnTheMainWindowAndIsNotStored) {
    MakeCatalog("INSERT INTO T_Sys_Skins VALUES (NULL, 23, -100, 0, 'skin.texture88', '', '');");
    OpenPanel();
    EXPECT_EQ(zorbel::x11::CWindowOpacity::Get(m_frame), 255);
    DragSlider(CDlgSkin::kIdTransparency, 100);
    EXPECT_EQ(zorbel::x11::CWindowOpacity::Get(m_frame), 185);
    EXPECT_EQ(zorbel::x11::CWindowOpacity::Get(m_dialog), 255);
    ExpectHsb(23, -100, 0);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].hue, 23);
    EXPECT_EQ(rows[0].saturation, -100);
    EXPECT_EQ(rows[0].brightness, 0);
    EXPECT_EQ(rows[0].texture, "skin.texture88");
    EXPECT_EQ(rows[0].theme, "");

    DragSlider(CDlgSkin::kIdTransparency, 30);
    EXPECT_EQ(zorbel::x11::CWindowOpacity::Get(m_frame), 255);
}

TEST_F(DlgSkinTest, OnlyTheEndOfTrackingActs) {
    MakeCatalog();
    OpenPanel();
    CSkinSlider* slider = m_dialog->Slider(CDlgSkin::kIdSaturation);
    slider->SetValue(-60);
    wxScrollEvent track(wxEVT_SCROLL_THUMBTRACK, CDlgSkin::kIdSaturation, -60, wxHORIZONTAL);
    track.SetEventObject(slider);
    slider->ProcessWindowEvent(track);
    ExpectHsb(0, 0, 0);
    EXPECT_TRUE(Rows().empty());

    // A key move ends with the changed event alone.
    wxScrollEvent changed(wxEVT_SCROLL_CHANGED, CDlgSkin::kIdSaturation, -60, wxHORIZONTAL);
    changed.SetEventObject(slider);
    slider->ProcessWindowEvent(changed);
    ExpectHsb(0, -60, 0);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].saturation, -60);
}

TEST_F(DlgSkinTest, ThemeItemsAndUnknownNamesChangeNothing) {
    MakeCatalog();
    OpenPanel();
    SkinDLL_SetHSB(5, 6, 7);
    for (const char* name : {"item.theme.11", "item.theme.22", "item.theme.33", "item.theme.44",
                             "item.theme.55", "item.color.99", "item.colour.11", ""})
        ClickItem(name);
    ExpectHsb(5, 6, 7);
    ExpectSliders(0, 0, 0);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(zorbel::skin::SubItemValue(m_frame, "item.texture"), "");
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
}

TEST_F(DlgSkinTest, RadioButtonsSwitchPanesMarksAndSliders) {
    MakeCatalog();
    OpenPanel();
    ClickItem("radiobtn.texture");
    for (int id : {1025, 1029, 1030, 1031}) EXPECT_FALSE(m_dialog->Slider(id)->IsShown()) << id;
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.texture"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.color"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.theme"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "item.check", "radiobtn.texture"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "item.uncheck", "radiobtn.texture"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "item.check", "radiobtn.color"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "item.uncheck", "radiobtn.color"));

    ClickItem("radiobtn.theme");
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.theme"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.texture"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "item.check", "radiobtn.theme"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "item.check", "radiobtn.texture"));

    ClickItem("radiobtn.color");
    for (int id : {1025, 1029, 1030, 1031}) EXPECT_TRUE(m_dialog->Slider(id)->IsShown()) << id;
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.color"));
    EXPECT_FALSE(zorbel::skin::SubItemVisible(m_dialog, "drawitem.theme"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "item.check", "radiobtn.color"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(m_dialog, "item.uncheck", "radiobtn.theme"));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(DlgSkinTest, MissingCatalogShowsTheDataFailureBoxAndKeepsTheColours) {
    MakeCatalog();
    OpenPanel();
    fs::remove(m_catalog);
    ClickItem("item.color.66");
    ExpectHsb(-150, -25, 0);
    ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    const zorbel::test::ShownBox& box = zorbel::test::ShownBoxes()[0];
    EXPECT_EQ(box.owner, m_dialog);
    EXPECT_EQ(box.caption, "佐贝乐.儿童游戏");
    EXPECT_EQ(box.text, "CODE:1002，程序数据被损坏，请联系vendor.example解决！");
    EXPECT_EQ(box.style & zorbel::kMbIconMask, zorbel::kMbIconError);
    EXPECT_FALSE(fs::exists(m_catalog));
}

TEST_F(DlgSkinTest, ChoiceUnderALockLandsLaterNewestFirstAndDamageShowsTheBox) {
    MakeCatalog();
    OpenPanel();
    {
        zorbel::test::CatalogLock lock(m_catalog, zorbel::files::kCatalogKey);
        ASSERT_TRUE(lock.Held());
        ClickItem("item.color.55");
        ClickItem("item.color.66");
        ExpectHsb(-150, -25, 0);
    }
    EXPECT_TRUE(zorbel::test::ShownBoxes().empty());
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return Rows().size() == 1; }));
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].hue, -150);

    ASSERT_TRUE(zorbel::test::DamageTable(m_catalog, zorbel::files::kCatalogKey, "T_Sys_Skins"));
    ClickItem("item.color.33");
    ASSERT_EQ(zorbel::test::ShownBoxes().size(), 1u);
    EXPECT_EQ(zorbel::test::ShownBoxes()[0].text,
              "CODE:1002，程序数据被损坏，请联系vendor.example解决！");
    EXPECT_EQ(zorbel::test::ShownBoxes()[0].owner, m_dialog);
}

TEST_F(DlgSkinTest, OpenedUnderALockStartsFromTheAppearanceShown) {
    MakeCatalog("INSERT INTO T_Sys_Skins VALUES (NULL, 108, -35, 6, 'skin.texture33', '', '');");
    SkinDLL_SetHSB(108, -35, 6);
    SkinTexture = "skin.texture33";
    zorbel::test::CatalogLock lock(m_catalog, zorbel::files::kCatalogKey);
    ASSERT_TRUE(lock.Held());
    OpenPanel();
    ExpectSliders(108, -35, 6);
    EXPECT_EQ(m_dialog->Texture(), "skin.texture33");
    SkinTexture.clear();
}

TEST_F(DlgSkinTest, HidesWhenDeactivatedOrFocusLeaves) {
    MakeCatalog();
    OpenPanel();
    m_dialog->DropDown(wxRect(400, 30, 20, 14));
    EXPECT_TRUE(m_dialog->IsShown());
    EXPECT_EQ(m_dialog->GetSize(), wxSize(138, 197));

    wxFocusEvent toSlider(wxEVT_KILL_FOCUS, m_dialog->GetId());
    toSlider.SetWindow(m_dialog->Slider(CDlgSkin::kIdHue));
    toSlider.SetEventObject(m_dialog);
    m_dialog->ProcessWindowEvent(toSlider);
    EXPECT_TRUE(m_dialog->IsShown());

    wxFocusEvent away(wxEVT_KILL_FOCUS, m_dialog->GetId());
    away.SetWindow(m_frame);
    away.SetEventObject(m_dialog);
    m_dialog->ProcessWindowEvent(away);
    EXPECT_FALSE(m_dialog->IsShown());

    m_dialog->DropDown(wxRect(400, 30, 20, 14));
    EXPECT_TRUE(m_dialog->IsShown());
    wxActivateEvent deactivate(wxEVT_ACTIVATE, false, m_dialog->GetId());
    deactivate.SetEventObject(m_dialog);
    m_dialog->ProcessWindowEvent(deactivate);
    EXPECT_FALSE(m_dialog->IsShown());
}

}  // namespace
