// Building windows from dialog templates.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/generic/stattextg.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "platform/skin/CSkinButton.h"
#include "platform/templates/TemplateBuilder.h"
#include "tests/support/WindowTestSupport.h"

using namespace zorbel::templates;

namespace {

// Destroys a top-level window at the end of a test.
struct WindowCloser {
    void operator()(wxWindow* w) const { w->Destroy(); }
};
template <class T>
using Owned = std::unique_ptr<T, WindowCloser>;

Owned<wxDialog> BuildDialog(int templateId, const ControlFactory& factory = {}) {
    Owned<wxDialog> dialog(new wxDialog);
    EXPECT_TRUE(CreateTemplateDialog(dialog.get(), nullptr, templateId, factory));
    return dialog;
}

bool IsKind(wxWindow* w, ControlKind kind) {
    switch (kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            return dynamic_cast<wxButton*>(w) != nullptr;
        case ControlKind::AutoRadioButton:
            return dynamic_cast<wxRadioButton*>(w) != nullptr;
        case ControlKind::AutoCheckBox:
            return dynamic_cast<wxCheckBox*>(w) != nullptr;
        case ControlKind::Static:
            return dynamic_cast<wxStaticTextBase*>(w) != nullptr;
        case ControlKind::Icon:
            return dynamic_cast<wxStaticBitmap*>(w) != nullptr;
        case ControlKind::Edit:
            return dynamic_cast<wxTextCtrl*>(w) != nullptr;
        case ControlKind::TreeView:
            return dynamic_cast<wxTreeCtrl*>(w) != nullptr;
        case ControlKind::ProgressBar:
            return dynamic_cast<wxGauge*>(w) != nullptr;
        case ControlKind::Trackbar:
            return dynamic_cast<wxSlider*>(w) != nullptr;
        case ControlKind::WebControl:
            return dynamic_cast<wxPanel*>(w) != nullptr;
    }
    return false;
}

// Records the commands a window receives from its controls.
struct CommandLog {
    std::vector<std::pair<wxEventType, int>> events;
    void Attach(wxWindow* window) {
        auto record = [this](wxCommandEvent& e) {
            events.emplace_back(e.GetEventType(), e.GetId());
        };
        window->Bind(wxEVT_BUTTON, record);
        window->Bind(wxEVT_COMMAND_LEFT_DCLICK, record);
    }
};

void SendMouse(wxWindow* window, wxEventType type, wxPoint pos) {
    wxMouseEvent event(type);
    event.SetEventObject(window);
    event.SetId(window->GetId());
    event.SetPosition(pos);
    event.m_leftDown = type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK;
    window->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

TEST(TemplateBuilder, MainWindowTemplateGivesEveryControl) {
    const DialogTemplate* tmpl = FindDialogTemplate(103);
    ASSERT_NE(tmpl, nullptr);
    Owned<wxDialog> dialog(new wxDialog);
    ASSERT_TRUE(dialog->Create(nullptr, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                               WxDialogStyle(*tmpl)));
    const std::vector<wxWindow*> created = CreateDialogControls(dialog.get(), *tmpl);
    ASSERT_EQ(created.size(), 25u);
    EXPECT_EQ(dialog->GetChildren().size(), 25u);

    EXPECT_EQ(dialog->GetClientSize(), dialog->ConvertDialogToPixels(wxSize(547, 350)));
    for (std::size_t i = 0; i < tmpl->controls.size(); ++i) {
        const DialogControl& c = tmpl->controls[i];
        SCOPED_TRACE(testing::Message()
                     << "control " << c.id << " (" << ControlKindName(c.kind) << ")");
        wxWindow* w = dialog->FindWindow(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w, created[i]);
        EXPECT_EQ(w->GetParent(), dialog.get());
        EXPECT_TRUE(IsKind(w, c.kind));
        EXPECT_EQ(w->IsShown(), c.IsVisible());
        EXPECT_EQ(w->IsThisEnabled(), c.IsEnabled());
        EXPECT_EQ(w->GetPosition(), dialog->ConvertDialogToPixels(wxPoint(c.x, c.y)));
        EXPECT_EQ(w->GetSize(), dialog->ConvertDialogToPixels(wxSize(c.w, c.h)));
    }

    // Labels, radio groups and the tree styles.
    EXPECT_EQ(dialog->FindWindow(1011)->GetLabel(), wxString::FromUTF8("玩游戏"));
    EXPECT_TRUE(dialog->FindWindow(1002)->HasFlag(wxRB_GROUP));
    EXPECT_FALSE(dialog->FindWindow(1004)->HasFlag(wxRB_GROUP));
    EXPECT_TRUE(dialog->FindWindow(1033)->HasFlag(wxRB_GROUP));
    auto* tree = dynamic_cast<wxTreeCtrl*>(dialog->FindWindow(1022));
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->HasFlag(wxTR_HIDE_ROOT));
    EXPECT_TRUE(tree->HasFlag(wxTR_FULL_ROW_HIGHLIGHT));
    EXPECT_TRUE(tree->HasFlag(wxTR_NO_LINES));
    EXPECT_FALSE(tree->HasFlag(wxTR_HAS_BUTTONS));
    // Clickable labels are windows of their own; plain ones are the toolkit's label.
    EXPECT_NE(dynamic_cast<wxGenericStaticText*>(dialog->FindWindow(1040)), nullptr);
    EXPECT_NE(dynamic_cast<wxStaticText*>(dialog->FindWindow(1038)), nullptr);
    EXPECT_EQ(dynamic_cast<wxGauge*>(dialog->FindWindow(1027))->GetRange(), 100);
    EXPECT_FALSE(dialog->HasFlag(wxCAPTION));
}

TEST(TemplateBuilder, DialogUnitsFollowTheTemplateFont) {
    Owned<wxDialog> big = BuildDialog(105);    // "宋体" 10
    Owned<wxDialog> small = BuildDialog(178);  // "MS Shell Dlg" 8
    const DialogTemplate* bigTmpl = FindDialogTemplate(105);
    const DialogTemplate* smallTmpl = FindDialogTemplate(178);
    EXPECT_EQ(big->GetFont().GetPointSize(), 10);
    EXPECT_EQ(small->GetFont().GetPointSize(), 8);

    // The builder's own measure agrees with the toolkit's for a dialog in that font.
    const DialogUnits units(small.get(), *smallTmpl);
    const wxSize bigBase = DialogUnits(big.get(), *bigTmpl).Base();
    EXPECT_EQ(wxPoint(units.Base().x, units.Base().y), small->ConvertDialogToPixels(wxPoint(4, 8)));
    EXPECT_EQ(wxPoint(bigBase.x, bigBase.y), big->ConvertDialogToPixels(wxPoint(4, 8)));
    EXPECT_GT(bigBase.y, units.Base().y);

    // A panel inside another window converts with the template's font, not its window's.
    Owned<wxFrame> frame(new wxFrame(nullptr, wxID_ANY, "host"));
    frame->SetFont(wxFontInfo(20));
    auto* panel = new wxPanel(frame.get());
    CreateDialogControls(panel, *smallTmpl);
    wxWindow* edit = panel->FindWindow(1037);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetPosition(), small->FindWindow(1037)->GetPosition());
    EXPECT_EQ(edit->GetSize(), small->FindWindow(1037)->GetSize());
    EXPECT_EQ(panel->GetClientSize(), small->GetClientSize());
}

