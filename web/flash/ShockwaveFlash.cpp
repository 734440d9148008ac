#include "web/flash/ShockwaveFlash.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <wx/sizer.h>
#include <wx/webview.h>

#include "web/GraphicsPath.h"
#include "web/HostViewSettings.h"
#include "web/ViewConstructProperty.h"
#include "web/WebHostSite.h"
#include "web/flash/FlashHostMessage.h"
#include "web/flash/FlashSchemePaths.h"
#include "web/flash/FlashUriScheme.h"

namespace zorbel {

// The picture sample's answer; the control may be gone by then.
struct FlashSnapshot {
    static void Done(GObject* source, GAsyncResult* result, gpointer data);
};

namespace {
constexpr const char* kMessageHandler = "zorbelFlash";
constexpr const char* kHostPage = "host.html";

int g_nScriptsInFlight = 0;
// How often the end rules that need time are looked at: well inside the second an end may take.
constexpr int kEndTickMs = 200;

int64_t NowMs() {
    // A steady clock: a wall clock set back or forward would stretch or skip what is timed.
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Commands go to the native view rather than through wxWebView::RunScriptAsync: wx hands each
// answer to the wxWebView that sent it, with no way to withdraw the request, so an answer arriving
// after the view was destroyed lands on freed memory. This callback needs nothing but the native
// view, which the pending request itself keeps referenced.
void OnScriptDone(GObject* source, GAsyncResult* result, gpointer /*unused*/) {
    --g_nScriptsInFlight;
    GError* error = nullptr;
#if WEBKIT_CHECK_VERSION(2, 40, 0)
    JSCValue* value =
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (value) g_object_unref(value);
#else
    WebKitJavascriptResult* value =
        webkit_web_view_run_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (value) webkit_javascript_result_unref(value);
#endif
    // Commands are fire and forget: a script error or a cancelled request changes nothing here.
    if (error) g_error_free(error);
}

// Compiled rule lists are kept by WebKit in a folder; one store serves every control.
WebKitUserContentFilterStore* WallStore() {
    static WebKitUserContentFilterStore* store = [] {
        const std::string folder = std::string(g_get_user_cache_dir()) + "/zorbel/content-filters";
        return webkit_user_content_filter_store_new(folder.c_str());
    }();
    return store;
}

// The control is alive here unless the request was cancelled: m_pCancel goes with it.
void OnWallsCompiled(GObject* source, GAsyncResult* result, gpointer self) {
    GError* error = nullptr;
    WebKitUserContentFilter* filter = webkit_user_content_filter_store_save_finish(
        WEBKIT_USER_CONTENT_FILTER_STORE(source), result, &error);
    if (!(error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)))
        static_cast<CShockwaveFlash*>(self)->WallsCompiled(filter,
                                                           error ? error->message : nullptr);
    if (filter) webkit_user_content_filter_unref(filter);
    if (error) g_error_free(error);
}

WebKitUserContentManager* ContentManagerOf(wxWebView* view) {
    auto* native = view ? static_cast<GObject*>(view->GetNativeBackend()) : nullptr;
    if (!native || !WEBKIT_IS_WEB_VIEW(native)) return nullptr;
    return webkit_web_view_get_user_content_manager(WEBKIT_WEB_VIEW(native));
}
}  // namespace

int CShockwaveFlash::ScriptsInFlight() {
    return g_nScriptsInFlight;
}

CShockwaveFlash::CShockwaveFlash() = default;

CShockwaveFlash::CShockwaveFlash(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                 const wxSize& size) {
    Create(parent, id, pos, size);
}

CShockwaveFlash::~CShockwaveFlash() {
    m_endTimer.Stop();
    if (m_self) *m_self = nullptr;
    if (m_pCancel) {
        g_cancellable_cancel(m_pCancel);
        g_object_unref(m_pCancel);
    }
    if (m_pView) {
        // The page may still be reporting; nothing of it should reach this half-destroyed control.
        m_pView->Unbind(wxEVT_WEBVIEW_SCRIPT_MESSAGE_RECEIVED, &CShockwaveFlash::OnScriptMessage,
                        this);
        m_pView->RemoveScriptMessageHandler(kMessageHandler);
    }
    if (!m_strMovieUri.empty()) FlashUriScheme::Instance().RemoveMovie(m_strMovieUri);
}

bool CShockwaveFlash::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                             const wxSize& size) {
    if (!wxPanel::Create(parent, id, pos, size, wxBORDER_NONE | wxTAB_TRAVERSAL)) return false;
    SetBackgroundColour(*wxBLACK);
    m_self = std::make_shared<CShockwaveFlash*>(this);
    m_endTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &CShockwaveFlash::OnEndTimer, this, m_endTimer.GetId());
    CreateView();
    return true;
}

