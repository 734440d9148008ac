#include "tools/skin_gallery/GalleryFrame.h"

#include <gdk/gdk.h>
#include <gtk/gtk.h>
#include <wx/panel.h>
#include <wx/treectrl.h>

#include "platform/SkinEngine.h"
#include "platform/skin/CSkinButton.h"
#include "platform/skin/CSkinSlider.h"

namespace {

wxPanel* Panel(wxWindow* parent, const char* element, wxPoint pos, wxSize size) {
    auto* panel = new wxPanel(parent, wxID_ANY, pos, size, wxBORDER_NONE);
    SkinDLL_SubclassWindow(panel, element);
    return panel;
}

wxTreeCtrl* Tree(wxWindow* parent, wxPoint pos, wxSize size) {
    auto* tree = new wxTreeCtrl(parent, wxID_ANY, pos, size,
                                wxTR_HAS_BUTTONS | wxTR_FULL_ROW_HIGHLIGHT | wxTR_NO_LINES |
                                    wxTR_HIDE_ROOT | wxBORDER_NONE);
    SkinDLL_SubclassWindow(tree, "tree.videolist");
    tree->AddRoot("root");
    return tree;
}

wxTreeItemId Add(wxTreeCtrl* tree, wxTreeItemId parent, const char* text, const char* label) {
    wxTreeItemId id = tree->AppendItem(parent, wxString::FromUTF8(text));
    SkinDLL_TreeCtrl_SetDrawItemSkin(tree, id, "drawitem.item", 0);
    SkinDLL_TreeCtrl_SetDrawItemSubItemValue(tree, id, "item.name", label, 0);
    return id;
}

}  // namespace

