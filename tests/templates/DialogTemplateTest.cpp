// The dialog templates compiled into the program and their parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/templates/DialogTemplate.h"

using namespace zorbel::templates;

namespace {

const DialogTemplate& Get(int id) {
    static DialogTemplate empty;
    const DialogTemplate* dialog = FindDialogTemplate(id);
    EXPECT_NE(dialog, nullptr) << "template " << id;
    return dialog ? *dialog : empty;
}

struct Row {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, w, h;
    std::uint32_t flags;
};

void ExpectRow(const DialogTemplate& dialog, std::size_t index, const Row& row) {
    ASSERT_LT(index, dialog.controls.size());
    const DialogControl& c = dialog.controls[index];
    SCOPED_TRACE("template " + std::to_string(dialog.id) + " row " + std::to_string(index));
    EXPECT_EQ(c.id, row.id);
    EXPECT_EQ(c.kind, row.kind) << ControlKindName(c.kind);
    EXPECT_EQ(c.text, row.text);
    EXPECT_EQ(c.x, row.x);
    EXPECT_EQ(c.y, row.y);
    EXPECT_EQ(c.w, row.w);
    EXPECT_EQ(c.h, row.h);
    EXPECT_EQ(c.flags, row.flags);
}

std::string ParseError(const std::string& text) {
    TemplateParseResult result = ParseDialogTemplate(text, "test.dlg");
    EXPECT_FALSE(result.ok) << text;
    return result.error;
}

const std::string kHeader = "dialog 7\nsize 10 10\nfont \"MS Shell Dlg\" 8\n";

}  // namespace

TEST(CompiledTemplates, EveryFileParsesAndEveryDialogIsThere) {
    EXPECT_TRUE(DialogTemplateErrors().empty())
        << (DialogTemplateErrors().empty() ? "" : DialogTemplateErrors().front());
    EXPECT_EQ(DialogTemplateIds(), (std::vector<int>{100, 102, 103, 105, 177, 178, 179, 180}));
    EXPECT_EQ(FindDialogTemplate(101), nullptr);
}

TEST(CompiledTemplates, ControlCounts) {
    EXPECT_EQ(Get(100).controls.size(), 4u);
    EXPECT_EQ(Get(102).controls.size(), 8u);
    EXPECT_EQ(Get(103).controls.size(), 25u);
    EXPECT_EQ(Get(105).controls.size(), 4u);
    EXPECT_EQ(Get(177).controls.size(), 1u);
    EXPECT_EQ(Get(178).controls.size(), 6u);
    EXPECT_EQ(Get(179).controls.size(), 1u);
    EXPECT_EQ(Get(180).controls.size(), 1u);
}