void CShockwaveFlash::CreateView() {
    FlashUriScheme::Instance().Register();
    // A song sings from its first frame. WebKit's default lets media start only without sound
    // until a click, so the engine's audio would wait suspended, and the engine holds back
    // every new movie 200 ms when it finds its audio not running.
    WebKitWebsitePolicies* policies =
        webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr);
    CViewConstructProperty autoplay("website-policies", G_OBJECT(policies));
    CHostViewSettings settings;
    g_object_unref(policies);
    m_pView = wxWebView::New(this, wxID_ANY, wxWebViewDefaultURLStr, wxDefaultPosition,
                             GetClientSize(), wxWebViewBackendDefault, wxBORDER_NONE);
    if (!m_pView) return;
    m_pCancel = g_cancellable_new();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pView, 1, wxEXPAND);
    SetSizer(sizer);
    web::ApplyHostBehaviours(m_pView);
    m_pView->EnableContextMenu(false);
    m_pView->AddScriptMessageHandler(kMessageHandler);
    m_pView->Bind(wxEVT_WEBVIEW_SCRIPT_MESSAGE_RECEIVED, &CShockwaveFlash::OnScriptMessage, this);
    if (zorbel::web::DrawsInSoftware())
        m_pView->AddUserScript("window.zorbelDrawsInSoftware = true;",
                               wxWEBVIEW_INJECT_AT_DOCUMENT_START);
    m_pView->LoadURL(FlashSchemePaths::UriFor(kHostPage));
}

void CShockwaveFlash::RunScript(const std::string& script) {
    auto* native = m_pView ? static_cast<GObject*>(m_pView->GetNativeBackend()) : nullptr;
    if (!native || !WEBKIT_IS_WEB_VIEW(native)) return;
    ++g_nScriptsInFlight;
#if WEBKIT_CHECK_VERSION(2, 40, 0)
    webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(native), script.c_str(),
                                        static_cast<gssize>(script.size()), nullptr, nullptr,
                                        m_pCancel, &OnScriptDone, nullptr);
#else
    webkit_web_view_run_javascript(WEBKIT_WEB_VIEW(native), script.c_str(), m_pCancel,
                                   &OnScriptDone, nullptr);
#endif
}

void CShockwaveFlash::LoadMovie(int /*layer*/, const std::string& url) {
    if (!m_strMovieUri.empty()) {
        FlashUriScheme::Instance().RemoveMovie(m_strMovieUri);
        m_strMovieUri.clear();
    }
    ++m_nLoadId;
    m_strMoviePath = url;
    m_bMovieLoaded = false;
    m_bFirstFrameShown = false;
    m_bLoadPending = false;
    m_nTotalFrames = kNoFrames;
    m_nCurrentFrame = 0;
    m_bPlaying = true;
    m_endWatch.Reset();
    m_endTimer.Stop();

    PreparedMovie movie = FlashMoviePreparer::PrepareFile(url);
    m_mode = movie.mode;
    if (!movie.ok()) {
        // Nothing to show: the previous movie goes, the player stays for the next one.
        m_mode = FrameControlMode::None;
        RunScript("zorbelHost.unload(" + std::to_string(m_nLoadId) + ");");
        m_bCountTrusted = false;
        return;
    }
    m_nPendingFrames = movie.header.frameCount;
    // Exact frames come from the movie itself; estimated ones lean on the header.
    m_bCountTrusted = movie.mode == FrameControlMode::Callbacks || movie.frameCountTrusted;
    m_strMovieUri = FlashUriScheme::Instance().AddMovie(std::move(movie.bytes));
    m_bLoadPending = true;
    if (m_bPlayerReady) SendLoad();
}

