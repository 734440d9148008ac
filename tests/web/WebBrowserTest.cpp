// The browser wrapper and the host behaviours of every web view, on real WebKit views with
// pages from temporary files.
#include <gtest/gtest.h>
#include <httplib.h>

#include <gdk/gdk.h>
#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <wx/frame.h>
#include <wx/webview.h>

#include "platform/MessageBox.h"
#include "tests/support/KeyInput.h"
#include "tests/support/WindowTestSupport.h"
#include "web/WebBrowser2.h"
#include "web/WebHostSite.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;
using zorbel::test::ShownBoxes;

namespace {

constexpr int kBrowserId = 1032;
constexpr auto kLoadTimeout = 30000ms;

struct Seen {
    std::string kind;
    std::string url;
};

// An owner window that maps the browser's events through its event table, as the program's
// dialogs do, and records them.
class RecordingFrame : public wxFrame {
public:
    RecordingFrame() : wxFrame(nullptr, wxID_ANY, "web test", wxPoint(0, 0), wxSize(480, 360)) {}

    std::vector<Seen> events;
    std::function<bool(const std::string&)> cancelNavigation;
    bool cancelNewWindow = false;

    bool Saw(const std::string& kind, const std::string& url) const {
        for (const Seen& e : events)
            if (e.kind == kind && e.url == url) return true;
        return false;
    }
    std::vector<std::string> KindsFor(const std::string& url) const {
        std::vector<std::string> kinds;
        for (const Seen& e : events)
            if (e.url == url) kinds.push_back(e.kind);
        return kinds;
    }

private:
    void Record(const char* kind, CWebBrowserEvent& event) {
        events.push_back({kind, std::string(event.GetURL().utf8_str())});
    }
    void OnBefore(CWebBrowserEvent& event) {
        Record("BeforeNavigate2", event);
        if (cancelNavigation && cancelNavigation(std::string(event.GetURL().utf8_str())))
            event.SetCancel(true);
    }
    void OnNavigated(CWebBrowserEvent& event) { Record("NavigateComplete2", event); }
    void OnComplete(CWebBrowserEvent& event) { Record("DocumentComplete", event); }
    void OnNewWindow2(CWebBrowserEvent& event) { Record("NewWindow2", event); }
    void OnNewWindow3(CWebBrowserEvent& event) {
        Record("NewWindow3", event);
        if (cancelNewWindow) event.SetCancel(true);
    }

    wxDECLARE_EVENT_TABLE();
};

// clang-format off
wxBEGIN_EVENT_TABLE(RecordingFrame, wxFrame)
    EVT_BEFORE_NAVIGATE2   (kBrowserId, RecordingFrame::OnBefore)
    EVT_NAVIGATE_COMPLETE2 (kBrowserId, RecordingFrame::OnNavigated)
    EVT_DOCUMENT_COMPLETE  (kBrowserId, RecordingFrame::OnComplete)
    EVT_NEW_WINDOW2        (kBrowserId, RecordingFrame::OnNewWindow2)
    EVT_NEW_WINDOW3        (kBrowserId, RecordingFrame::OnNewWindow3)
wxEND_EVENT_TABLE()
// clang-format on

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zorbel-web-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        ShownBoxes().clear();
        frame_ = new RecordingFrame;
        frame_->Show();
    }

    void TearDown() override {
        browser_.reset();
        frame_->Destroy();
        PumpFor(50ms);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Writes a page into the test folder and returns its address.
    std::string Page(const std::string& name, const std::string& body) {
        fs::path path = dir_ / name;
        std::ofstream(path) << "<!DOCTYPE html><html><head><meta charset='utf-8'></head><body>"
                            << body << "</body></html>";
        return "file://" + path.string();
    }

    CWebBrowser2& Browser() {
        if (!browser_) {
            browser_ = std::make_unique<CWebBrowser2>();
            EXPECT_TRUE(browser_->Create(frame_, kBrowserId, wxRect(0, 0, 460, 320)));
        }
        return *browser_;
    }

    bool LoadAndWait(const std::string& url) {
        Browser().Navigate(url);
        return PumpUntil([&] { return frame_->Saw("DocumentComplete", url); }, kLoadTimeout);
    }

    std::string Script(const std::string& js) {
        wxString result;
        if (!Browser().GetView()->RunScript(wxString::FromUTF8(js), &result)) return "<failed>";
        return std::string(result.utf8_str());
    }

    fs::path dir_;
    RecordingFrame* frame_ = nullptr;
    std::unique_ptr<CWebBrowser2> browser_;
};