GalleryFrame::GalleryFrame(const wxString& screenshot)
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("佐贝乐 skin gallery"), wxPoint(0, 0),
              wxSize(1180, 860), wxBORDER_NONE),
      m_screenshot(screenshot),
      m_timer(this) {
    const wxSize client = GetClientSize();
    auto* main = Panel(this, "mainframe11", wxPoint(0, 0), client);
    SkinDLL_DirectUI_SetSubItemValue(main, "item.text", " 佐贝乐儿童游戏", 1);
    SkinDLL_DirectUI_SetSubItemValue(main, "item.texture", "skin.texture22", 1);

    const char* caption[] = {"button.system.close", "button.system.max", "button.system.min",
                             "button.system.menu", "button.system.feed"};
    for (int i = 0; i < 5; ++i) {
        auto* b = new CSkinButton(main, wxID_ANY, "", wxPoint(client.x - 46 - i * 44, 4),
                                  wxSize(40, 28), CSkinButton::Kind::Push, 0, caption[i]);
        if (i == 0) b->SetLook(true, false);
    }
    new CSkinButton(main, wxID_ANY, "", wxPoint(client.x - 266, 4), wxSize(40, 28),
                    CSkinButton::Kind::Push, 0, "button.system.restore");
    new CSkinButton(main, wxID_ANY, "", wxPoint(client.x - 46, 42), wxSize(40, 34),
                    CSkinButton::Kind::Push, 0, "item.btn.skin");

    const char* tools[][2] = {{"tool.plim", "宝宝屋"}, {"tool.eg", "听儿歌"}, {"tool.gs", "讲故事"},
                              {"tool.zs", "学知识"},   {"tool.yx", "玩游戏"}, {"tool.dh", "动画片"},
                              {"tool.mm", "儿童团"}};
    for (int i = 0; i < 7; ++i) {
        auto* b = new CSkinButton(main, 2000 + i, wxString::FromUTF8(tools[i][1]),
                                  wxPoint(8 + i * 84, 30), wxSize(78, 86), CSkinButton::Kind::Radio,
                                  1, tools[i][0]);
        if (i == 0) b->SetValue(true);
        if (i == 4) b->SetLook(true, false);
        if (i == 5) b->SetLook(true, true);
    }

    const char* tabs[] = {"最新推荐", "宝宝爱玩", "宝宝玩过"};
    for (int i = 0; i < 3; ++i) {
        auto* b =
            new CSkinButton(main, 2100 + i, wxString::FromUTF8(tabs[i]), wxPoint(8 + i * 80, 132),
                            wxSize(76, 32), CSkinButton::Kind::Radio, 2, "radio.tab");
        if (i == 0) b->SetValue(true);
        if (i == 1) b->SetLook(true, false);
    }
    auto* nav =
        new CSkinButton(main, wxID_ANY, wxString::FromUTF8("动画片"), wxPoint(260, 132),
                        wxSize(110, 30), CSkinButton::Kind::Push, 0, "item.plim.btn.NavText");
    nav->Disable();
    new CSkinButton(main, wxID_ANY, wxString::FromUTF8("宝宝每天玩一玩，聪明又健康！"),
                    wxPoint(8, client.y - 23), wxSize(300, 22), CSkinButton::Kind::Label, 0,
                    "item.text.link");
    auto* hoverLink = new CSkinButton(main, wxID_ANY, wxString::FromUTF8("新游戏上线啦（悬停）"),
                                      wxPoint(320, client.y - 23), wxSize(240, 22),
                                      CSkinButton::Kind::Label, 0, "item.text.link");
    hoverLink->SetLook(true, false);

    wxTreeCtrl* games = Tree(main, wxPoint(8, 172), wxSize(220, 420));
    wxTreeItemId cls = Add(games, games->GetRootItem(), "益智游戏", "益智游戏");
    Add(games, cls, "小熊过河", "小熊过河");
    wxTreeItemId picked = Add(games, cls, "颜色配对", "颜色配对");
    Add(games, cls, "数字火车", "数字火车");
    Add(games, games->GetRootItem(), "动作游戏", "动作游戏");
    wxTreeItemId more = Add(games, games->GetRootItem(), "儿歌", "儿歌");
    Add(games, more, "小星星", "小星星");
    Add(games, more, "两只老虎", "两只老虎");
    games->Expand(cls);
    games->Expand(more);
    games->SelectItem(picked);

    wxTreeCtrl* movies = Tree(main, wxPoint(236, 172), wxSize(220, 420));
    wxTreeItemId mc = Add(movies, movies->GetRootItem(), "动画片", "动画片");
    Add(movies, mc, "http://127.0.0.1:8517/movie/1.html", "小猪佩奇");
    Add(movies, mc, "http://127.0.0.1:8517/movie/2.html", "海底小纵队");
    Add(movies, mc, "http://127.0.0.1:8517/movie/3.html", "巧虎");
    movies->Expand(mc);

    auto* child = Panel(main, "winChild", wxPoint(466, 172), wxSize(420, 250));
    const char* player[] = {"item.plim.btn.Open", "item.plim.btn.Play", "item.plim.btn.Pause",
                            "item.plim.btn.Stop", "item.plim.btn.Full"};
    for (int i = 0; i < 5; ++i) {
        auto* b = new CSkinButton(child, wxID_ANY, "", wxPoint(60 + i * 62, 190), wxSize(46, 46),
                                  CSkinButton::Kind::Push, 0, player[i]);
        if (i == 1) b->SetLook(true, false);
        if (i == 2) b->SetLook(true, true);
        if (i == 4) b->Disable();
    }
    Panel(main, "winTip", wxPoint(466, 432), wxSize(420, 160));

    for (int i = 0; i < 8; ++i) {
        auto* sample = Panel(main, "mainframe11", wxPoint(896 + (i % 2) * 140, 172 + (i / 2) * 66),
                             wxSize(134, 60));
        const std::string texture = "skin.texture" + std::string(2, char('1' + i));
        SkinDLL_DirectUI_SetSubItemValue(sample, "item.texture", texture.c_str(), 1);
        SkinDLL_DirectUI_SetSubItemValue(sample, "item.text", texture.c_str() + 5, 1);
    }
    Panel(main, "window.default", wxPoint(896, 440), wxSize(274, 152));

    const char* panes[] = {"radiobtn.color", "radiobtn.texture", "radiobtn.theme"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = Panel(main, "changeskin", wxPoint(8 + i * 150, 604), wxSize(138, 197));
        panel->Bind(wxEVT_SKIN_ITEM, &GalleryFrame::OnSkinItem, this);
        wxCommandEvent pick(wxEVT_SKIN_ITEM, panel->GetId());
        pick.SetEventObject(panel);
        pick.SetString(panes[i]);
        OnSkinItem(pick);
        if (i == 0) {
            const char* sliders[] = {"slider.hue", "slider.sat", "slider.bri", "slider.tran"};
            const int ranges[][3] = {
                {-180, 180, 40}, {-100, 100, -30}, {-100, 100, 20}, {30, 255, 30}};
            for (int s = 0; s < 4; ++s)
                new CSkinSlider(panel, wxID_ANY, ranges[s][2], ranges[s][0], ranges[s][1],
                                wxPoint(4, 104 + s * 22), wxSize(130, 22), sliders[s]);
        }
    }

    Bind(wxEVT_TIMER, &GalleryFrame::OnShot, this);
    if (!m_screenshot.empty()) m_timer.StartOnce(1500);
}

// The panes switch as the skin dialog switches them.
void GalleryFrame::OnSkinItem(wxCommandEvent& event) {
    auto* window = static_cast<wxWindow*>(event.GetEventObject());
    const std::string name = event.GetString().utf8_string();
    for (const char* pane : {"color", "texture", "theme"}) {
        const std::string radio = std::string("radiobtn.") + pane;
        const bool on = radio == name;
        if (name.rfind("radiobtn.", 0) != 0) return;
        SkinDLL_DirectUI_SetEventItemSubItemVisible(window, radio.c_str(), "item.check", on, on);
        SkinDLL_DirectUI_SetEventItemSubItemVisible(window, radio.c_str(), "item.uncheck", !on,
                                                    !on);
        SkinDLL_DirectUI_SetSubItemVisible(window, (std::string("drawitem.") + pane).c_str(), on,
                                           !on);
    }
    for (wxWindow* c : window->GetChildren()) c->Show(name == "radiobtn.color");
}

void GalleryFrame::OnShot(wxTimerEvent&) {
    GdkWindow* window = gtk_widget_get_window(GetHandle());
    const wxSize size = GetSize();
    if (window) {
        GdkPixbuf* pixels = gdk_pixbuf_get_from_window(window, 0, 0, size.x, size.y);
        if (pixels) {
            gdk_pixbuf_save(pixels, m_screenshot.utf8_str(), "png", nullptr, nullptr);
            g_object_unref(pixels);
        }
    }
    Close(true);
}
