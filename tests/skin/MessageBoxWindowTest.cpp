// The program's message box shown for real (the recording hook taken off), with the skin
// engine's hook on as in the program: the style's icon really drawn on screen, the buttons'
// Chinese labels in order under the test's C locale, the default button, the wrapped text,
// where the box stands, and the answers of Enter, Escape, a click and the window manager's
// close. The box is inspected and answered from inside its modal run; a watchdog ends it.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/MessageBoxDlg.h"
#include "tests/skin/SkinTestFixture.h"
#include "tests/support/PointerInput.h"
#include "tests/support/WindowTestSupport.h"

// X11 last: its macros (None, Bool, Status) would break the test framework's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

using namespace std::chrono_literals;
using zorbel::CMessageBoxDlg;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;

namespace {

Display* XDisplay() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

Window XWindowOf(wxWindow* window) {
    return GDK_WINDOW_XID(gtk_widget_get_window(window->GetHandle()));
}

CMessageBoxDlg* ShownBox() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* box = dynamic_cast<CMessageBoxDlg*>(window);
        if (box && box->IsModal() && box->IsShownOnScreen()) return box;
    }
    return nullptr;
}

struct Rgb {
    int r, g, b;
};

// What the X server shows in a rectangle of the screen.
std::vector<Rgb> ScreenPixels(const wxRect& rect) {
    std::vector<Rgb> pixels;
    XImage* image = XGetImage(XDisplay(), DefaultRootWindow(XDisplay()), rect.x, rect.y, rect.width,
                              rect.height, AllPlanes, ZPixmap);
    if (!image) return pixels;
    auto channel = [](unsigned long pixel, unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        return static_cast<int>(((pixel >> shift) & mask) * 255 / (mask ? mask : 1));
    };
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back({channel(p, image->red_mask), channel(p, image->green_mask),
                              channel(p, image->blue_mask)});
        }
    XDestroyImage(image);
    return pixels;
}

// The icon's main colour, told apart roughly.
bool HasHue(const Rgb& c, const std::string& hue) {
    if (hue == "blue") return c.b > c.r + 60 && c.b > c.g + 10;
    if (hue == "yellow") return c.r > 200 && c.g > 150 && c.b < 140;
    if (hue == "green") return c.g > c.r + 20 && c.g > c.b + 40;
    if (hue == "red") return c.r > c.g + 80 && c.r > c.b + 80;
    return false;
}

struct IconCount {
    double drawn = 0;  // share of the icon's pixels unlike the box's background
    double inHue = 0;  // share in the icon's main colour
};

IconCount CountIconPixels(CMessageBoxDlg* box, const std::string& hue) {
    IconCount count;
    const wxRect icon = box->IconControl()->GetScreenRect();
    // The margin left of the icon shows the box's background.
    const std::vector<Rgb> background =
        ScreenPixels(wxRect(icon.x - 6, icon.y + icon.height / 2, 1, 1));
    const std::vector<Rgb> pixels = ScreenPixels(icon);
    if (background.empty() || pixels.empty()) return count;
    const Rgb bg = background.front();
    for (const Rgb& c : pixels) {
        if (std::abs(c.r - bg.r) + std::abs(c.g - bg.g) + std::abs(c.b - bg.b) > 60)
            count.drawn += 1;
        if (HasHue(c, hue)) count.inHue += 1;
    }
    count.drawn /= pixels.size();
    count.inHue /= pixels.size();
    return count;
}

// Every label text GTK shows inside a widget.
void CollectLabels(GtkWidget* widget, std::vector<std::string>& out) {
    if (GTK_IS_LABEL(widget)) out.push_back(gtk_label_get_text(GTK_LABEL(widget)));
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer data) {
                CollectLabels(child, *static_cast<std::vector<std::string>*>(data));
            },
            &out);
}

void Key(KeySym key) {
    const KeyCode code = XKeysymToKeycode(XDisplay(), key);
    XTestFakeKeyEvent(XDisplay(), code, True, CurrentTime);
    XTestFakeKeyEvent(XDisplay(), code, False, CurrentTime);
    XFlush(XDisplay());
}