TEST(TemplateBuilder, SettingsTemplateUsesStandardButtonIds) {
    Owned<wxDialog> dialog = BuildDialog(178);
    EXPECT_EQ(dialog->GetTitle(), wxString::FromUTF8("儿童游戏设置"));
    EXPECT_TRUE(dialog->HasFlag(wxCAPTION));
    EXPECT_TRUE(dialog->HasFlag(wxCLOSE_BOX));
    EXPECT_EQ(dialog->FindWindow(1), nullptr);
    auto* ok = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_OK));
    auto* cancel = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_CANCEL));
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(ok->GetLabel(), wxString::FromUTF8("确定"));
    EXPECT_EQ(cancel->GetLabel(), wxString::FromUTF8("取消"));
    EXPECT_EQ(dialog->GetDefaultItem(), ok);
    EXPECT_EQ(ToolkitId(1), wxID_OK);
    EXPECT_EQ(ToolkitId(2), wxID_CANCEL);
    EXPECT_EQ(ToolkitId(1037), 1037);
    // The unnamed label still exists, with an id of its own.
    int labels = 0;
    for (wxWindow* child : dialog->GetChildren())
        labels += dynamic_cast<wxStaticText*>(child) ? 1 : 0;
    EXPECT_EQ(labels, 1);
    wxDialog unused;
    EXPECT_FALSE(CreateTemplateDialog(&unused, nullptr, 4711));
}

