#include "player/DlgPlayer.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include <wx/app.h>
#include <wx/control.h>
#include <wx/frame.h>
#include <wx/webview.h>

#include "app/CatalogFiles.h"
#include "app/SystemIcon.h"
#include "listening/ListeningBar.h"
#include "listening/TitleTypeLookup.h"
#include "parent/ParentGate.h"
#include "parent/PlayTimeWatch.h"
#include "platform/MemoryTrim.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/skin/CSkinButton.h"
#include "platform/templates/TemplateBuilder.h"
#include "player/PlayHistory.h"
#include "web/flash/FlashSchemePaths.h"
#include "web/flash/ShockwaveFlash.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgPlayer, CFullScreenPanel)
    EVT_BUTTON              (CDlgPlayer::kFavoriteId,      CDlgPlayer::OnFavoriteButton)
    EVT_BUTTON              (CDlgPlayer::kPlayId,          CDlgPlayer::OnPlayButton)
    EVT_BUTTON              (CDlgPlayer::kPauseId,         CDlgPlayer::OnPauseButton)
    EVT_BUTTON              (CDlgPlayer::kStopId,          CDlgPlayer::OnStopButton)
    EVT_BUTTON              (CDlgPlayer::kFullScreenId,    CDlgPlayer::OnFullScreenButton)
    EVT_COMMAND_LEFT_DCLICK (CDlgPlayer::kFrameId,         CDlgPlayer::OnFrameDoubleClick)
    EVT_TIMER               (CDlgPlayer::kProgressTimerId, CDlgPlayer::OnTimer)
    EVT_TIMER               (CDlgPlayer::kStatusTimerId,   CDlgPlayer::OnTimer)
    EVT_TIMER               (CDlgPlayer::kWritesTimerId,   CDlgPlayer::OnWritesTimer)
    EVT_XSCROLL_HSCROLL     (CDlgPlayer::kSeekBarId,       CDlgPlayer::OnHScroll)
    EVT_SIZE                (                              CDlgPlayer::OnSize)
    // wx sends the dialog's initialisation as an event.
    EVT_INIT_DIALOG         (                              CDlgPlayer::OnInitDialog)
    // Keys and right clicks stop at the player.
    EVT_CHAR_HOOK           (                              CDlgPlayer::OnCharHook)
    EVT_RIGHT_DOWN          (                              CDlgPlayer::OnRightDown)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
using zorbel::templates::ControlKind;
using zorbel::templates::DialogControl;

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void ShowNotice(wxWindow* player, const CPlayHistory::Notice& notice) {
    zorbel::AppMessageBox(notice.ownedByPlayer ? player : nullptr, notice.text, notice.caption,
                          notice.style);
}

}  // namespace

// The movie's native input, seen before the engine's own handlers. The player is reached
// through a weak reference: the native view can outlive it by a moment during teardown.
struct CDlgPlayerMovieInput {
    static gboolean KeyPress(GtkWidget*, GdkEventKey*, gpointer) { return TRUE; }

    static gboolean ButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
        if (event->button == 3) return TRUE;
        Touched(data);
        // The movie control plays the part of the classic rule's "window with an id above
        // 100000" (the Flash control's own window): a double click on the movie toggles.
        CDlgPlayer* player = static_cast<wxWeakRef<CDlgPlayer>*>(data)->get();
        if (player && event->button == 1 && event->type == GDK_2BUTTON_PRESS) {
            // The player changes parents on the toggle, which must not happen inside the
            // view's own event; the movie still gets its double click.
            player->CallAfter(&CDlgPlayer::ToggleFullScreen);
        }
        return FALSE;
    }

    static gboolean Motion(GtkWidget*, GdkEventMotion*, gpointer data) {
        Touched(data);
        return FALSE;
    }

    static void Touched(gpointer data) {
        CDlgPlayer* player = static_cast<wxWeakRef<CDlgPlayer>*>(data)->get();
        if (player && player->m_playTime) player->m_playTime->NoteInput();
    }

    static void FreeRef(gpointer data, GClosure*) {
        delete static_cast<wxWeakRef<CDlgPlayer>*>(data);
    }
};