// The window manager's close: WM_DELETE_WINDOW sent to the box's window.
void WindowManagerClose(wxWindow* window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = XWindowOf(window);
    event.xclient.message_type = XInternAtom(XDisplay(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(XDisplay(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(XDisplay(), event.xclient.window, False, NoEventMask, &event);
    XFlush(XDisplay());
}

// Ends whatever dialog is up, ours or any other (the toolkit's own message dialog runs a loop
// of its own), so that no test waits on one. True when there was one.
bool EndAnyDialog() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = wxDynamicCast(window, wxDialog);
        if (dialog && dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
            return true;
        }
    }
    bool ended = false;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* it = toplevels; it; it = it->next) {
        if (GTK_IS_DIALOG(it->data) && gtk_widget_get_visible(GTK_WIDGET(it->data))) {
            gtk_dialog_response(GTK_DIALOG(it->data), GTK_RESPONSE_DELETE_EVENT);
            ended = true;
        }
    }
    g_list_free(toplevels);
    return ended;
}

// Shows a real box and runs `inspect` on it from inside its modal run; `inspect` answers it.
// Returns AppMessageBox's answer, or -1 when the box never came or was never answered.
int ShowRealBox(wxWindow* owner, const std::string& text, const std::string& caption, long style,
                const std::function<void(CMessageBoxDlg*)>& inspect) {
    bool answered = false;
    bool timedOut = false;
    wxTimer watchdog;
    watchdog.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { timedOut = EndAnyDialog(); });
    watchdog.StartOnce(20000);
    wxTheApp->CallAfter([&] {
        CMessageBoxDlg* box = nullptr;
        if (!PumpUntil([&] { return (box = ShownBox()) != nullptr; }, 5s)) {
            ADD_FAILURE() << "the program's message box did not come up";
            EndAnyDialog();
            return;
        }
        inspect(box);
        answered = PumpUntil([&] { return !box->IsModal(); }, 5s);
        if (!answered) box->EndModal(wxID_CANCEL);
    });
    zorbel::SetMessageBoxHook(nullptr);
    const int answer = zorbel::AppMessageBox(owner, text, caption, style);
    zorbel::test::InstallRecordingMessageBoxHook();
    watchdog.Stop();
    return answered && !timedOut ? answer : -1;
}

enum class Answer { Enter, Escape, ClickFirst, WindowClose };

struct BoxCase {
    const char* what;
    bool owned;
    long style;
    std::string text;
    std::vector<std::string> labels;
    int defaultIndex;
    const char* iconHue;  // null: no icon
    Answer answerBy;
    int expected;
};

const std::string kLongText =
    "亲爱的小朋友，佐贝乐儿童游戏正在为你准备新的儿歌、故事和知识动画，"
    "下载需要一点点时间，请耐心等待，下载完成后就可以开始播放啦！"
    "如果网络比较慢，可以先去看看收藏夹里的节目，或者请爸爸妈妈帮忙检查一下网络连接。"
    "CODE:1002，程序数据被损坏，请联系www.zorbel-kids.example.com解决！";

}  // namespace

using MessageBoxWindowTest = SkinWindowFixture;

