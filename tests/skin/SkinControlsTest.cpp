// The skinned controls behave as the toolkit controls they stand in for.
#include <gdk/gdk.h>
#include <gtk/gtk.h>
#include <wx/panel.h>

#include <vector>

#include "platform/skin/CSkinButton.h"
#include "platform/skin/CSkinSlider.h"
#include "tests/skin/SkinTestFixture.h"
#include "tests/support/PointerInput.h"
#include "tests/support/ScreenCapture.h"
#include "tests/support/WindowTestSupport.h"

namespace {

void Mouse(wxWindow* window, wxEventType type, wxPoint at) {
    wxMouseEvent e(type);
    e.SetPosition(at);
    e.SetEventObject(window);
    window->ProcessWindowEvent(e);
}

void Key(wxWindow* window, int code) {
    wxKeyEvent e(wxEVT_KEY_DOWN);
    e.m_keyCode = code;
    e.SetEventObject(window);
    window->ProcessWindowEvent(e);
}

}  // namespace

using SkinControlsTest = SkinWindowFixture;

TEST_F(SkinControlsTest, PushButtonClicksByMouseAndKeyboardOnlyWhenEnabled) {
    auto* button = new CSkinButton(frame, 1019, "", wxPoint(10, 10), wxSize(40, 30),
                                   CSkinButton::Kind::Push, 0, "item.btn.skin");
    int clicks = 0;
    frame->Bind(wxEVT_BUTTON, [&](wxCommandEvent& e) {
        EXPECT_EQ(e.GetId(), 1019);
        ++clicks;
    });
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(5, 5));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(6, 6));
    EXPECT_EQ(clicks, 1);
    // Pressed inside, released outside: no click, as with any button.
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(5, 5));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(80, 80));
    EXPECT_EQ(clicks, 1);
    Key(button, WXK_SPACE);
    Key(button, WXK_RETURN);
    EXPECT_EQ(clicks, 3);
    Key(button, 'a');
    EXPECT_EQ(clicks, 3);
    button->Disable();
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(5, 5));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(6, 6));
    button->Click();
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(zorbel::skin::ElementOf(button), "item.btn.skin");
    // The maximise button changes its element at run time.
    SkinDLL_SubclassWindow(button, "button.system.restore");
    EXPECT_EQ(zorbel::skin::ElementOf(button), "button.system.restore");
}

TEST_F(SkinControlsTest, RadioButtonsUncheckTheirOwnGroupOnly) {
    std::vector<CSkinButton*> tools, tabs;
    for (int i = 0; i < 3; ++i) {
        tools.push_back(new CSkinButton(frame, 1002 + i, "t", wxPoint(i * 80, 0), wxSize(78, 86),
                                        CSkinButton::Kind::Radio, 1, "tool.yx"));
        tabs.push_back(new CSkinButton(frame, 1033 + i, "l", wxPoint(i * 80, 100), wxSize(76, 30),
                                       CSkinButton::Kind::Radio, 2, "radio.tab"));
    }
    tools[0]->SetValue(true);
    tabs[0]->SetValue(true);
    std::vector<int> radioIds;
    frame->Bind(wxEVT_RADIOBUTTON, [&](wxCommandEvent& e) { radioIds.push_back(e.GetId()); });
    Mouse(tools[2], wxEVT_LEFT_DOWN, wxPoint(10, 10));
    Mouse(tools[2], wxEVT_LEFT_UP, wxPoint(10, 10));
    EXPECT_EQ(radioIds, std::vector<int>{1004});
    EXPECT_FALSE(tools[0]->GetValue());
    EXPECT_TRUE(tools[2]->GetValue());
    EXPECT_TRUE(tabs[0]->GetValue());
    // SetValue sends nothing.
    tabs[1]->SetValue(true);
    EXPECT_EQ(radioIds.size(), 1u);
    EXPECT_FALSE(tabs[0]->GetValue());
    EXPECT_TRUE(tools[2]->GetValue());
}

TEST_F(SkinControlsTest, ArrowKeysMoveTheChoiceAcrossShownRadioButtons) {
    std::vector<CSkinButton*> tools;
    for (int i = 0; i < 4; ++i)
        tools.push_back(new CSkinButton(frame, 1002 + i, "t", wxPoint(i * 80, 0), wxSize(78, 86),
                                        CSkinButton::Kind::Radio, 1, "tool.yx"));
    tools[1]->Hide();  // hidden category buttons are skipped
    tools[0]->SetValue(true);
    std::vector<int> ids;
    frame->Bind(wxEVT_RADIOBUTTON, [&](wxCommandEvent& e) { ids.push_back(e.GetId()); });
    Key(tools[0], WXK_RIGHT);
    EXPECT_TRUE(tools[2]->GetValue());
    EXPECT_FALSE(tools[0]->GetValue());
    Key(tools[2], WXK_LEFT);
    EXPECT_TRUE(tools[0]->GetValue());
    Key(tools[0], WXK_LEFT);  // wraps to the last
    EXPECT_TRUE(tools[3]->GetValue());
    EXPECT_EQ(ids, (std::vector<int>{1004, 1002, 1005}));
    EXPECT_FALSE(tools[1]->GetValue());
}