void CShockwaveFlash::SetWalledGarden(bool walled, const std::string& contentRules) {
    m_bWalled = walled;
    m_strWallRules = walled ? contentRules : std::string();
    if (m_strWallRules == m_strWallsUp) return;
    WebKitUserContentManager* manager = ContentManagerOf(m_pView);
    if (!manager) return;
    if (m_strWallRules.empty()) {
        webkit_user_content_manager_remove_all_filters(manager);
        m_strWallsUp.clear();
        return;
    }
    if (!m_strWallsCompiling.empty()) return;  // when that ends it looks again
    m_strWallsCompiling = m_strWallRules;
    GBytes* source = g_bytes_new(m_strWallRules.data(), m_strWallRules.size());
    webkit_user_content_filter_store_save(WallStore(), "movie-walls", source, m_pCancel,
                                          &OnWallsCompiled, this);
    g_bytes_unref(source);
}

void CShockwaveFlash::WallsCompiled(WebKitUserContentFilter* filter, const char* failure) {
    const std::string compiled = m_strWallsCompiling;
    m_strWallsCompiling.clear();
    WebKitUserContentManager* manager = ContentManagerOf(m_pView);
    if (filter && manager && compiled == m_strWallRules) {
        webkit_user_content_manager_remove_all_filters(manager);
        webkit_user_content_manager_add_filter(manager, filter);
        m_strWallsUp = compiled;
    } else if (!filter) {
        // A store that cannot be written (a full disk) must not leave the child with a player
        // that never starts: the movie plays with the URL option's walls alone.
        g_warning("movie walls not raised: %s", failure ? failure : "no filter");
        m_strWallsUp.clear();
        m_strWallRules.clear();
    }
    if (m_strWallRules != m_strWallsUp) SetWalledGarden(m_bWalled, m_strWallRules);  // changed
    SendLoad();
}

bool CShockwaveFlash::WallsReady() const {
    return m_strWallRules == m_strWallsUp;
}

void CShockwaveFlash::SendLoad() {
    if (!m_bLoadPending || !m_bPlayerReady || !WallsReady()) return;
    m_bLoadPending = false;
    if (m_nVolume != 100) SetVolume(m_nVolume);
    const char* mode = m_mode == FrameControlMode::Callbacks ? "callbacks" : "menu";
    RunScript("zorbelHost.load(" + std::to_string(m_nLoadId) + ", '" + m_strMovieUri + "', '" +
              mode + "', " + std::to_string(m_nPendingFrames) + ", " +
              (m_bPlaying ? "true" : "false") + (m_bWalled ? ", true" : "") + ");");
}

void CShockwaveFlash::Play() {
    m_bPlaying = true;
    m_endWatch.OnPlaying(true, NowMs());
    if (m_bPlayerReady) RunScript("zorbelHost.play();");
}

void CShockwaveFlash::Stop() {
    m_bPlaying = false;
    m_endWatch.OnPlaying(false, NowMs());
    if (m_bPlayerReady) RunScript("zorbelHost.stop();");
}

void CShockwaveFlash::Rewind() {
    FrameNum(0);
}

void CShockwaveFlash::FrameNum(int frame) {
    if (!m_bMovieLoaded || m_nTotalFrames <= 0) return;
    if (frame < 0) frame = 0;
    if (frame >= m_nTotalFrames) frame = m_nTotalFrames - 1;
    // Reported at once, so that a status line polled right after the seek agrees with it.
    m_nCurrentFrame = frame;
    m_endWatch.OnSeek(frame, NowMs());
    RunScript("zorbelHost.gotoFrame(" + std::to_string(frame) + ");");
}

int CShockwaveFlash::TotalFrames() const {
    return m_bMovieLoaded ? m_nTotalFrames : kNoFrames;
}

int CShockwaveFlash::CurrentFrame() const {
    return m_bMovieLoaded ? m_nCurrentFrame : 0;
}

void CShockwaveFlash::OnScriptMessage(wxWebViewEvent& event) {
    HandleMessage(event.GetString().utf8_string());
}

