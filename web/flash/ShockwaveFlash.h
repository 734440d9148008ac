#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/panel.h>
#include <wx/timer.h>

#include "web/flash/FlashMoviePreparer.h"
#include "web/flash/MovieEndWatch.h"

class wxWebView;
class wxWebViewEvent;
typedef struct _GCancellable GCancellable;
typedef struct _WebKitUserContentFilter WebKitUserContentFilter;

namespace zorbel {

// The movie control: a web view running the Ruffle player on our own page. It is meant to be
// created once and reused for every movie, since the player takes about two seconds to become
// ready; a movie loaded before then is queued and shown once the player is ready.
//
// Frames are counted from 0, as the Flash control counts them. Calls never throw; without a
// movie (or with a damaged one) TotalFrames is -9999 and the other calls do nothing.
//
// How exact the frames are depends on the movie (see ControlMode):
// - ActionScript 1/2 movies of version 8 and later carry our frame action: the page reads
//   _root._currentframe every 40 ms and seeks with gotoAndStop/gotoAndPlay, so seeks land on the
//   frame asked and a stopped movie reports its frame exactly; while playing, CurrentFrame is at
//   most one report (40 ms) behind.
// - Other movies (ActionScript 3, or older versions, where the player hides flash.external) are
//   moved with the player's timeline menu: seeks land exactly (rewind, then one frame forward at a
//   time), but while playing the frame is estimated from the frame rate and the time played, which
//   is wrong when the player falls behind or the movie jumps or stops by itself.
// TotalFrames is the header's frame count once the player has the movie.
//
// CurrentFrame and TotalFrames answer from values the page reports, so they never wait on the
// web process; the commands are sent without waiting, and the control may be destroyed with
// commands still running in the page.
class CShockwaveFlash : public wxPanel {
public:
    static constexpr int kNoFrames = -9999;

    CShockwaveFlash();
    CShockwaveFlash(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize);
    ~CShockwaveFlash() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    // Loads the movie file at url (a local path) into the player; layer is accepted for the
    // Flash control's signature and ignored (there is only the root movie).
    void LoadMovie(int layer, const std::string& url);
    void Play();
    // Halts the movie at the current frame.
    void Stop();
    // Goes to the first frame; playing goes on if it was playing.
    void Rewind();
    // Goes to a frame (0-based); playing goes on if it was playing.
    void FrameNum(int frame);
    // Frame count of the loaded movie, or -9999 while nothing is loaded or the movie is damaged.
    int TotalFrames() const;
    // The frame shown (0-based); 0 without a movie.
    int CurrentFrame() const;

    // Beyond the Flash control: state for the player panel, tests and measurements.
    bool IsPlayerReady() const { return m_bPlayerReady; }
    bool IsMovieLoaded() const { return m_bMovieLoaded; }
    bool IsFirstFrameShown() const { return m_bFirstFrameShown; }
    bool IsPlaying() const { return m_bPlaying; }
    // Movies loaded from now on may not open addresses or browser windows, nor reach the
    // browser through navigation calls (the player's own URL option). With contentRules (a
    // content-blocker rule list) the player also loads nothing the rules do not let through,
    // whatever the movie or a script in the page asks; a movie waits until they are in place.
    void SetWalledGarden(bool walled, const std::string& contentRules = std::string());
    // The rules the view wears now; empty when none.
    const std::string& WallsUp() const { return m_strWallsUp; }
    FrameControlMode ControlMode() const { return m_mode; }
    const std::string& MoviePath() const { return m_strMoviePath; }
    wxWebView* WebView() const { return m_pView; }
    // Commands sent by any control whose answer has not come back yet; answers may arrive after
    // their control is gone.
    static int ScriptsInFlight();
    // Called once per movie when its first frame is on screen.
    void SetFirstFrameHandler(std::function<void()> handler) {
        m_onFirstFrame = std::move(handler);
    }

    // The end of the movie (see MovieEndWatch): the root timeline stopped on its last frame or
    // wrapped to the first, or, for a header whose frame count is not to be trusted, the
    // picture held still past that count. Called once per end, within a second of it.
    void SetEndHandler(std::function<void(MovieEnd)> handler) { m_onEnd = std::move(handler); }
    // Movies loaded from now on loop on purpose (games): they never end.
    void SetEndless(bool endless) { m_bEndless = endless; }
    // How the current movie ended, None while it has not (or cannot).
    MovieEnd LastEnd() const { return m_endWatch.LastEnd(); }
    bool IsFrameCountTrusted() const { return m_bCountTrusted; }
    // Loudness of the player's sound, 0 (silent) to 100; kept for every later movie.
    void SetVolume(int percent);
    int Volume() const { return m_nVolume; }

private:
    void CreateView();
    void OnScriptMessage(wxWebViewEvent& event);
    void HandleMessage(const std::string& json);
    void SendLoad();
    void RunScript(const std::string& script);
    bool WallsReady() const;
    void OnEndTimer(wxTimerEvent& event);
    void NoteEnd(MovieEnd end);
    void SamplePicture();
    friend struct FlashSnapshot;

public:
    // The end of a rule compilation this control asked for; filter is null when it failed.
    void WallsCompiled(WebKitUserContentFilter* filter, const char* failure);

private:
    wxWebView* m_pView = nullptr;
    GCancellable* m_pCancel = nullptr;  // cancelled when the control goes
    bool m_bPlayerReady = false;
    bool m_bMovieLoaded = false;
    bool m_bFirstFrameShown = false;
    bool m_bPlaying = true;
    bool m_bWalled = false;
    bool m_bLoadPending = false;
    int m_nLoadId = 0;
    int m_nTotalFrames = kNoFrames;
    int m_nPendingFrames = 0;  // frame count from the header, valid once the player has the movie
    int m_nCurrentFrame = 0;
    FrameControlMode m_mode = FrameControlMode::None;
    std::string m_strMoviePath;
    std::string m_strMovieUri;
    std::string m_strWallRules;       // the rules the view should wear
    std::string m_strWallsUp;         // the rules it wears
    std::string m_strWallsCompiling;  // the rules being made ready
    std::function<void()> m_onFirstFrame;

    bool m_bEndless = false;
    bool m_bCountTrusted = false;
    bool m_bSampling = false;  // a picture sample is on its way
    int m_nVolume = 100;
    MovieEndWatch m_endWatch;
    wxTimer m_endTimer;
    std::function<void(MovieEnd)> m_onEnd;
    // Lets a snapshot that comes back after the control is gone find nothing.
    std::shared_ptr<CShockwaveFlash*> m_self;
};

}  // namespace zorbel