CDlgPlayer::CDlgPlayer()
    : m_timerProgress(this, kProgressTimerId),
      m_timerStatus(this, kStatusTimerId),
      m_timerWrites(this, kWritesTimerId) {}

CDlgPlayer::~CDlgPlayer() {
    *m_self = nullptr;
    if (m_playWrite.valid()) m_playWrite.wait();
    m_listening.reset();
    m_playTime.reset();
    m_timerProgress.Stop();
    m_timerStatus.Stop();
    m_timerWrites.Stop();
}

bool CDlgPlayer::Create(wxWindow* parent) {
    if (!parent && wxTheApp) parent = wxTheApp->GetTopWindow();
    const zorbel::templates::DialogTemplate* tmpl =
        zorbel::templates::FindDialogTemplate(kTemplateId);
    if (!parent || !tmpl || GetHandle()) return false;
    if (!wxPanel::Create(parent, wxID_ANY, wxDefaultPosition, wxSize(0, 0),
                         wxTAB_TRAVERSAL | wxBORDER_NONE))
        return false;
    SetMainWindow(parent);
    // Skinned buttons in place of the toolkit's, which cannot be painted over.
    zorbel::templates::CreateDialogControls(
        this, *tmpl,
        [](wxWindow* container, const DialogControl& control, wxWindowID id,
           const wxRect& rect) -> wxWindow* {
            if (control.kind != ControlKind::PushButton) return nullptr;
            return new CSkinButton(container, id, wxString::FromUTF8(control.text),
                                   rect.GetPosition(), rect.GetSize(), CSkinButton::Kind::Push);
        });
    DoDataExchange();
    InitDialog();
    CPlayTimeWatch::Probe probe;
    probe.activity = [this] {
        zorbel::parent::PlayActivity activity;
        activity.playing = m_pFlash && m_bActive && m_bPlaying && m_pFlash->IsPlaying();
        activity.visible = IsShownOnScreen();
        auto* main = dynamic_cast<wxTopLevelWindow*>(MainWindow());
        activity.minimised = main && main->IsIconized();
        activity.game = m_nKind == 0 || m_nKind == 4;
        activity.category = zorbel::parent::PlayActivity::CategoryName(m_nKind);
        activity.title = m_strTitle;
        return activity;
    };
    probe.pause = [this] { OnPause(); };
    m_playTime = std::make_unique<CPlayTimeWatch>(this, std::move(probe));
    return true;
}

CListeningBar* CDlgPlayer::EnableListening() {
    if (m_listening || !GetHandle()) return m_listening.get();
    CListeningBar::PlayerHooks hooks;
    hooks.pause = [this] { OnPause(); };
    hooks.play = [this] { OnPlay(); };
    m_listening = std::make_unique<CListeningBar>(this, std::move(hooks));
    if (m_pMovieControl) m_listening->AttachMovie(m_pMovieControl);
    LayoutControls();
    return m_listening.get();
}

void CDlgPlayer::DoDataExchange() {
    m_wndStatus = dynamic_cast<wxControl*>(FindWindow(kStatusId));
    m_wndFrame = FindWindow(kFrameId);
}

void CDlgPlayer::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    // The main window places the player.
    SetSize(0, 0, 0, 0);
    // Shown by the full-screen frame, the one time the player is a window of its own.
    m_hIcon = CSystemIcon::LoadAppIcon();
    SetLabel(wxString::FromUTF8(kWindowText));
    SkinControls();
    // (Clipping the children out of control 1000 is how every GTK window paints already.)
    CreateSeekBar();
    // No key and no right click on any control of the player reaches it.
    for (wxWindow* child : GetChildren())
        child->Bind(wxEVT_RIGHT_DOWN, &CDlgPlayer::OnRightDown, this);
    LayoutControls();
    m_timerStatus.Start(kTimerInterval);
    m_nStatusTimer = kStatusTimerId;
}

