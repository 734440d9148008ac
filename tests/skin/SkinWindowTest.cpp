// Windows painted after their element: pictures, the colour shift, sub-items, item clicks,
// the resource lock, tree labels and the creation hook.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/skin/CSkinButton.h"
#include "tests/skin/SkinTestFixture.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::skin::Rgb;
using zorbel::skin::ShiftHsb;

namespace {

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

void Click(wxWindow* window, wxPoint at, wxPoint releaseAt) {
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.SetPosition(at);
    down.SetEventObject(window);
    window->ProcessWindowEvent(down);
    wxMouseEvent up(wxEVT_LEFT_UP);
    up.SetPosition(releaseAt);
    up.SetEventObject(window);
    window->ProcessWindowEvent(up);
}

wxPoint Centre(const wxRect& r) {
    return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
}

// A window that maps item events in its event table, as the skin dialog does.
class ItemPanel : public wxPanel {
public:
    explicit ItemPanel(wxWindow* parent)
        : wxPanel(parent, wxID_ANY, wxPoint(0, 0), wxSize(138, 197)) {}
    std::vector<std::string> items;

private:
    void OnItem(wxCommandEvent& e) { items.push_back(e.GetString().utf8_string()); }
    wxDECLARE_EVENT_TABLE();
};

// clang-format off
wxBEGIN_EVENT_TABLE(ItemPanel, wxPanel)
    EVT_SKIN_ITEM (ItemPanel::OnItem)
wxEND_EVENT_TABLE()
// clang-format on

}  // namespace

using SkinWindowTest = SkinWindowFixture;

TEST_F(SkinWindowTest, LoadsTheThreeFoldersAndRecordsTheCalls) {
    EXPECT_EQ(zorbel::skin::LoadedFolders().size(), 3u);
    EXPECT_EQ(zorbel::skin::RequestedFolders().size(), 3u);
    SkinDLL_Menu_EnableSkin(1);
    EXPECT_TRUE(zorbel::skin::MenuSkinEnabled());
    auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(300, 200));
    SkinDLL_SubclassWindow(panel, "mainframe11");
    SkinDLL_DirectUI_SetSubItemValue(panel, "item.text", " 佐贝乐儿童游戏", 1);
    EXPECT_EQ(zorbel::skin::ElementOf(panel), "mainframe11");
    EXPECT_EQ(zorbel::skin::SubItemValue(panel, "item.text"), " 佐贝乐儿童游戏");
    EXPECT_EQ(zorbel::skin::SubItemValue(panel, "item.texture"), "");
    EXPECT_EQ(zorbel::skin::ElementOf(frame), "");
    // A toolkit button cannot be painted over but still takes and reports its element.
    auto* native = new wxButton(frame, wxID_ANY, "ok");
    SkinDLL_SubclassWindow(native, "button.system.close");
    EXPECT_EQ(zorbel::skin::ElementOf(native), "button.system.close");
}

TEST_F(SkinWindowTest, ElementDrawsItsPictureAndUnskinnedButtonDoesNot) {
    auto* songs = new CSkinButton(frame, wxID_ANY, "songs", wxPoint(0, 0), wxSize(78, 86),
                                  CSkinButton::Kind::Radio, 1, "tool.eg");
    auto* plain = new CSkinButton(frame, wxID_ANY, "songs", wxPoint(100, 0), wxSize(78, 86),
                                  CSkinButton::Kind::Radio, 1);
    // The songs picture is a pink badge centred above the caption.
    auto isPink = [](Rgb c) { return c.r > 200 && c.g < 120 && c.b > 80 && c.b < 160; };
    const wxImage skinned = Snapshot(songs);
    int pink = 0;
    for (int y = 10; y < 60; ++y)
        for (int x = 20; x < 60; ++x) pink += isPink(Pixel(skinned, x, y));
    EXPECT_GT(pink, 200);
    const wxImage unskinned = Snapshot(plain);
    int plainPink = 0;
    for (int y = 10; y < 60; ++y)
        for (int x = 20; x < 60; ++x) plainPink += isPink(Pixel(unskinned, x, y));
    EXPECT_EQ(plainPink, 0);
}