TEST_F(SkinControlsTest, CheckedStateChangesTheLook) {
    auto* tab = new CSkinButton(frame, wxID_ANY, "tab", wxPoint(0, 0), wxSize(76, 30),
                                CSkinButton::Kind::Radio, 0, "radio.tab");
    const zorbel::skin::Rgb off = Pixel(Snapshot(tab), 8, 15);
    tab->SetValue(true);
    const zorbel::skin::Rgb on = Pixel(Snapshot(tab), 8, 15);
    EXPECT_FALSE(off == on) << off << " " << on;
}

TEST_F(SkinControlsTest, SelectedCategoryButtonStaysReadableUnderThePointer) {
    auto* main = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), frame->GetClientSize());
    SkinDLL_SubclassWindow(main, "mainframe11");
    auto* home = new CSkinButton(main, 1002, wxString::FromUTF8("宝宝屋"), wxPoint(8, 30),
                                 wxSize(66, 78), CSkinButton::Kind::Radio, 1, "tool.plim");
    home->SetValue(true);
    frame->Show();
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return home->IsShownOnScreen(); }));
    zorbel::test::PumpFor(std::chrono::milliseconds(300));
    const wxRect button = home->GetScreenRect();
    // The caption row under the picture: its blue label and the light selected background.
    const auto count = [&](int& label, int& light) {
        const wxImage shot =
            zorbel::test::CaptureScreen(wxRect(button.x + 2, button.y + 51, button.width - 4, 21));
        label = light = 0;
        for (int y = 0; y < shot.GetHeight(); ++y)
            for (int x = 0; x < shot.GetWidth(); ++x) {
                const int r = shot.GetRed(x, y), g = shot.GetGreen(x, y), b = shot.GetBlue(x, y);
                label += b > 150 && r < 90;
                light += r > 235 && g > 225 && b > 190;
            }
    };
    int label = 0, light = 0;
    count(label, light);
    ASSERT_GT(label, 20);
    ASSERT_GT(light, 200);

    int paints = 0;
    home->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        ++paints;
        e.Skip();
    });
    zorbel::test::MovePointer(wxPoint(button.x + button.width / 2, button.y + button.height / 2));
    ASSERT_TRUE(zorbel::test::PumpUntil([&] { return paints > 0; })) << "no hover repaint";
    zorbel::test::PumpFor(std::chrono::milliseconds(200));
    int hoverLabel = 0, hoverLight = 0;
    count(hoverLabel, hoverLight);
    zorbel::test::MovePointer(wxPoint(button.GetRight() + 400, button.GetBottom() + 300));
    EXPECT_GT(hoverLabel, label * 4 / 5);
    EXPECT_GT(hoverLight, light * 4 / 5);
}

TEST_F(SkinControlsTest, LinkLabelDrawsItsText) {
    auto* link =
        new CSkinButton(frame, wxID_ANY, wxString::FromUTF8("宝宝每天玩一玩"), wxPoint(0, 0),
                        wxSize(200, 22), CSkinButton::Kind::Label, 0, "item.text.link");
    const wxImage image = Snapshot(link);
    int ink = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 120; ++x) {
            const zorbel::skin::Rgb c = Pixel(image, x, y);
            ink += c.b > 150 && c.r < 100;  // the link's blue
        }
    EXPECT_GT(ink, 30);
    EXPECT_FALSE(link->AcceptsFocus());
}