TEST(TemplateBuilder, FactoryReplacesChosenControlsAndKeepsTheirState) {
    std::map<int, wxRect> asked;
    auto factory = [&](wxWindow* parent, const DialogControl& c, wxWindowID id,
                       const wxRect& rect) -> wxWindow* {
        asked[c.id] = rect;
        if (c.id == 1001 || c.id == 1018)
            return new CSkinButton(parent, id, wxString::FromUTF8(c.text), rect.GetPosition(),
                                   rect.GetSize());
        return nullptr;
    };
    Owned<wxDialog> dialog = BuildDialog(103, factory);
    EXPECT_EQ(asked.size(), 25u);
    EXPECT_EQ(asked[1032], wxRect(dialog->ConvertDialogToPixels(wxPoint(7, 60)),
                                  dialog->ConvertDialogToPixels(wxSize(471, 283))));

    auto* close = dynamic_cast<CSkinButton*>(dialog->FindWindow(1001));
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->IsShown());
    // Hidden and disabled in the template: the replacement is too.
    auto* caption = dynamic_cast<CSkinButton*>(dialog->FindWindow(1018));
    ASSERT_NE(caption, nullptr);
    EXPECT_FALSE(caption->IsShown());
    EXPECT_FALSE(caption->IsThisEnabled());
    EXPECT_NE(dynamic_cast<wxButton*>(dialog->FindWindow(1007)), nullptr);
}

TEST(TemplateBuilder, NotifyingStaticsReportClicksAndDoubleClicks) {
    Owned<wxDialog> main = BuildDialog(103);
    CommandLog log;
    log.Attach(main.get());
    wxWindow* link = main->FindWindow(1040);
    SendMouse(link, wxEVT_LEFT_UP, wxPoint(3, 3));
    // Released outside: no click.
    SendMouse(link, wxEVT_LEFT_UP, wxPoint(-5, 3));
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0], std::make_pair(wxEventType(wxEVT_BUTTON), 1040));

    // A label without "notify" tells nobody.
    log.events.clear();
    SendMouse(main->FindWindow(1038), wxEVT_LEFT_UP, wxPoint(3, 3));
    EXPECT_TRUE(log.events.empty());

    // The player's movie area: black, and a double click is its own command.
    const DialogTemplate* playerTmpl = FindDialogTemplate(102);
    Owned<wxFrame> frame(new wxFrame(nullptr, wxID_ANY, "host"));
    auto* panel = new wxPanel(frame.get());
    CreateDialogControls(panel, *playerTmpl);
    CommandLog panelLog;
    panelLog.Attach(panel);
    wxWindow* area = panel->FindWindow(1000);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->GetBackgroundColour(), *wxBLACK);
    SendMouse(area, wxEVT_LEFT_DCLICK, wxPoint(10, 10));
    ASSERT_EQ(panelLog.events.size(), 1u);
    EXPECT_EQ(panelLog.events[0], std::make_pair(wxEventType(wxEVT_COMMAND_LEFT_DCLICK), 1000));
    auto* status = dynamic_cast<wxStaticText*>(panel->FindWindow(1020));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->HasFlag(wxALIGN_RIGHT));
    // Labels keep their rectangle when their text changes.
    const wxSize before = status->GetSize();
    status->SetLabel("a much longer status line than the template had at the start");
    EXPECT_EQ(status->GetSize(), before);
}

TEST(TemplateBuilder, OtherTemplatesBuild) {
    Owned<wxDialog> about = BuildDialog(100);
    EXPECT_EQ(about->GetTitle(), wxString::FromUTF8("关于 佐贝乐儿童游戏"));
    wxStaticBitmap* icon = nullptr;
    for (wxWindow* child : about->GetChildren()) {
        if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) icon = bitmap;
    }
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetSize(), wxSize(32, 32));
    EXPECT_EQ(icon->GetPosition(), about->ConvertDialogToPixels(wxPoint(20, 21)));

    Owned<wxDialog> skin = BuildDialog(105);
    auto* hue = dynamic_cast<wxSlider*>(skin->FindWindow(1025));
    ASSERT_NE(hue, nullptr);
    EXPECT_FALSE(hue->HasFlag(wxSL_AUTOTICKS));
    EXPECT_FALSE(skin->HasFlag(wxCAPTION));

    Owned<wxDialog> feedback = BuildDialog(180);
    EXPECT_TRUE(feedback->HasFlag(wxCAPTION));
    EXPECT_NE(dynamic_cast<wxPanel*>(feedback->FindWindow(1032)), nullptr);
    EXPECT_EQ(feedback->GetClientSize(), feedback->ConvertDialogToPixels(wxSize(350, 173)));
}