TEST_F(SkinWindowTest, ShiftRecoloursAtAKnownPointAndBack) {
    auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(600, 400));
    SkinDLL_SubclassWindow(panel, "mainframe11");
    // A point in the title band, with no texture chosen and nothing else drawn there.
    const wxPoint at(450, 60);
    const Rgb before = Pixel(Snapshot(panel), at.x, at.y);
    SkinDLL_SetHSB(120, 0, 0);
    EXPECT_EQ(zorbel::skin::CurrentHsb().hue, 120);
    const Rgb turned = Pixel(Snapshot(panel), at.x, at.y);
    EXPECT_TRUE(Near(turned, ShiftHsb(before, 120, 0, 0), 3)) << before << " -> " << turned;
    EXPECT_FALSE(Near(turned, before, 20));
    SkinDLL_SetHSB(0, -100, 0);
    const Rgb grey = Pixel(Snapshot(panel), at.x, at.y);
    EXPECT_TRUE(Near(grey, ShiftHsb(before, 0, -100, 0), 3)) << grey;
    EXPECT_LE(std::abs(grey.r - grey.b), 3);
    SkinDLL_SetHSB(0, 0, 0);
    EXPECT_EQ(Pixel(Snapshot(panel), at.x, at.y), before);
}

TEST_F(SkinWindowTest, ShiftRecoloursPicturesToo) {
    auto* songs = new CSkinButton(frame, wxID_ANY, "", wxPoint(0, 0), wxSize(78, 86),
                                  CSkinButton::Kind::Push, 0, "tool.eg");
    const wxPoint at(39, 30);
    const Rgb before = Pixel(Snapshot(songs), at.x, at.y);
    SkinDLL_SetHSB(-120, 0, 0);
    const Rgb after = Pixel(Snapshot(songs), at.x, at.y);
    EXPECT_TRUE(Near(after, ShiftHsb(before, -120, 0, 0), 4)) << before << " -> " << after;
}

TEST_F(SkinWindowTest, TextureValueSelectsTheBandPattern) {
    auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(600, 400));
    SkinDLL_SubclassWindow(panel, "mainframe11");
    const wxImage plain = Snapshot(panel);
    SkinDLL_DirectUI_SetSubItemValue(panel, "item.texture", "skin.texture88", 1);
    const wxImage checked = Snapshot(panel);
    // Checks cover half of each tile: some band pixels change, the body below does not.
    int changed = 0;
    for (int x = 0; x < 96; x += 4)
        for (int y = 40; y < 100; y += 4) changed += !(Pixel(plain, x, y) == Pixel(checked, x, y));
    EXPECT_GT(changed, 50);
    EXPECT_EQ(Pixel(plain, 300, 250), Pixel(checked, 300, 250));
    SkinDLL_DirectUI_SetSubItemValue(panel, "item.texture", "", 1);
    EXPECT_EQ(Pixel(Snapshot(panel), 48, 60), Pixel(plain, 48, 60));
}

TEST_F(SkinWindowTest, HiddenSubItemIsNotDrawn) {
    auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(138, 197));
    SkinDLL_SubclassWindow(panel, "changeskin");
    const wxRect swatch = zorbel::skin::ItemRect(panel, "item.color.22");
    ASSERT_FALSE(swatch.IsEmpty());
    const wxPoint at = Centre(swatch);
    const Rgb shown = Pixel(Snapshot(panel), at.x, at.y);
    EXPECT_EQ(shown, (Rgb{0x29, 0xb6, 0xf6}));  // the unshifted sky blue swatch
    SkinDLL_DirectUI_SetSubItemVisible(panel, "drawitem.color", 0, 1);
    EXPECT_FALSE(zorbel::skin::SubItemVisible(panel, "drawitem.color"));
    const Rgb hidden = Pixel(Snapshot(panel), at.x, at.y);
    EXPECT_EQ(hidden, (Rgb{255, 255, 255}));
    SkinDLL_DirectUI_SetSubItemVisible(panel, "drawitem.color", 1, 0);
    EXPECT_EQ(Pixel(Snapshot(panel), at.x, at.y), shown);

    // A radio mark belongs to one event item: hiding it there leaves the others alone.
    const wxRect radio = zorbel::skin::ItemRect(panel, "radiobtn.color");
    const wxPoint mark(radio.x + 6, radio.y + radio.height / 2);
    const Rgb checked = Pixel(Snapshot(panel), mark.x, mark.y);
    SkinDLL_DirectUI_SetEventItemSubItemVisible(panel, "radiobtn.color", "item.check", 0, 0);
    SkinDLL_DirectUI_SetEventItemSubItemVisible(panel, "radiobtn.color", "item.uncheck", 1, 1);
    EXPECT_FALSE(zorbel::skin::SubItemVisible(panel, "item.check", "radiobtn.color"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(panel, "item.uncheck", "radiobtn.texture"));
    EXPECT_TRUE(zorbel::skin::SubItemVisible(panel, "item.uncheck", "radiobtn.color"));
    const Rgb unchecked = Pixel(Snapshot(panel), mark.x, mark.y);
    EXPECT_FALSE(Near(checked, unchecked, 30)) << checked << " " << unchecked;
}