TEST_F(SkinControlsTest, SliderSendsTheToolkitSliderEvents) {
    auto* slider =
        new CSkinSlider(frame, 1025, 0, -180, 180, wxPoint(0, 0), wxSize(200, 22), "slider.hue");
    std::vector<wxEventType> seen;
    std::vector<int> positions;
    for (wxEventType type :
         {wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED,
          wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM})
        frame->Bind(wxEventTypeTag<wxScrollEvent>(type), [&](wxScrollEvent& e) {
            seen.push_back(e.GetEventType());
            positions.push_back(e.GetPosition());
            EXPECT_EQ(e.GetId(), 1025);
        });
    int sliderEvents = 0;
    frame->Bind(wxEVT_SLIDER, [&](wxCommandEvent&) { ++sliderEvents; });

    Key(slider, WXK_RIGHT);
    EXPECT_EQ(slider->GetValue(), 1);
    EXPECT_EQ(seen, (std::vector<wxEventType>{wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_CHANGED}));
    seen.clear();
    Key(slider, WXK_HOME);
    EXPECT_EQ(slider->GetValue(), -180);
    EXPECT_EQ(seen.back(), wxEVT_SCROLL_CHANGED);

    // A drag: track events, then release and changed with the final position.
    seen.clear();
    positions.clear();
    const wxRect track = slider->TrackRect();
    Mouse(slider, wxEVT_LEFT_DOWN, wxPoint(track.x + track.width / 2, 11));
    Mouse(slider, wxEVT_MOTION, wxPoint(track.GetRight(), 11));
    Mouse(slider, wxEVT_LEFT_UP, wxPoint(track.GetRight() + 50, 11));
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], wxEVT_SCROLL_THUMBTRACK);
    EXPECT_EQ(seen[seen.size() - 2], wxEVT_SCROLL_THUMBRELEASE);
    EXPECT_EQ(seen.back(), wxEVT_SCROLL_CHANGED);
    EXPECT_EQ(slider->GetValue(), 180);
    EXPECT_EQ(positions.back(), 180);
    EXPECT_GT(sliderEvents, 0);

    // Setting the value or range from the program sends nothing and stays in range.
    seen.clear();
    slider->SetValue(500);
    EXPECT_EQ(slider->GetValue(), 180);
    slider->SetRange(30, 255);
    EXPECT_EQ(slider->GetValue(), 180);
    slider->SetValue(0);
    EXPECT_EQ(slider->GetValue(), 30);
    EXPECT_TRUE(seen.empty());
}

TEST_F(SkinControlsTest, ShiftRepaintsEverySkinnedWindow) {
    auto* button = new CSkinButton(frame, wxID_ANY, "", wxPoint(0, 0), wxSize(46, 46),
                                   CSkinButton::Kind::Push, 0, "item.plim.btn.Play");
    auto* slider = new CSkinSlider(frame, wxID_ANY, 0, -100, 100, wxPoint(0, 60), wxSize(200, 22),
                                   "slider.sat");
    frame->Show();
    zorbel::test::PumpFor(std::chrono::milliseconds(200));
    int paints = 0;
    button->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        ++paints;
        e.Skip();
    });
    slider->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        ++paints;
        e.Skip();
    });
    SkinDLL_SetHSB(40, 10, 0);
    EXPECT_TRUE(zorbel::test::PumpUntil([&] { return paints >= 2; }));
}

TEST_F(SkinControlsTest, SiblingsOnASkinnedWindowDoNotPaintOverEachOther) {
    // Each control paints the parent's look behind itself; that must stay inside the control.
    auto* main = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), frame->GetClientSize());
    SkinDLL_SubclassWindow(main, "mainframe11");
    SkinDLL_DirectUI_SetSubItemValue(main, "item.texture", "skin.texture22", 1);
    SkinDLL_DirectUI_SetSubItemValue(main, "item.text", " 佐贝乐儿童游戏", 1);
    // Both sit on the footer, which the parent draws after its caption text.
    const int footer = main->GetClientSize().y - 23;
    auto* first =
        new CSkinButton(main, wxID_ANY, wxString::FromUTF8("宝宝每天玩一玩"), wxPoint(8, footer),
                        wxSize(200, 22), CSkinButton::Kind::Label, 0, "item.text.link");
    auto* second =
        new CSkinButton(main, wxID_ANY, wxString::FromUTF8("新游戏"), wxPoint(220, footer),
                        wxSize(120, 22), CSkinButton::Kind::Label, 0, "item.text.link");
    frame->Show();
    zorbel::test::PumpFor(std::chrono::milliseconds(300));
    second->SetLook(true, false);
    second->Update();
    zorbel::test::PumpFor(std::chrono::milliseconds(300));

    GdkWindow* window = gtk_widget_get_window(frame->GetHandle());
    ASSERT_NE(window, nullptr);
    GdkPixbuf* pixels = gdk_pixbuf_get_from_window(window, 8, footer, 200, 22);
    ASSERT_NE(pixels, nullptr);
    const int stride = gdk_pixbuf_get_rowstride(pixels);
    const int channels = gdk_pixbuf_get_n_channels(pixels);
    const guchar* data = gdk_pixbuf_get_pixels(pixels);
    int ink = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 120; ++x) {
            const guchar* p = data + y * stride + x * channels;
            ink += p[2] > 150 && p[0] < 100;
        }
    g_object_unref(pixels);
    EXPECT_GT(ink, 30);
    (void)first;
}