TEST_F(WebBrowserTest, NavigationEventsArriveInOrderWithTheAddress) {
    const std::string url = Page("a.html", "<p>A</p>");
    ASSERT_TRUE(LoadAndWait(url));
    std::vector<std::string> expected = {"BeforeNavigate2", "NavigateComplete2",
                                         "DocumentComplete"};
    EXPECT_EQ(frame_->KindsFor(url), expected);
    EXPECT_EQ(Browser().GetLocationURL(), url);
    // The empty document the engine starts with is nobody's business.
    EXPECT_EQ(frame_->events.size(), expected.size());
}

TEST_F(WebBrowserTest, CancelledBeforeNavigateKeepsTheOldPage) {
    const std::string a = Page("a.html", "<script>document.title='A'</script>");
    const std::string b = Page("b.html", "<script>document.title='B'</script>");
    ASSERT_TRUE(LoadAndWait(a));
    frame_->cancelNavigation = [&](const std::string& url) { return url == b; };

    Browser().Navigate(b);
    ASSERT_TRUE(PumpUntil([&] { return frame_->Saw("BeforeNavigate2", b); }, kLoadTimeout));
    // A page that did load would have committed by the time a script answers.
    EXPECT_EQ(Script("document.title"), "A");
    PumpFor(200ms);
    EXPECT_FALSE(frame_->Saw("NavigateComplete2", b));
    EXPECT_EQ(Browser().GetLocationURL(), a);
    EXPECT_EQ(Script("document.title"), "A");

    // Not cancelled, the same address loads.
    frame_->cancelNavigation = nullptr;
    ASSERT_TRUE(LoadAndWait(b));
    EXPECT_EQ(Script("document.title"), "B");
}

TEST_F(WebBrowserTest, ScriptMessagesUseTheProgramsBoxAndCaption) {
    const std::string url =
        Page("dialogs.html",
             "<script>alert('你好'); var r = confirm('sure?'); document.title = 'confirm:' + r;"
             "</script>");
    ASSERT_TRUE(LoadAndWait(url));
    ASSERT_TRUE(
        PumpUntil([&] { return Script("document.title") == "confirm:true"; }, kLoadTimeout));
    ASSERT_EQ(ShownBoxes().size(), 2u);
    EXPECT_EQ(ShownBoxes()[0].text, "你好");
    EXPECT_EQ(ShownBoxes()[1].text, "sure?");
    for (const auto& box : ShownBoxes()) {
        EXPECT_EQ(box.caption, "佐贝乐儿童游戏");
        EXPECT_EQ(box.style, zorbel::kMbOk | zorbel::kMbIconInformation);
    }
}

TEST_F(WebBrowserTest, ConfirmDismissedIsFalse) {
    zorbel::test::SetNextBoxAnswer(zorbel::kIdCancel);
    const std::string url =
        Page("confirm.html", "<script>document.title = 'confirm:' + confirm('q');</script>");
    ASSERT_TRUE(LoadAndWait(url));
    ASSERT_TRUE(PumpUntil([&] { return Script("document.title") != ""; }, kLoadTimeout));
    EXPECT_EQ(Script("document.title"), "confirm:false");
}