TEST_F(SkinWindowTest, ClickOnAChoiceItemDeliversExactlyItsName) {
    auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(138, 197));
    SkinDLL_SubclassWindow(panel, "changeskin");
    std::vector<std::string> names;
    panel->Bind(wxEVT_SKIN_ITEM, [&](wxCommandEvent& e) {
        names.push_back(e.GetString().utf8_string());
        EXPECT_EQ(e.GetEventObject(), panel);
    });
    const wxRect color33 = zorbel::skin::ItemRect(panel, "item.color.33");
    Click(panel, Centre(color33), Centre(color33));
    ASSERT_EQ(names, std::vector<std::string>{"item.color.33"});

    // Releasing over another item, or clicking between items, delivers nothing.
    names.clear();
    Click(panel, Centre(color33), Centre(zorbel::skin::ItemRect(panel, "item.color.44")));
    Click(panel, wxPoint(color33.x - 2, color33.y - 2), wxPoint(color33.x - 2, color33.y - 2));
    EXPECT_TRUE(names.empty());

    // A hidden pane's items cannot be hit; once shown they can.
    const wxRect texture11 = zorbel::skin::ItemRect(panel, "item.texture.11");
    Click(panel, Centre(texture11), Centre(texture11));
    for (const std::string& n : names) EXPECT_NE(n, "item.texture.11");
    names.clear();
    SkinDLL_DirectUI_SetSubItemVisible(panel, "drawitem.color", 0, 1);
    SkinDLL_DirectUI_SetSubItemVisible(panel, "drawitem.texture", 1, 0);
    Click(panel, Centre(texture11), Centre(texture11));
    EXPECT_EQ(names, std::vector<std::string>{"item.texture.11"});

    names.clear();
    const wxRect theme = zorbel::skin::ItemRect(panel, "radiobtn.theme");
    Click(panel, Centre(theme), Centre(theme));
    EXPECT_EQ(names, std::vector<std::string>{"radiobtn.theme"});
}

TEST_F(SkinWindowTest, ItemEventsReachAnEventTable) {
    auto* panel = new ItemPanel(frame);
    SkinDLL_SubclassWindow(panel, "changeskin");
    const wxRect c = zorbel::skin::ItemRect(panel, "item.color.55");
    Click(panel, Centre(c), Centre(c));
    EXPECT_EQ(panel->items, std::vector<std::string>{"item.color.55"});
}

TEST_F(SkinWindowTest, WrongPasswordLoadsNothing) {
    zorbel::skin::ResetForTests();
    const std::string folder = std::string(ZORBEL_SOURCE_DIR) + "/res/skins/Zorbel";
    SkinDLL_LoadSkinResourceFromFolder(folder.c_str(), "7QOVANETHRIX");
    SkinDLL_LoadSkinResourceFromFolder(folder.c_str(), "");
    SkinDLL_LoadSkinResourceFromFolder(nullptr, nullptr);
    SkinDLL_LoadSkinResourceFromFolder("Themes/NoSuchSkin", "7QOVANETHRIM");
    EXPECT_EQ(zorbel::skin::RequestedFolders().size(), 4u);
    EXPECT_TRUE(zorbel::skin::LoadedFolders().empty());
    // The window still works and looks like a plain window.
    auto* panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(200, 150));
    panel->SetBackgroundColour(wxColour(10, 20, 30));
    SkinDLL_SubclassWindow(panel, "mainframe11");
    EXPECT_EQ(Pixel(Snapshot(panel), 100, 60), (Rgb{10, 20, 30}));
    SkinDLL_LoadSkinResourceFromFolder(folder.c_str(), "7QOVANETHRIM");
    EXPECT_EQ(zorbel::skin::LoadedFolders().size(), 1u);
    EXPECT_FALSE(Pixel(Snapshot(panel), 100, 60) == (Rgb{10, 20, 30}));
}

