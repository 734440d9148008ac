#pragma once

#include <future>
#include <memory>
#include <string>

#include <wx/bmpbndl.h>
#include <wx/timer.h>

#include "app/CatalogWriteQueue.h"
#include "listening/TitleKind.h"
#include "ui/FullScreenPanel.h"
#include "ui/XScrollBar.h"

class wxControl;
class CListeningBar;
class CPlayTimeWatch;
namespace zorbel {
class CShockwaveFlash;
}

// The player panel (template 102): a child of the main window in which a title plays, with a
// favourite, play, pause, stop and full-screen button, a seek bar and a status line that names
// the title and counts frames.
//
// A wxPanel, not a wxDialog: on GTK every dialog is a window of its own, while the player must
// live inside the main window's client area. Enter, Escape, every other key and right clicks
// are kept from the movie and from the main window (where Escape would end the program's modal
// run).
//
// The movie control: one CShockwaveFlash is made for the first movie and kept for every later
// one. Its player takes seconds to become ready, so a new movie is loaded into the kept
// control instead of replacing the control. m_pFlash points at it while a movie is open and
// is null otherwise, so "no movie control" still means "no movie".
//
// Full screen (the button or a double click on the movie): see CFullScreenPanel.
//
// The main window makes it once with `new CDlgPlayer` and Create(mainWindow), places it with
// SetSize, calls PlayMovie(path) to play a title (an empty path only shows the player), and
// hides it with Pause() followed by Hide(). IsActive() says whether a movie is playing or
// paused (not stopped).
class CDlgPlayer : public CFullScreenPanel {
public:
    static constexpr int kTemplateId = 102;
    static constexpr int kStatusId = 1020;
    static constexpr int kFrameId = 1000;
    static constexpr int kSeekPlaceholderId = 1016;
    static constexpr int kSeekBarId = 1018;
    static constexpr int kFavoriteId = 1003;
    static constexpr int kPlayId = 1006;
    static constexpr int kPauseId = 1009;
    static constexpr int kStopId = 1012;
    static constexpr int kFullScreenId = 1015;
    // The movie control stands where control 1000 stands and takes its id.
    static constexpr int kMovieId = 1000;
    static constexpr int kProgressTimerId = 100;
    static constexpr int kStatusTimerId = 101;
    static constexpr int kWritesTimerId = 102;
    static constexpr int kTimerInterval = 100;
    // How often plays and favourites that met another program's lock are tried again.
    static constexpr int kWritesRetryInterval = 1000;
    static constexpr int kSeekRange = 1000;

    static constexpr const char* kWindowText = "佐贝乐儿童游戏";
    static constexpr const char* kWaitingText = "正在准备，请稍等...  ";

    CDlgPlayer();
    ~CDlgPlayer() override;
    CDlgPlayer(const CDlgPlayer&) = delete;
    CDlgPlayer& operator=(const CDlgPlayer&) = delete;

    // Creates the player inside parent (the main window; when null, the application's top
    // window) at 0 by 0 and initialises it. False when the window cannot be made.
    bool Create(wxWindow* parent = nullptr);

    // Shows the player and plays the movie file at path; an empty path or a missing file only
    // shows the player (the current movie, if any, goes on). Then counts the play in the
    // catalog; a catalog that cannot be opened or is damaged is reported after the movie has
    // started, and one that another program holds locked gets the play once it is free.
    void PlayMovie(const std::string& path);
    // The pause button (the main window's, when it hides the player): no next title starts by
    // itself after it.
    void Pause();
    // The catalog type of the next movie: a game counts against the play allowance only while
    // the child plays it and never ends; songs, stories and clips count while they play and
    // may play straight through.
    void SetNextKind(zorbel::listening::TitleKind kind) { m_nextKind = kind; }
    // Adds listening mode's controls to the end of the bar (the main window does, once); the
    // status line then ends where they begin. Without it the bar is the classic one.
    CListeningBar* EnableListening();
    CListeningBar* Listening() const { return m_listening.get(); }
    // Parent mode's watch over the play allowance.
    CPlayTimeWatch* PlayTimeWatch() const { return m_playTime.get(); }
    // 1 after a play or a pause, 0 after a stop (and before the first movie).
    int IsActive() const { return m_bActive; }
    // A play is still being written to the catalog.
    bool IsWritingPlay() const { return m_playWrite.valid(); }