TEST_F(WebBrowserTest, WindowOpenRaisesTheNewWindowEventAndNothingElse) {
    const std::string target = "http://127.0.0.1:1/x";
    const std::string url = Page(
        "open.html", "<script>var w = window.open('" + target +
                         "'); document.title = (w === null) ? 'no window' : 'window';</script>");
    ASSERT_TRUE(LoadAndWait(url));
    ASSERT_TRUE(PumpUntil([&] { return frame_->Saw("NewWindow3", target); }, kLoadTimeout));
    EXPECT_TRUE(frame_->Saw("NewWindow2", target));
    // The process is alive, the view still answers and no second view was made.
    EXPECT_EQ(Script("document.title"), "no window");
    EXPECT_EQ(Browser().GetLocationURL(), url);
}

TEST_F(WebBrowserTest, CancelledNewWindow3SkipsNewWindow2) {
    frame_->cancelNewWindow = true;
    const std::string target = "http://127.0.0.1:1/y";
    const std::string url = Page("open.html", "<script>window.open('" + target + "')</script>");
    ASSERT_TRUE(LoadAndWait(url));
    ASSERT_TRUE(PumpUntil([&] { return frame_->Saw("NewWindow3", target); }, kLoadTimeout));
    PumpFor(50ms);
    EXPECT_FALSE(frame_->Saw("NewWindow2", target));
}

TEST_F(WebBrowserTest, HostSettingsAndSilent) {
    CWebBrowser2& browser = Browser();
    EXPECT_FALSE(browser.GetView()->IsContextMenuEnabled());
    EXPECT_FALSE(browser.GetSilent());
    browser.SetSilent(true);
    EXPECT_TRUE(browser.GetSilent());
    ASSERT_NE(CWebHostSite::Of(browser.GetView()), nullptr);
    // Attaching again changes nothing.
    EXPECT_TRUE(zorbel::web::ApplyHostBehaviours(browser.GetView()));
    EXPECT_TRUE(CWebHostSite::Of(browser.GetView())->IsSilent());
}

// Records the key presses that get past the host to the view's own handlers.
gboolean ProbeKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* seen = static_cast<std::vector<std::string>*>(data);
    seen->push_back(std::string((event->state & GDK_CONTROL_MASK) ? "C-" : "") +
                    gdk_keyval_name(event->keyval));
    return FALSE;
}