TEST_F(SkinWindowTest, RelativeFoldersAreFoundBesideTheExecutable) {
    zorbel::skin::ResetForTests();
    // The test binary lives in bin/, so the source skins are reached relative to it.
    const std::string relative =
        std::filesystem::relative(std::string(ZORBEL_SOURCE_DIR) + "/res/skins/ZorbelPlim",
                                  std::filesystem::read_symlink("/proc/self/exe").parent_path())
            .string();
    SkinDLL_LoadSkinResourceFromFolder(relative.c_str(), "7QOVANETHRIM");
    EXPECT_EQ(zorbel::skin::LoadedFolders(), std::vector<std::string>{relative});
}

TEST_F(SkinWindowTest, TreeItemLabelAndTextStaySeparate) {
    auto* tree = new wxTreeCtrl(frame, wxID_ANY, wxPoint(0, 0), wxSize(240, 300),
                                wxTR_HAS_BUTTONS | wxTR_HIDE_ROOT | wxTR_FULL_ROW_HIGHLIGHT);
    SkinDLL_SubclassWindow(tree, "tree.videolist");
    wxTreeItemId root = tree->AddRoot("");
    wxTreeItemId cls = tree->AppendItem(root, wxString::FromUTF8("动画片"));
    SkinDLL_TreeCtrl_SetDrawItemSkin(tree, cls, "drawitem.item", 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, cls, "item.name", "动画片", 0);
    wxTreeItemId movie = tree->AppendItem(cls, "http://127.0.0.1:8517/movie/7.html");
    SkinDLL_TreeCtrl_SetDrawItemSkin(tree, movie, "drawitem.item", 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, movie, "item.name", "小猪佩奇", 0);
    tree->Expand(cls);
    tree->SelectItem(movie);

    EXPECT_EQ(tree->GetItemText(movie), "http://127.0.0.1:8517/movie/7.html");
    EXPECT_EQ(zorbel::skin::TreeItemLabel(tree, movie), "小猪佩奇");
    EXPECT_EQ(zorbel::skin::TreeItemElement(tree, movie), "drawitem.item");
    EXPECT_EQ(zorbel::skin::TreeItemLabel(tree, cls), "动画片");
    EXPECT_EQ(zorbel::skin::ElementOf(tree), "tree.videolist");
    // The tree keeps working as a tree.
    EXPECT_EQ(tree->GetSelection(), movie);
    EXPECT_EQ(tree->GetItemParent(movie), cls);

    // Drawing the selected row paints the selection colour across the row.
    frame->Show();
    zorbel::test::PumpFor(std::chrono::milliseconds(200));
    wxRect row;
    ASSERT_TRUE(tree->GetBoundingRect(movie, row, false));
    const Rgb selected = Pixel(Snapshot(tree), 200, row.y + row.height / 2);
    EXPECT_GT(selected.r, 240);
    EXPECT_GT(selected.g, 140);
    EXPECT_LT(selected.b, 120);

    // The class row's arrow is drawn where the tree takes clicks on its expand button, and
    // children are drawn further in than their class.
    wxRect clsText, movieText;
    ASSERT_TRUE(tree->GetBoundingRect(cls, clsText, true));
    ASSERT_TRUE(tree->GetBoundingRect(movie, movieText, true));
    EXPECT_GT(movieText.x, clsText.x + 10);
    const wxPoint arrow(clsText.x - static_cast<int>(tree->GetSpacing()),
                        clsText.y + clsText.height / 2);
    int flags = 0;
    EXPECT_EQ(tree->HitTest(arrow, flags), cls);
    EXPECT_TRUE(flags & wxTREE_HITTEST_ONITEMBUTTON);
    const Rgb arrowInk = Pixel(Snapshot(tree), arrow.x, arrow.y);
    EXPECT_LT(arrowInk.b, 120) << arrowInk;  // the branch rows' orange, not the white ground

    // A title kept on this machine carries the green mark at its row's end; the others not.
    wxTreeItemId stored = tree->AppendItem(cls, "stored");
    SkinDLL_TreeCtrl_SetDrawItemSkin(tree, stored, "drawitem.item", 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, stored, "item.name", "小星星", 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, stored, "item.cached", "1", 0);
    tree->Refresh();
    zorbel::test::PumpFor(std::chrono::milliseconds(200));
    auto greenAtTheEnd = [&](const wxTreeItemId& item) {
        wxRect r;
        EXPECT_TRUE(tree->GetBoundingRect(item, r, false));
        const wxImage shot = Snapshot(tree);
        int green = 0;
        for (int y = r.y; y < r.GetBottom(); ++y)
            for (int x = tree->GetClientSize().x - 30; x < tree->GetClientSize().x; ++x) {
                const Rgb c = Pixel(shot, x, y);
                green += c.g > 150 && c.r < 140 && c.b < 140;
            }
        return green;
    };
    EXPECT_GT(greenAtTheEnd(stored), 60);
    EXPECT_EQ(greenAtTheEnd(movie), 0);

    // Deleted items take their labels with them.
    tree->DeleteAllItems();
    wxTreeItemId again = tree->AddRoot("");
    wxTreeItemId fresh = tree->AppendItem(again, "plain");
    EXPECT_EQ(zorbel::skin::TreeItemLabel(tree, fresh), "");
}