TEST_F(MessageBoxWindowTest, ShowsTheStyleIconAndChineseButtonsAndAnswersAsStyled) {
    // The test runs where the toolkit's own button labels are English (LANG=C).
    ASSERT_STREQ(g_dgettext("gtk30", "_Cancel"), "_Cancel") << "run under LANG=C";
    SkinDLL_EnableHookSkin(1);  // as the program runs
    frame->SetSize(80, 60, 700, 500);
    auto* owner = new wxPanel(frame, wxID_ANY);  // a child window: the box takes its frame
    frame->Show();
    ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
    PumpFor(100ms);

    const std::set<std::string> english = {"OK",   "_OK", "Cancel", "_Cancel", "Yes",
                                           "_Yes", "No",  "_No",    "Close",   "_Close"};
    using namespace zorbel;
    // clang-format off
    const std::vector<BoxCase> cases = {
        {"exit question", true, kMbYesNo | kMbIconQuestion | kMbDefButton2,
         "您确定要退出佐贝乐儿童游戏吗？", {"是", "否"}, 1, "green", Answer::Enter, kIdNo},
        {"long information", false, kMbOk | kMbIconInformation,
         kLongText, {"确定"}, 0, "blue", Answer::Escape, kIdOk},
        {"warning", true, kMbOkCancel | kMbIconWarning,
         "磁盘空间不足。", {"确定", "取消"}, 0, "yellow", Answer::Escape, kIdCancel},
        {"error", false, kMbOk | kMbIconError,
         "CODE:1002，程序数据被损坏，请联系佐贝乐解决！", {"确定"}, 0, "red", Answer::ClickFirst, kIdOk},
        {"no icon", true, kMbYesNo,
         "要收藏这个节目吗？", {"是", "否"}, 0, nullptr, Answer::WindowClose, kIdNo},
    };
    // clang-format on

    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        const int answer = ShowRealBox(
            c.owned ? owner : nullptr, c.text, "佐贝乐儿童游戏", c.style, [&](CMessageBoxDlg* box) {
                EXPECT_EQ(box->GetTitle().utf8_string(), "佐贝乐儿童游戏");
                // Modal over the owner's frame and centred on it, or on the screen.
                const wxRect on = c.owned ? frame->GetScreenRect() : wxDisplay(box).GetClientArea();
                const wxPoint expected = on.GetPosition() + on.GetSize() / 2;
                wxPoint centre;
                // Where the X server has it, once the window manager has placed it.
                PumpUntil(
                    [&] {
                        centre = box->GetScreenRect().GetPosition() + box->GetSize() / 2;
                        return std::abs(centre.x - expected.x) <= 30 &&
                               std::abs(centre.y - expected.y) <= 30;
                    },
                    2s);
                EXPECT_LE(std::abs(centre.x - expected.x), 30) << centre.x;
                EXPECT_LE(std::abs(centre.y - expected.y), 30) << centre.y;
                GtkWindow* transientFor =
                    gtk_window_get_transient_for(GTK_WINDOW(box->GetHandle()));
                EXPECT_EQ(transientFor, c.owned ? GTK_WINDOW(frame->GetHandle()) : nullptr);

                // The buttons, in order, as GTK shows them; the default one has the focus.
                std::vector<std::string> labels;
                for (wxButton* button : box->Buttons())
                    labels.push_back(gtk_button_get_label(GTK_BUTTON(button->GetHandle())));
                EXPECT_EQ(labels, c.labels);
                ASSERT_EQ(box->Buttons().size(), c.labels.size());
                wxButton* deflt = box->Buttons()[c.defaultIndex];
                EXPECT_EQ(box->GetDefaultItem(), deflt);
                EXPECT_TRUE(gtk_widget_has_default(deflt->GetHandle()));
                EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(box->GetHandle())), deflt->GetHandle());
                std::vector<std::string> shown;
                CollectLabels(box->GetHandle(), shown);
                for (const std::string& label : shown) EXPECT_EQ(english.count(label), 0u) << label;

                // The text: all of it, no line wider than the text width, nothing cut off.
                wxStaticText* text = box->TextControl();
                wxString joined = text->GetLabelText();
                joined.Replace("\n", "");
                EXPECT_EQ(joined.utf8_string(), c.text);
                EXPECT_LE(text->GetSize().x, box->FromDIP(CMessageBoxDlg::kTextWidth));
                EXPECT_GE(text->GetSize().y, text->GetBestSize().y);
                EXPECT_TRUE(box->GetClientRect().Contains(text->GetRect()));
                if (c.text == kLongText) {
                    EXPECT_GE(text->GetLabelText().Freq('\n'), 2);
                }

                // The icon really drawn, left of the text; none without an icon bit.
                if (c.iconHue) {
                    ASSERT_NE(box->IconControl(), nullptr);
                    EXPECT_EQ(box->IconControl()->GetSize(), box->FromDIP(wxSize(32, 32)));
                    EXPECT_LT(box->IconControl()->GetRect().GetRight(), text->GetRect().GetLeft());
                    IconCount count;
                    PumpUntil([&] {
                        count = CountIconPixels(box, c.iconHue);
                        return count.drawn > 0.3 && count.inHue > 0.2;
                    });
                    EXPECT_GT(count.drawn, 0.3);
                    EXPECT_GT(count.inHue, 0.2) << "the " << c.iconHue << " icon";
                } else {
                    EXPECT_EQ(box->IconControl(), nullptr);
                    for (wxWindow* child : box->GetChildren())
                        EXPECT_EQ(wxDynamicCast(child, wxStaticBitmap), nullptr);
                    EXPECT_LT(text->GetPosition().x, box->FromDIP(30));
                }
                // The buttons right-aligned below the text.
                const wxRect last = box->Buttons().back()->GetRect();
                EXPECT_GT(last.GetTop(), text->GetRect().GetBottom());
                EXPECT_LE(box->GetClientSize().x - last.GetRight(), box->FromDIP(20));

                // The answer, given as a user would.
                switch (c.answerBy) {
                    case Answer::Enter:
                    case Answer::Escape:
                        XSetInputFocus(XDisplay(), XWindowOf(box), RevertToParent, CurrentTime);
                        EXPECT_TRUE(PumpUntil([&] { return box->IsActive(); }, 3s));
                        Key(c.answerBy == Answer::Enter ? XK_Return : XK_Escape);
                        break;
                    case Answer::ClickFirst: {
                        const wxRect button = box->Buttons().front()->GetScreenRect();
                        zorbel::test::MovePointer(button.GetPosition() + button.GetSize() / 2);
                        PumpFor(50ms);
                        zorbel::test::ClickPointer();
                        break;
                    }
                    case Answer::WindowClose:
                        WindowManagerClose(box);
                        break;
                }
            });
        EXPECT_EQ(answer, c.expected);
    }
    SkinDLL_EnableHookSkin(0);
}