    // Stops both timers, then destroys the window and the movie control with it.
    bool Destroy() override;

    // The buttons, also callable directly.
    void AddFavorite();
    void OnPlay();
    void OnPause();
    void OnStop();

    // Makes the movie control ahead of the first movie, hidden: its player takes seconds to
    // get ready, which the child would otherwise wait through on the first click.
    void WarmUp();

    // The title of a movie file: its name without folder and extension.
    static std::string TitleFromPath(const std::string& path);

    // State for the main window and tests.
    zorbel::CShockwaveFlash* MovieControl() const { return m_pFlash; }
    // Whether the movie control, shown or not, has its player ready for a movie.
    bool IsMoviePlayerReady() const;
    const std::string& MoviePath() const { return m_strMoviePath; }
    const std::string& Title() const { return m_strTitle; }
    CXScrollBar& SeekBar() { return m_wndSeekBar; }
    std::string StatusText() const;
    bool IsProgressTimerRunning() const { return m_nProgressTimer != 0; }

protected:
    wxString FullScreenTitle() const override;
    wxBitmapBundle FullScreenIcon() const override { return m_hIcon; }

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnWritesTimer(wxTimerEvent& event);
    void OnHScroll(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnFavoriteButton(wxCommandEvent& event);
    void OnPlayButton(wxCommandEvent& event);
    void OnPauseButton(wxCommandEvent& event);
    void OnStopButton(wxCommandEvent& event);
    void OnFullScreenButton(wxCommandEvent& event);
    void OnFrameDoubleClick(wxCommandEvent& event);

    void DoDataExchange();
    void SkinControls();
    void CreateSeekBar();
    void LayoutControls();
    void CloseMovie();
    void OpenMovie();
    void RecordPlay();
    // Takes the outcome of the play written on the worker, waiting for it if it still runs.
    void FinishPlayWrite();
    // Keeps a write that met a lock, to be tried again on the writes timer.
    void KeepWrite(CCatalogWriteQueue::Write write);
    // The data failure box, when a write (now or tried again) says so; starts or stops the
    // writes timer as writes wait or not.
    void ReportWrite(zorbel::WriteOutcome outcome);
    void SetStatus(const std::string& text);
    void StartProgressTimer();
    void StopTimers();
    // Key presses and right clicks are taken from the movie before its engine sees them;
    // double clicks are watched on the way to it.
    void MakeMovieControl();
    void WatchMovieInput();

    // The members of the classic player, in their order.
    wxControl* m_wndStatus = nullptr;
    CXScrollBar m_wndSeekBar;
    wxWindow* m_wndFrame = nullptr;
    int m_bActive = 0;
    zorbel::CShockwaveFlash* m_pFlash = nullptr;
    std::string m_strMoviePath;
    std::string m_strTitle;
    int m_nProgressTimer = 0;
    int m_nStatusTimer = 0;

    // The one movie control, made for the first movie and kept (a child window of the player).
    zorbel::CShockwaveFlash* m_pMovieControl = nullptr;
    wxTimer m_timerProgress;
    wxTimer m_timerStatus;
    wxBitmapBundle m_hIcon;
    CCatalogWriteQueue m_pendingWrites;
    // A play is written on a worker: the catalog's file sync takes up to a tenth of a second,
    // which the movie's start would otherwise wait for. One at a time; its outcome is taken on
    // the UI thread before any later write, so writes still land in the order made.
    std::future<zorbel::WriteOutcome> m_playWrite;
    CCatalogWriteQueue::Write m_playWriteAgain;
    std::shared_ptr<CDlgPlayer*> m_self = std::make_shared<CDlgPlayer*>(this);
    wxTimer m_timerWrites;
    bool m_bRetryingWrites = false;
    bool m_bPlaying = false;  // played and neither paused nor stopped since
    int m_nKind = 0;          // the catalog type of the movie in the player; 0 not known
    std::unique_ptr<CPlayTimeWatch> m_playTime;
    std::unique_ptr<CListeningBar> m_listening;
    zorbel::listening::TitleKind m_nextKind = zorbel::listening::TitleKind::Unknown;

    friend struct CDlgPlayerMovieInput;

    wxDECLARE_EVENT_TABLE();
};