TEST_F(SkinWindowTest, HookGivesNewTopLevelWindowsTheDefaultLook) {
    SkinDLL_EnableHookSkin(1);
    EXPECT_TRUE(zorbel::skin::HookSkinEnabled());
    auto* hooked = new wxDialog(nullptr, wxID_ANY, "hooked", wxPoint(0, 0), wxSize(200, 100));
    hooked->Show();
    zorbel::test::PumpFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(zorbel::skin::HasDefaultLook(hooked));
    EXPECT_EQ(zorbel::skin::ElementOf(hooked), "");

    // Switched off around a window's creation, as around the skin dialog's.
    SkinDLL_EnableHookSkin(0);
    auto* unhooked = new wxDialog(nullptr, wxID_ANY, "plain", wxPoint(0, 0), wxSize(200, 100));
    unhooked->Show();
    zorbel::test::PumpFor(std::chrono::milliseconds(100));
    SkinDLL_EnableHookSkin(1);
    zorbel::test::PumpFor(std::chrono::milliseconds(50));
    EXPECT_FALSE(zorbel::skin::HasDefaultLook(unhooked));

    // An explicit element wins over the default look.
    SkinDLL_SubclassWindow(hooked, "winTip");
    EXPECT_FALSE(zorbel::skin::HasDefaultLook(hooked));
    EXPECT_EQ(zorbel::skin::ElementOf(hooked), "winTip");
    // The toolkit's own message dialogs are left alone.
    auto* box = new wxMessageDialog(nullptr, "text", "caption");
    wxShowEvent shown(box->GetId(), true);
    shown.SetEventObject(box);
    box->ProcessWindowEvent(shown);
    EXPECT_FALSE(zorbel::skin::HasDefaultLook(box));
    box->Destroy();
    hooked->Destroy();
    unhooked->Destroy();
    SkinDLL_EnableHookSkin(0);
}

TEST_F(SkinWindowTest, ToolkitControlsTakeOnlyReadableColours) {
    auto* radio = new wxRadioButton(frame, wxID_ANY, "tool");
    const wxColour before = radio->GetForegroundColour();
    SkinDLL_SubclassWindow(radio, "tool.plim");  // white caption meant for the title band
    EXPECT_EQ(radio->GetForegroundColour(), before);
    auto* link = new wxStaticText(frame, wxID_ANY, "link");
    SkinDLL_SubclassWindow(link, "item.text.link");
    EXPECT_EQ(link->GetForegroundColour(), wxColour(0x02, 0x88, 0xd1));
    // The shift recolours them too.
    SkinDLL_SetHSB(120, 0, 0);
    EXPECT_NE(link->GetForegroundColour(), wxColour(0x02, 0x88, 0xd1));
}