void CShockwaveFlash::HandleMessage(const std::string& json) {
    FlashHostMessage m;
    if (!FlashHostMessage::Parse(json, m)) return;
    if (m.type == "ready") {
        m_bPlayerReady = true;
        SendLoad();
        return;
    }
    if (m.id != m_nLoadId || m_strMovieUri.empty()) return;  // a report about an earlier movie
    if (m.type == "loaded") {
        m_bMovieLoaded = true;
        m_nTotalFrames = m_nPendingFrames;
        MovieEndFacts facts;
        facts.totalFrames = m_nTotalFrames;
        facts.frameRate = m.frameRate > 0 ? m.frameRate : 12;
        facts.exactFrames = m_mode == FrameControlMode::Callbacks;
        facts.trustworthyCount = m_bCountTrusted;
        facts.endless = m_bEndless;
        m_endWatch.Start(facts, NowMs());
        m_endWatch.OnPlaying(m_bPlaying, NowMs());
        if (m_endWatch.IsWatching()) m_endTimer.Start(kEndTickMs);
    } else if (m.type == "frame") {
        if (m_bMovieLoaded && m.frame >= 0) {
            m_nCurrentFrame = m.frame;
            NoteEnd(m_endWatch.OnFrame(m.frame, NowMs()));
        }
    } else if (m.type == "shown") {
        if (!m_bFirstFrameShown) {
            m_bFirstFrameShown = true;
            if (m_onFirstFrame) m_onFirstFrame();
        }
    } else if (m.type == "error") {
        m_bMovieLoaded = false;
        m_nTotalFrames = kNoFrames;
        m_endWatch.Reset();
        m_endTimer.Stop();
    }
}

void CShockwaveFlash::SetVolume(int percent) {
    m_nVolume = std::clamp(percent, 0, 100);
    // The page keeps it for every later movie; before the page is up, the first load sends it.
    RunScript("zorbelHost.setVolume(" + std::to_string(m_nVolume / 100.0) + ");");
}

void CShockwaveFlash::OnEndTimer(wxTimerEvent& /*event*/) {
    if (!m_endWatch.IsWatching()) {
        m_endTimer.Stop();
        return;
    }
    const int64_t now = NowMs();
    NoteEnd(m_endWatch.Tick(now));
    if (!m_bSampling && m_endWatch.WantsPicture(now)) SamplePicture();
}

void CShockwaveFlash::NoteEnd(MovieEnd end) {
    if (end == MovieEnd::None) return;
    // The handler may load the next movie; it runs outside the report that found the end.
    CallAfter([this, end] {
        if (m_onEnd) m_onEnd(end);
    });
}

void CShockwaveFlash::SamplePicture() {
    auto* native = m_pView ? static_cast<GObject*>(m_pView->GetNativeBackend()) : nullptr;
    if (!native || !WEBKIT_IS_WEB_VIEW(native)) return;
    m_bSampling = true;
    webkit_web_view_get_snapshot(WEBKIT_WEB_VIEW(native), WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                 WEBKIT_SNAPSHOT_OPTIONS_NONE, m_pCancel, &FlashSnapshot::Done,
                                 new std::shared_ptr<CShockwaveFlash*>(m_self));
}

void FlashSnapshot::Done(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<CShockwaveFlash*>> self(
        static_cast<std::shared_ptr<CShockwaveFlash*>*>(data));
    GError* error = nullptr;
    cairo_surface_t* surface =
        webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (error) g_error_free(error);
    CShockwaveFlash* control = **self;
    if (!control) {
        if (surface) cairo_surface_destroy(surface);
        return;
    }
    control->m_bSampling = false;
    if (!surface) return;
    // A fingerprint of every fourth pixel of every fourth row is plenty to see a change.
    uint64_t hash = 1469598103934665603ull;
    cairo_surface_flush(surface);
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_INVALID) {
        const unsigned char* pixels = cairo_image_surface_get_data(surface);
        const int width = cairo_image_surface_get_width(surface);
        const int height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; pixels && y < height; y += 4) {
            const auto* row = reinterpret_cast<const uint32_t*>(pixels + size_t(y) * stride);
            for (int x = 0; x < width; x += 4) hash = (hash ^ row[x]) * 1099511628211ull;
        }
    }
    cairo_surface_destroy(surface);
    control->NoteEnd(control->m_endWatch.OnPicture(hash, NowMs()));
}

}  // namespace zorbel