TEST(CompiledTemplates, MainWindow) {
    const DialogTemplate& d = Get(103);
    EXPECT_EQ(d.caption, "");
    EXPECT_EQ(d.width, 547);
    EXPECT_EQ(d.height, 350);
    EXPECT_EQ(d.font, "MS Shell Dlg");
    EXPECT_EQ(d.fontSize, 9);
    EXPECT_EQ(d.styles, kPopup | kVisible | kBorderStyle | kSysMenu | kAppWindow);

    const std::vector<int> order = {1002, 1004, 1005, 1008, 1011, 1014, 1015, 1027, 1028,
                                    1001, 1007, 1010, 1013, 1017, 1021, 1019, 1023, 1033,
                                    1034, 1035, 1022, 1018, 1032, 1038, 1040};
    ASSERT_EQ(d.controls.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(d.controls[i].id, order[i]) << "row " << i;

    ExpectRow(d, 0, {1002, ControlKind::AutoRadioButton, "宝宝屋", 4, 17, 40, 41, kGroup});
    ExpectRow(d, 3, {1008, ControlKind::AutoRadioButton, "学知识", 121, 17, 40, 41, kHidden});
    ExpectRow(d, 7, {1027, ControlKind::ProgressBar, "", 482, 337, 58, 6, kHidden | kBorder});
    ExpectRow(d, 8, {1028, ControlKind::Edit, "", 0, 0, 6, 12, kHidden | kDisabled});
    ExpectRow(d, 14,
              {1021, ControlKind::TreeView, "", 7, 83, 117, 260,
               kHidden | kNoHScroll | kFullRowSelect | kTrackSelect | kShowSelAlways | kNoToolTips |
                   kTabStop});
    ExpectRow(d, 16,
              {1023, ControlKind::Static, "佐贝乐儿童游戏", 18, 4, 58, 8, kHidden | kNotify});
    ExpectRow(d, 17, {1033, ControlKind::AutoRadioButton, "最新推荐", 0, 61, 43, 15, kGroup});
    ExpectRow(d, 20,
              {1022, ControlKind::TreeView, "", 7, 83, 117, 260,
               kNoHScroll | kFullRowSelect | kTrackSelect | kShowSelAlways | kTabStop});
    ExpectRow(d, 21, {1018, ControlKind::PushButton, "佐贝乐", 8, 61, 60, 14, kHidden | kDisabled});
    ExpectRow(d, 22, {1032, ControlKind::WebControl, "", 7, 60, 471, 283, 0});
    ExpectRow(d, 23, {1038, ControlKind::Static, "共 97882 位宝宝在乐园", 8, 339, 70, 8, 0});
    ExpectRow(d, 24, {1040, ControlKind::Static, "", 129, 339, 301, 8, kNotify});

    int visible = 0;
    for (const DialogControl& c : d.controls) visible += c.IsVisible() ? 1 : 0;
    EXPECT_EQ(visible, 17);
}

TEST(CompiledTemplates, SettingsDialog) {
    const DialogTemplate& d = Get(178);
    EXPECT_EQ(d.caption, "儿童游戏设置");
    EXPECT_EQ(d.width, 306);
    EXPECT_EQ(d.height, 97);
    EXPECT_EQ(d.fontSize, 8);
    EXPECT_TRUE(d.Has(kCaption));
    ExpectRow(d, 0, {1, ControlKind::DefPushButton, "确定", 197, 76, 50, 14, kTabStop});
    ExpectRow(d, 1, {2, ControlKind::PushButton, "取消", 249, 76, 50, 14, kTabStop});
    ExpectRow(d, 2, {-1, ControlKind::Static, "缓存路径：", 23, 21, 41, 8, 0});
    ExpectRow(d, 3,
              {1037, ControlKind::Edit, "", 64, 19, 199, 14, kBorder | kAutoHScroll | kTabStop});
    ExpectRow(d, 4, {1036, ControlKind::PushButton, "...", 265, 19, 19, 14, kTabStop});
    ExpectRow(d, 5,
              {1039, ControlKind::AutoCheckBox, "自动启动儿童游戏（Windows启动时）", 23, 48, 149,
               10, kTabStop});
    EXPECT_EQ(d.FindControl(1037), &d.controls[3]);
    EXPECT_EQ(d.FindControl(-1), nullptr);
    EXPECT_EQ(d.FindControl(4242), nullptr);
}

TEST(CompiledTemplates, PanelsAndSmallDialogs) {
    const DialogTemplate& player = Get(102);
    EXPECT_EQ(player.font, "新宋体");
    EXPECT_EQ(player.styles, kChild | kVisible | kSysMenu);
    ExpectRow(
        player, 0,
        {1020, ControlKind::Static, "00:00:00/99:99:99", 15, 160, 200, 10, kAlignRight | kGroup});
    ExpectRow(player, 1, {1000, ControlKind::Static, "", 15, 15, 200, 140, kBlackRect | kNotify});
    ExpectRow(player, 2, {1016, ControlKind::Static, "Static", 15, 175, 200, 10, kBorder | kGroup});
    ExpectRow(player, 7, {1015, ControlKind::PushButton, "", 125, 202, 21, 20, kTabStop});

    const DialogTemplate& skin = Get(105);
    EXPECT_EQ(skin.width, 0);
    EXPECT_EQ(skin.height, 0);
    EXPECT_EQ(skin.font, "宋体");
    EXPECT_EQ(skin.fontSize, 10);
    EXPECT_EQ(skin.styles, kPopup | kBorderStyle);
    ExpectRow(skin, 0,
              {1025, ControlKind::Trackbar, "", 8, 64, 100, 15, kTabStop | kNoTicks | kBothSides});
    ExpectRow(skin, 3,
              {1031, ControlKind::Trackbar, "", 6, 132, 100, 15, kTabStop | kNoTicks | kBothSides});

    ExpectRow(Get(177), 0, {1032, ControlKind::WebControl, "", 7, 7, 303, 168, kTabStop});
    ExpectRow(Get(179), 0, {1032, ControlKind::WebControl, "", 7, 6, 302, 170, kTabStop});
    EXPECT_EQ(Get(179).width, 316);
    EXPECT_EQ(Get(179).height, 183);
    EXPECT_EQ(Get(180).caption, "让儿童游戏更完善");
    EXPECT_EQ(Get(180).width, 350);
    ExpectRow(Get(180), 0, {1032, ControlKind::WebControl, "", 7, 7, 332, 159, kTabStop});

    const DialogTemplate& about = Get(100);
    EXPECT_EQ(about.caption, "关于 佐贝乐儿童游戏");
    EXPECT_EQ(about.width, 193);
    EXPECT_EQ(about.height, 85);
    ExpectRow(about, 0, {-1, ControlKind::Icon, "128", 20, 21, 0, 0, 0});
    ExpectRow(about, 1, {-1, ControlKind::Static, "ZorbelPlim，1.0 版", 61, 21, 114, 8, 0});
    EXPECT_EQ(about.controls[3].id, 1);
    EXPECT_EQ(about.controls[3].kind, ControlKind::DefPushButton);
}

TEST(TemplateParser, QuotingCommentsAndLineEnds) {
    TemplateParseResult ok = ParseDialogTemplate(
        "\xEF\xBB\xBF# leading comment\r\n"
        "dialog 9\r\n"
        "caption \"say \\\"hi\\\" \\\\ now\"\r\n"
        "\t size 1 2   # trailing comment\r\n"
        "font \"Face Name\" 11\n"
        "control -1 static 1 2 3 4 \"two\\nlines\" right\n"
        "control 5 edit -3 -4 0 0 \"#not a comment\" #a comment\n",
        "ok.dlg");
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(ok.dialog.id, 9);
    EXPECT_EQ(ok.dialog.caption, "say \"hi\" \\ now");
    EXPECT_EQ(ok.dialog.font, "Face Name");
    EXPECT_EQ(ok.dialog.fontSize, 11);
    ASSERT_EQ(ok.dialog.controls.size(), 2u);
    EXPECT_EQ(ok.dialog.controls[0].text, "two\nlines");
    EXPECT_EQ(ok.dialog.controls[1].x, -3);
    EXPECT_EQ(ok.dialog.controls[1].text, "#not a comment");
    EXPECT_EQ(ok.dialog.controls[1].flags, 0u);
    EXPECT_EQ(ok.dialog.styles, 0u);
}

TEST(TemplateParser, MalformedDataGivesAClearError) {
    struct Case {
        std::string text;
        const char* expected;  // part of the message
    };
    const Case cases[] = {
        {"", "test.dlg: no \"dialog\" statement"},
        {"size 1 1\n", "test.dlg, line 1: the first statement must be \"dialog <id>\""},
        {"dialog x\n", "line 1: \"dialog\" needs one id"},
        {"dialog 0\n", "line 1: \"dialog\" needs one id"},
        {"dialog 3\ndialog 4\n", "line 2: a second \"dialog\""},
        {"dialog 3\nfont \"A\" 8\n", "test.dlg: no \"size\" statement"},
        {"dialog 3\nsize 1 1\n", "no \"font\" statement"},
        {"dialog 3\nsize 1\n", "line 2: \"size\" needs a width and a height"},
        {"dialog 3\nsize 1 -1\n", "line 2: \"size\" needs a width and a height"},
        {"dialog 3\nfont MS 8\n", "line 2: \"font\" needs a quoted face name"},
        {"dialog 3\nfont \"MS\" 0\n", "line 2: \"font\" needs"},
        {"dialog 3\ncaption \"open\n", "line 2: a text has no closing quote"},
        {"dialog 3\ncaption \"a\\q\"\n", "line 2: unknown escape \\q"},
        {"dialog 3\ncaption \"a\"b\n", "line 2: a closing quote is followed directly"},
        {"dialog 3\ncaption ab\"c\"\n", "line 2: a quote inside the word"},
        {"dialog 3\nstyle popup shiny\n", "line 2: unknown dialog style \"shiny\""},
        {"dialog 3\nwindow 1\n", "line 2: unknown statement \"window\""},
        {kHeader + "control 1 pushbuton 1 1 1 1 \"\"\n",
         "line 4: unknown control kind \"pushbuton\""},
        {kHeader + "control 1 pushbutton 1 1 1 \"\"\n", "line 4: \"control\" needs an id"},
        {kHeader + "control 1 pushbutton 1 1 1 1 OK\n", "line 4: control 1: the text must"},
        {kHeader + "control 1 pushbutton 1 1 -1 1 \"\"\n", "line 4: control 1: the rectangle"},
        {kHeader + "control 70000 pushbutton 1 1 1 1 \"\"\n", "control id \"70000\""},
        {kHeader + "control 1x pushbutton 1 1 1 1 \"\"\n", "control id \"1x\""},
        {kHeader + "control 1 pushbutton 1 1 1 1 \"\" visible\n",
         "control 1: unknown flag \"visible\""},
        {kHeader + "control 1 pushbutton 1 1 1 1 \"\" fullrowselect\n",
         "control 1: flag \"fullrowselect\" does not apply to a pushbutton"},
        {kHeader + "control 4 static 1 1 1 1 \"\"\ncontrol 4 edit 1 1 1 1 \"\"\n",
         "line 5: control id 4 is used twice"},
        {"dialog 3\ncaption \"\xC3\x28\"\n", "the file is not UTF-8 text"},
    };
    for (const Case& c : cases) {
        const std::string error = ParseError(c.text);
        EXPECT_NE(error.find(c.expected), std::string::npos) << "text:\n"
                                                             << c.text << "\nerror: " << error;
    }
}

TEST(TemplateParser, LabelsMayRepeatTheUnusedId) {
    TemplateParseResult result = ParseDialogTemplate(
        kHeader + "control -1 static 1 1 1 1 \"a\"\ncontrol -1 static 1 1 1 1 \"b\"\n", "x");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.dialog.controls.size(), 2u);
}
