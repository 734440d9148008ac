// The notification-area icon and its menu. Plain Xvfb has no notification area; a test that
// needs one claims the tray selection itself, which is all the toolkit looks for.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include <wx/frame.h>
#include <wx/taskbar.h>

#include "app/SystemIcon.h"
#include "tests/support/DesktopState.h"
#include "tests/support/FakeTray.h"
#include "tests/support/WindowTestSupport.h"

using zorbel::test::FakeTray;
using namespace std::chrono_literals;

namespace {

constexpr int kTrayMessage = 0x466;
constexpr int kTrayId = 136;

class OwnerFrame : public wxFrame {
public:
    OwnerFrame() : wxFrame(nullptr, wxID_ANY, "owner") {}
    std::vector<std::pair<int, long>> notifications;
    std::vector<int> commands;

private:
    void OnTray(wxCommandEvent& event) {
        notifications.emplace_back(event.GetInt(), event.GetExtraLong());
    }
    void OnCommand(wxCommandEvent& event) { commands.push_back(event.GetId()); }
    wxDECLARE_EVENT_TABLE();
};

// clang-format off
wxBEGIN_EVENT_TABLE(OwnerFrame, wxFrame)
    EVT_TRAY_NOTIFY (kTrayMessage, OwnerFrame::OnTray)
    EVT_MENU        (32777,        OwnerFrame::OnCommand)
    EVT_MENU        (32779,        OwnerFrame::OnCommand)
wxEND_EVENT_TABLE()
// clang-format on

std::string LabelOf(wxMenuItem* item) {
    return std::string(item->GetItemLabelText().utf8_str());
}

TEST(TrayMenu, ItemsOrderIdsTextsAndDefault) {
    auto menu = CSystemIcon::BuildIconMenu(kTrayId);
    ASSERT_NE(menu, nullptr);
    struct Expected {
        int id;
        const char* text;  // null for a separator
    };
    const Expected expected[] = {
        {32788, "设置"}, {0, nullptr},          {32785, "在线升级"}, {32787, "意见反馈"},
        {0, nullptr},    {32779, "显示主界面"}, {0, nullptr},        {32777, "退出"},
    };
    ASSERT_EQ(menu->GetMenuItemCount(), std::size(expected));
    for (size_t pos = 0; pos < std::size(expected); ++pos) {
        wxMenuItem* item = menu->FindItemByPosition(pos);
        if (!expected[pos].text) {
            EXPECT_TRUE(item->IsSeparator()) << "position " << pos;
            continue;
        }
        EXPECT_FALSE(item->IsSeparator()) << "position " << pos;
        EXPECT_EQ(menu->GetResourceId(pos), expected[pos].id) << "position " << pos;
        EXPECT_EQ(menu->ResourceIdOf(item->GetId()), expected[pos].id) << "position " << pos;
        EXPECT_EQ(LabelOf(item), expected[pos].text) << "position " << pos;
    }
    EXPECT_EQ(menu->GetDefaultItem(), 7);

    // The default item is drawn bold, the others plain.
    auto labelMarkup = [&](size_t pos) {
        GtkWidget* widget = menu->FindItemByPosition(pos)->GetMenuItem();
        GtkWidget* label = widget ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
        if (!label || !GTK_IS_LABEL(label) || !gtk_label_get_use_markup(GTK_LABEL(label)))
            return std::string();
        return std::string(gtk_label_get_label(GTK_LABEL(label)));
    };
    EXPECT_EQ(labelMarkup(7), "<b>退出</b>");
    EXPECT_EQ(labelMarkup(0), "");
}

TEST(TrayMenu, MissingResource) {
    EXPECT_EQ(CSystemIcon::LoadMenu(999), nullptr);
    EXPECT_EQ(CSystemIcon::BuildIconMenu(999), nullptr);
    auto plain = CSystemIcon::LoadMenu(kTrayId);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetDefaultItem(), -1);
    EXPECT_FALSE(plain->SetDefaultItem(1));  // a separator
    EXPECT_FALSE(plain->SetDefaultItem(8));
}