TEST_F(WebBrowserTest, BrowserKeysNeverReachThePage) {
    const std::string url =
        Page("keys.html",
             "<input id='i' autofocus><script>window.keys = [];"
             "document.addEventListener('keydown', e => window.keys.push((e.ctrlKey ? 'C-' : '') + "
             "e.key.toLowerCase()), true);</script>");
    ASSERT_TRUE(LoadAndWait(url));
    wxWebView* view = Browser().GetView();
    std::vector<std::string> passed;
    // Connected after the host's handler, so it sees exactly what the host lets through.
    gulong probe = g_signal_connect(view->GetNativeBackend(), "key-press-event",
                                    G_CALLBACK(&ProbeKey), &passed);
    view->SetFocus();
    auto tap = [&](guint keyval, guint state) {
        zorbel::test::SendKeyToView(view, true, keyval, state);
        zorbel::test::SendKeyToView(view, false, keyval, state);
    };
    tap(GDK_KEY_a, 0);
    ASSERT_TRUE(PumpUntil([&] { return Script("window.keys.join(',')") == "a"; }, kLoadTimeout))
        << Script("window.keys.join(',')");

    tap(GDK_KEY_F5, 0);
    tap(GDK_KEY_o, GDK_CONTROL_MASK);
    tap(GDK_KEY_p, GDK_CONTROL_MASK);
    tap(GDK_KEY_n, GDK_CONTROL_MASK);
    tap(GDK_KEY_N, GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    // While F5 is down, even a plain key is withheld.
    zorbel::test::SendKeyToView(view, true, GDK_KEY_F5, 0);
    tap(GDK_KEY_b, 0);
    zorbel::test::SendKeyToView(view, false, GDK_KEY_F5, 0);
    // Keys that the rules let through still arrive, Ctrl+C among them.
    tap(GDK_KEY_c, GDK_CONTROL_MASK);
    tap(GDK_KEY_d, 0);
    g_signal_handler_disconnect(view->GetNativeBackend(), probe);

    EXPECT_EQ(passed, (std::vector<std::string>{"a", "C-c", "d"}));
    ASSERT_TRUE(
        PumpUntil([&] { return Script("window.keys.join(',')").find('d') != std::string::npos; },
                  kLoadTimeout))
        << Script("window.keys.join(',')");
    const std::string reached = Script("window.keys.join(',')");
    for (const char* withheld : {"f5", "C-o", "C-p", "C-n", "b"})
        EXPECT_EQ(reached.find(withheld), std::string::npos) << withheld << " in " << reached;
}

// A loopback server whose one page wants a password.
class AuthServer {
public:
    AuthServer() {
        server_.Get("/secret", [](const httplib::Request&, httplib::Response& res) {
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"test\"");
            res.set_content("<html><body>denied</body></html>", "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~AuthServer() {
        server_.stop();
        thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/secret"; }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

TEST_F(WebBrowserTest, SilentBrowserAsksForNoPassword) {
    AuthServer server;
    Browser().SetSilent(true);
    // Without silent the engine would hold the load open behind its own password prompt.
    ASSERT_TRUE(LoadAndWait(server.Url()));
    EXPECT_EQ(Script("document.body.textContent"), "denied");
}

TEST(WebBrowserNeverCreated, EveryCallDoesNothing) {
    CWebBrowser2 browser;
    browser.Navigate("http://127.0.0.1:1/");
    browser.SetSilent(true);
    EXPECT_FALSE(browser.GetSilent());
    EXPECT_EQ(browser.GetLocationURL(), "");
    EXPECT_EQ(browser.GetView(), nullptr);
    EXPECT_FALSE(browser.IsCreated());
    EXPECT_FALSE(browser.Create(nullptr, kBrowserId, wxRect(0, 0, 10, 10)));
}

TEST_F(WebBrowserTest, WrapperDestroyedWithItsParentTurnsInert) {
    wxFrame* other = new wxFrame(nullptr, wxID_ANY, "other");
    CWebBrowser2 browser;
    ASSERT_TRUE(browser.Create(other, kBrowserId, wxRect(0, 0, 100, 100)));
    EXPECT_FALSE(browser.Create(other, kBrowserId, wxRect(0, 0, 100, 100)));
    delete other;
    EXPECT_FALSE(browser.IsCreated());
    browser.Navigate("http://127.0.0.1:1/");
    EXPECT_EQ(browser.GetLocationURL(), "");
}

// Every web view keeps its host, whatever wrapper came and went before it, and a view that
// another control creates gets the same host through ApplyHostBehaviours.
TEST_F(WebBrowserTest, HostSurvivesOtherWrappersAndCoversForeignViews) {
    {
        CWebBrowser2 shortLived;
        ASSERT_TRUE(shortLived.Create(frame_, 2000, wxRect(0, 0, 50, 50)));
    }
    const std::string url = Page("alert.html", "<script>alert('after')</script>");
    ASSERT_TRUE(LoadAndWait(url));
    ASSERT_TRUE(PumpUntil([&] { return !ShownBoxes().empty(); }, kLoadTimeout));
    EXPECT_EQ(ShownBoxes().back().caption, "佐贝乐儿童游戏");

    wxWebView* movie = wxWebView::New(frame_, 2001, url);
    ASSERT_TRUE(zorbel::web::ApplyHostBehaviours(movie));
    EXPECT_FALSE(movie->IsContextMenuEnabled());
    ASSERT_TRUE(PumpUntil([&] { return ShownBoxes().size() >= 2; }, kLoadTimeout));
    EXPECT_EQ(ShownBoxes().back().text, "after");
    EXPECT_EQ(ShownBoxes().back().caption, "佐贝乐儿童游戏");
    movie->Destroy();
}

}  // namespace