void CDlgPlayer::SkinControls() {
    struct Skin {
        int id;
        const char* element;
    };
    // The favourite button wears the "Open" element.
    static const Skin kSkins[] = {
        {kFavoriteId, "item.plim.btn.Open"},   {kPlayId, "item.plim.btn.Play"},
        {kPauseId, "item.plim.btn.Pause"},     {kStopId, "item.plim.btn.Stop"},
        {kFullScreenId, "item.plim.btn.Full"},
    };
    SkinDLL_SubclassWindow(this, "winChild");
    for (const Skin& skin : kSkins)
        if (wxWindow* button = FindWindow(skin.id)) SkinDLL_SubclassWindow(button, skin.element);
}

void CDlgPlayer::CreateSeekBar() {
    if (!m_wndSeekBar.CreateFromStatic(0, this, kSeekPlaceholderId, kSeekBarId)) return;
    m_wndSeekBar.SetScrollRange(0, kSeekRange, true);
    m_wndSeekBar.SetScrollPos(0, true);
    m_wndSeekBar.m_crThumb = MakeRgb(198, 97, 239);
    m_wndSeekBar.m_bThumbColor = 1;
}

wxString CDlgPlayer::FullScreenTitle() const {
    return wxString::FromUTF8(kWindowText);
}

std::string CDlgPlayer::TitleFromPath(const std::string& path) {
    std::string::size_type slash = path.rfind('\\');
    if (slash == std::string::npos) slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

void CDlgPlayer::PlayMovie(const std::string& path) {
    wxPanel::Show(true);
    if (!FileExists(path)) return;
    if (wxWindow* main = MainWindow()) main->Show(true);
    m_strMoviePath = path;
    m_strTitle = TitleFromPath(path);
    m_nKind = static_cast<int>(m_nextKind);
    // Parent mode counts a song by its playing and files it under its category: a title whose
    // kind nobody named is looked up in the catalog.
    if (m_nKind == 0 && zorbel::parent::ParentGate::PinIsSet())
        m_nKind = static_cast<int>(
            zorbel::listening::TitleTypeLookup::KindOf(zorbel::files::CatalogPath(), m_strTitle)
                .kind);
    OnStop();
    CloseMovie();
    if (m_listening) m_listening->OnTitleStarting(m_nextKind);
    OpenMovie();
    OnPlay();
    RecordPlay();
}

void CDlgPlayer::CloseMovie() {
    if (!m_pFlash) return;
    m_pFlash->Stop();
    // The control is kept for the next movie; the black rectangle stands in meanwhile.
    m_pFlash->Hide();
    if (m_wndFrame) m_wndFrame->Show();
    m_pFlash = nullptr;
}

void CDlgPlayer::OpenMovie() {
    zorbel::TrimWorkingSet();
    if (!FileExists(m_strMoviePath)) return;
    if (m_wndFrame) m_wndFrame->Hide();
    MakeMovieControl();
    m_pFlash = m_pMovieControl;
    m_pFlash->Show();
    const bool walled = zorbel::parent::ParentGate::PinIsSet();
    m_pFlash->SetWalledGarden(walled, walled ? zorbel::parent::ParentGate::MovieContentRules(
                                                   zorbel::FlashSchemePaths::kScheme)
                                             : std::string());
    m_pFlash->LoadMovie(0, m_strMoviePath);
    LayoutControls();
}

void CDlgPlayer::MakeMovieControl() {
    if (m_pMovieControl) return;
    m_pMovieControl = new zorbel::CShockwaveFlash(this, kMovieId, wxPoint(0, 0), wxSize(10, 10));
    if (m_listening) {
        m_listening->AttachMovie(m_pMovieControl);
        m_pMovieControl->SetEndless(m_nextKind == zorbel::listening::TitleKind::Game);
    }
    WatchMovieInput();
    m_pMovieControl->Bind(wxEVT_RIGHT_DOWN, &CDlgPlayer::OnRightDown, this);
}

void CDlgPlayer::WarmUp() {
    if (m_pMovieControl) return;
    MakeMovieControl();
    // It waits out of sight, behind the black frame, until a movie needs it.
    m_pMovieControl->Hide();
}

bool CDlgPlayer::IsMoviePlayerReady() const {
    return m_pMovieControl != nullptr && m_pMovieControl->IsPlayerReady();
}

void CDlgPlayer::WatchMovieInput() {
    wxWebView* view = m_pMovieControl ? m_pMovieControl->WebView() : nullptr;
    auto* native = view ? static_cast<GObject*>(view->GetNativeBackend()) : nullptr;
    if (!native || !WEBKIT_IS_WEB_VIEW(native)) return;
    g_signal_connect(native, "key-press-event", G_CALLBACK(&CDlgPlayerMovieInput::KeyPress),
                     nullptr);
    g_signal_connect_data(
        native, "button-press-event", G_CALLBACK(&CDlgPlayerMovieInput::ButtonPress),
        new wxWeakRef<CDlgPlayer>(this), &CDlgPlayerMovieInput::FreeRef, GConnectFlags(0));
    g_signal_connect_data(native, "motion-notify-event", G_CALLBACK(&CDlgPlayerMovieInput::Motion),
                          new wxWeakRef<CDlgPlayer>(this), &CDlgPlayerMovieInput::FreeRef,
                          GConnectFlags(0));
}

void CDlgPlayer::RecordPlay() {
    const std::string title = m_strTitle;
    CCatalogWriteQueue::Write write = [title] { return CPlayHistory().RecordPlay(title); };
    FinishPlayWrite();
    if (m_pendingWrites.HasPending()) {
        ReportWrite(m_pendingWrites.Submit(std::move(write)));
        return;
    }
    m_playWriteAgain = write;
    m_playWrite = std::async(std::launch::async, [write, self = m_self] {
        const zorbel::WriteOutcome outcome = write();
        if (wxTheApp != nullptr)
            wxTheApp->CallAfter([self] {
                if (*self != nullptr) (*self)->FinishPlayWrite();
            });
        return outcome;
    });
}

void CDlgPlayer::FinishPlayWrite() {
    if (!m_playWrite.valid()) return;
    const zorbel::WriteOutcome outcome = m_playWrite.get();
    if (outcome == zorbel::WriteOutcome::kLocked) m_pendingWrites.Keep(std::move(m_playWriteAgain));
    m_playWriteAgain = nullptr;
    ReportWrite(outcome);
}

void CDlgPlayer::AddFavorite() {
    CPlayHistory history;
    const std::string site = CPlayHistory::VendorSiteName();
    const std::string title = m_strTitle;
    bool noticeShown = false;
    // Plays that wait for the lock go first; while they wait, the favourite waits behind them.
    FinishPlayWrite();
    if (m_pendingWrites.HasPending()) ReportWrite(m_pendingWrites.Retry());
    CPlayHistory::FavoriteResult result;
    result.title = title;
    result.outcome = CPlayHistory::FavoriteOutcome::Locked;
    if (!m_pendingWrites.HasPending()) {
        // For a title that is a favourite already the notice comes first, then the count rises.
        result = history.AddFavorite(title, [&](const CPlayHistory::FavoriteResult& before) {
            ShowNotice(this, CPlayHistory::FavoriteNotice(before, site));
            noticeShown = true;
        });
    }
    if (result.outcome == CPlayHistory::FavoriteOutcome::Locked)
        KeepWrite([title] { return CPlayHistory().StoreFavorite(title); });
    if (!noticeShown || result.outcome == CPlayHistory::FavoriteOutcome::DataFailure)
        ShowNotice(this, CPlayHistory::FavoriteNotice(result, site));
}

void CDlgPlayer::KeepWrite(CCatalogWriteQueue::Write write) {
    m_pendingWrites.Keep(std::move(write));
    ReportWrite(zorbel::WriteOutcome::kLocked);
}

void CDlgPlayer::ReportWrite(zorbel::WriteOutcome outcome) {
    if (m_pendingWrites.HasPending()) {
        if (!m_timerWrites.IsRunning()) m_timerWrites.Start(kWritesRetryInterval);
    } else {
        m_timerWrites.Stop();
    }
    // Nothing else is said: a play of a title the catalog does not know is not counted, and
    // one that waits for a lock is no failure.
    if (outcome == zorbel::WriteOutcome::kDataFailure)
        ShowNotice(this, CPlayHistory::DataFailureNotice(CPlayHistory::VendorSiteName()));
}

void CDlgPlayer::OnWritesTimer(wxTimerEvent& /*event*/) {
    // The timer goes on under a data failure box; the box is shown once.
    if (m_bRetryingWrites) return;
    m_bRetryingWrites = true;
    ReportWrite(m_pendingWrites.Retry());
    m_bRetryingWrites = false;
}

void CDlgPlayer::StartProgressTimer() {
    if (m_nProgressTimer != 0) return;
    m_timerProgress.Start(kTimerInterval);
    m_nProgressTimer = kProgressTimerId;
}

void CDlgPlayer::OnPlay() {
    if (!m_pFlash || !FileExists(m_strMoviePath)) return;
    m_pFlash->Play();
    StartProgressTimer();
    zorbel::TrimWorkingSet();
    m_bActive = 1;
    m_bPlaying = true;
    // A play the allowance does not allow is paused again at once.
    if (m_playTime) m_playTime->Check();
}

void CDlgPlayer::Pause() {
    if (m_listening) m_listening->OnUserHalt();
    OnPause();
}

void CDlgPlayer::OnPause() {
    if (!m_pFlash) return;
    m_pFlash->Stop();
    StartProgressTimer();
    m_bActive = 1;
    m_bPlaying = false;
}

void CDlgPlayer::OnStop() {
    if (!m_pFlash) return;
    m_pFlash->Rewind();
    m_pFlash->Stop();
    if (m_nProgressTimer != 0) {
        m_timerProgress.Stop();
        m_nProgressTimer = 0;
    }
    m_wndSeekBar.SetScrollPos(0, true);
    m_bActive = 0;
    m_bPlaying = false;
}

void CDlgPlayer::OnHScroll(wxCommandEvent& event) {
    if (event.GetEventObject() != &m_wndSeekBar) return;
    if (m_pFlash) {
        const long long frame =
            static_cast<long long>(m_pFlash->TotalFrames()) * m_wndSeekBar.m_nPos / kSeekRange;
        m_pFlash->FrameNum(static_cast<int>(frame));
    }
    OnPlay();
}

void CDlgPlayer::OnTimer(wxTimerEvent& event) {
    const int id = event.GetId();
    if (id == m_nProgressTimer && m_pFlash) {
        const int current = m_pFlash->CurrentFrame();
        const int total = m_pFlash->TotalFrames();
        if (total == zorbel::CShockwaveFlash::kNoFrames) SetStatus(kWaitingText);
        // A movie of no frames has no position; nothing is divided by it.
        if (total != 0) {
            const int position =
                static_cast<int>(static_cast<long long>(current) * kSeekRange / total);
            if (position != m_wndSeekBar.m_nPos) m_wndSeekBar.SetScrollPos(position, true);
        }
    } else if (id == m_nStatusTimer && m_pFlash) {
        int current = m_pFlash->CurrentFrame();
        const int total = m_pFlash->TotalFrames();
        // The last frame shows as total/total.
        if (total - current == 1) current = total;
        if (total == zorbel::CShockwaveFlash::kNoFrames)
            SetStatus(kWaitingText);
        else
            SetStatus(wxString::Format(wxString::FromUTF8("您在看：%s(%d/%d)"),
                                       wxString::FromUTF8(m_strTitle), current, total)
                          .utf8_string());
    }
    event.Skip();
}

void CDlgPlayer::SetStatus(const std::string& text) {
    if (!m_wndStatus) return;
    const wxString label = wxString::FromUTF8(text);
    // Only a change repaints, ten times a second otherwise.
    if (m_wndStatus->GetLabelText() != label) m_wndStatus->SetLabelText(label);
}

std::string CDlgPlayer::StatusText() const {
    return m_wndStatus ? m_wndStatus->GetLabelText().utf8_string() : std::string();
}

void CDlgPlayer::OnSize(wxSizeEvent& event) {
    event.Skip();
    LayoutControls();
    if (m_playTime) m_playTime->Place();
}

namespace {

// Moves a window with repaint; sizes below zero become zero (the toolkit would read -1 as
// "keep the current size").
void Place(wxWindow* window, int x, int y, int width, int height) {
    if (!window) return;
    window->SetSize(x, y, std::max(width, 0), std::max(height, 0), wxSIZE_ALLOW_MINUS_ONE);
    window->Refresh();
}

}  // namespace

void CDlgPlayer::LayoutControls() {
    const wxSize client = GetClientSize();
    const int l = 0, t = 0, r = client.x, b = client.y;

    const int width = (r - 5) - (l + 5);
    const int height = (b - 45) - (t + 5);
    Place(m_wndFrame, l + 5, t + 5, width, height);
    Place(m_pMovieControl, l + 5, t + 5, width, height);

    if (m_wndSeekBar.GetHandle()) {
        m_wndSeekBar.SetTrackWidth(std::max(width, 0));
        Place(&m_wndSeekBar, l + 5, b - 40, width, 7);
    }

    if (m_wndStatus) {
        static const int kButtons[] = {kFavoriteId, kPlayId, kPauseId, kStopId, kFullScreenId};
        wxWindow* first = FindWindow(kFavoriteId);
        const wxSize size = first ? first->GetSize() : wxSize();
        int x = 5;
        for (int id : kButtons) {
            Place(FindWindow(id), x, b - size.y, size.x, size.y);
            x += size.x + 5;
        }
        const int statusX = 5 * (size.x + 6);
        // Listening mode's controls end the bar; the status line takes what is left.
        const int listeningX = m_listening ? m_listening->Place(r - 5, b, size.y) : r;
        Place(m_wndStatus, statusX, b - 20, (listeningX - 5) - statusX, 20);
    }
    if (m_listening) m_listening->PlaceCover(wxRect(l + 5, t + 5, width, height));
    Refresh(true);
}

void CDlgPlayer::OnCharHook(wxKeyEvent& /*event*/) {
    // Handled: no key reaches a control of the player, and neither Enter nor Escape reaches
    // the main window, whose cancel would hide it.
}

void CDlgPlayer::OnRightDown(wxMouseEvent& /*event*/) {}

void CDlgPlayer::OnFavoriteButton(wxCommandEvent& /*event*/) {
    AddFavorite();
}

void CDlgPlayer::OnPlayButton(wxCommandEvent& /*event*/) {
    OnPlay();
}

void CDlgPlayer::OnPauseButton(wxCommandEvent& /*event*/) {
    Pause();
}

void CDlgPlayer::OnStopButton(wxCommandEvent& /*event*/) {
    if (m_listening) m_listening->OnUserHalt();
    OnStop();
}

void CDlgPlayer::OnFullScreenButton(wxCommandEvent& /*event*/) {
    ToggleFullScreen();
}

void CDlgPlayer::OnFrameDoubleClick(wxCommandEvent& /*event*/) {
    // The control changes parents on the toggle, which must not happen inside its own event.
    CallAfter(&CDlgPlayer::ToggleFullScreen);
}

void CDlgPlayer::StopTimers() {
    if (m_nProgressTimer != 0) {
        m_timerProgress.Stop();
        m_nProgressTimer = 0;
    }
    if (m_nStatusTimer != 0) {
        m_timerStatus.Stop();
        m_nStatusTimer = 0;
    }
}

bool CDlgPlayer::Destroy() {
    StopTimers();
    m_playTime.reset();
    // A last try for plays still waiting for a lock: the program is ending, nobody is told.
    m_timerWrites.Stop();
    if (m_playWrite.valid() && m_playWrite.get() == zorbel::WriteOutcome::kLocked)
        m_pendingWrites.Keep(std::move(m_playWriteAgain));
    if (m_pendingWrites.HasPending()) m_pendingWrites.Retry();
    // The movie goes with the control, a child of the player. No stop is sent to it: the
    // answer to a script would arrive after the view is gone, which the toolkit's web view
    // does not survive.
    m_pFlash = nullptr;
    return wxPanel::Destroy();
}