// Run on a bare display of its own (tray_icon_without_tray_test); skipped on the desktop.
TEST(SystemIconWithoutTray, CreateReportsFalseAndRemoveIsSafe) {
    if (zorbel::test::TrayHostRuns()) GTEST_SKIP() << "this display has a notification area";
    ASSERT_FALSE(wxTaskBarIcon::IsAvailable()) << "this display has a notification area";
    OwnerFrame* owner = new OwnerFrame;
    {
        CSystemIcon icon;
        EXPECT_FALSE(icon.Create(owner, kTrayMessage, "佐贝乐儿童游戏", CSystemIcon::LoadAppIcon(),
                                 kTrayId));
        EXPECT_FALSE(icon.IsShown());
        EXPECT_EQ(icon.GetTaskBarIcon(), nullptr);
        // The icon keeps its id: other ids get 0, its own non-menu messages 1.
        EXPECT_EQ(icon.HandleIconMessage(999, CSystemIcon::kRightButtonUp), 0);
        EXPECT_EQ(icon.HandleIconMessage(kTrayId, CSystemIcon::kLeftButtonDown), 1);
        icon.RemoveIcon();
        icon.RemoveIcon();
    }
    owner->Destroy();
    CSystemIcon never;
    never.RemoveIcon();
    never.RemoveIcon();
    EXPECT_FALSE(never.Create(nullptr, kTrayMessage, "tip", wxBitmapBundle(), kTrayId));
    // Without an owner nothing is recorded, so no message is this icon's.
    EXPECT_EQ(never.HandleIconMessage(kTrayId, CSystemIcon::kRightButtonUp), 0);
}

TEST(SystemIcon, AppIconLoads) {
    EXPECT_TRUE(CSystemIcon::LoadAppIcon().IsOk());
}

TEST(SystemIcon, SecondActivationWithinDoubleClickTimeIsADoubleClick) {
    gint doubleClickMs = 0;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &doubleClickMs, nullptr);
    ASSERT_GT(doubleClickMs, 0);
    CSystemIcon icon;
    EXPECT_EQ(icon.TranslateActivation(10000), CSystemIcon::kLeftButtonDown);
    EXPECT_EQ(icon.TranslateActivation(10000 + doubleClickMs), CSystemIcon::kLeftButtonDoubleClick);
    // A third click starts a new pair.
    EXPECT_EQ(icon.TranslateActivation(10000 + doubleClickMs + 1), CSystemIcon::kLeftButtonDown);
    EXPECT_EQ(icon.TranslateActivation(20000), CSystemIcon::kLeftButtonDown);
    EXPECT_EQ(icon.TranslateActivation(20000 + doubleClickMs + 1), CSystemIcon::kLeftButtonDown);
}

TEST(SystemIconWithTray, NotificationsAndCommandsReachTheOwner) {
    FakeTray tray;
    ASSERT_TRUE(wxTaskBarIcon::IsAvailable());
    OwnerFrame* owner = new OwnerFrame;
    {
        CSystemIcon icon;
        ASSERT_TRUE(icon.Create(owner, kTrayMessage, "佐贝乐儿童游戏", CSystemIcon::LoadAppIcon(),
                                kTrayId));
        EXPECT_TRUE(icon.IsShown());
        wxTaskBarIcon* taskBar = icon.GetTaskBarIcon();
        ASSERT_NE(taskBar, nullptr);

        // Another icon's id: nothing happens; a message other than the right-button release: 1.
        EXPECT_EQ(icon.HandleIconMessage(999, CSystemIcon::kRightButtonUp), 0);
        EXPECT_EQ(icon.HandleIconMessage(kTrayId, CSystemIcon::kLeftButtonDown), 1);

        wxTaskBarIconEvent context(wxEVT_TASKBAR_CLICK, taskBar);
        taskBar->SafelyProcessEvent(context);
        wxTaskBarIconEvent click(wxEVT_TASKBAR_LEFT_DOWN, taskBar);
        taskBar->SafelyProcessEvent(click);
        taskBar->SafelyProcessEvent(click);
        ASSERT_EQ(owner->notifications.size(), 3u);
        EXPECT_EQ(owner->notifications[0],
                  std::make_pair(kTrayId, long(CSystemIcon::kRightButtonUp)));
        EXPECT_EQ(owner->notifications[1],
                  std::make_pair(kTrayId, long(CSystemIcon::kLeftButtonDown)));
        EXPECT_EQ(owner->notifications[2],
                  std::make_pair(kTrayId, long(CSystemIcon::kLeftButtonDoubleClick)));

        // A command arrives at the owner as such.
        wxCommandEvent chosen(wxEVT_MENU, 32777);
        taskBar->SafelyProcessEvent(chosen);
        ASSERT_TRUE(zorbel::test::PumpUntil([&] { return !owner->commands.empty(); }));
        EXPECT_EQ(owner->commands, std::vector<int>{32777});

        icon.RemoveIcon();
        EXPECT_FALSE(icon.IsShown());
        EXPECT_EQ(icon.GetTaskBarIcon(), nullptr);
        icon.RemoveIcon();
    }
    zorbel::test::PumpFor(20ms);
    owner->Destroy();
}

}  // namespace
