#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <wx/event.h>
#include <wx/timer.h>

#include "app/SettingsFiles.h"
#include "listening/ListeningCover.h"
#include "listening/ListeningPlan.h"
#include "listening/ListeningSettings.h"
#include "listening/SleepTimer.h"
#include "listening/TitleKind.h"
#include "web/flash/MovieEndWatch.h"

class CSkinButton;
class CSkinSlider;
class wxWindow;
namespace zorbel {
class CShockwaveFlash;
}

// Listening mode on the player bar: a switch to play songs, stories and knowledge clips
// straight through, a sleep timer, a mute button and a volume slider, all drawn by the skin.
// It hears the movie control's end of a movie and decides what follows (ListeningPlan): the
// next title of the list after a visible countdown, bedtime, or nothing at all, which is what
// happens with straight-through off and no timer set.
//
// The player owns it and tells it what plays; the main window tells it where the next title
// comes from and how to start one (through the trees, so that a title that is not cached yet
// is downloaded as any other).
class CListeningBar : public wxEvtHandler {
public:
    static constexpr int kNextId = 1050;
    static constexpr int kSleepId = 1051;
    static constexpr int kSoundId = 1052;
    static constexpr int kVolumeId = 1053;
    static constexpr int kTickMs = 200;

    struct PlayerHooks {
        std::function<void()> pause;
        std::function<void()> play;
    };
    // The list the playing title came from; empty hooks mean there is none.
    struct ListHooks {
        std::function<std::optional<std::string>()> nextTitle;
        std::function<void(const std::string&)> playTitle;
    };

    CListeningBar(wxWindow* player, PlayerHooks hooks,
                  zorbel::files::SettingsFiles settings = zorbel::files::LocateSettings());
    ~CListeningBar() override;
    CListeningBar(const CListeningBar&) = delete;
    CListeningBar& operator=(const CListeningBar&) = delete;

    void SetListHooks(ListHooks hooks) { m_list = std::move(hooks); }
    // The movie control, once the player has made it: the end of each movie and the volume.
    void AttachMovie(zorbel::CShockwaveFlash* movie);
    // A title starts: what kind it is (games never end); any countdown or cover goes.
    void OnTitleStarting(zorbel::listening::TitleKind kind);
    // The child or a parent paused or stopped: no title starts by itself now.
    void OnUserHalt();
    void OnMovieEnded(zorbel::MovieEnd end);

    // Places the controls in a row that ends at right, bottom-aligned with buttons of the given
    // height; returns the x at which the row begins.
    int Place(int right, int bottom, int buttonHeight);
    // Follows the player's movie area.
    void PlaceCover(const wxRect& movieArea);

    // The switches, also for tests and the main window.
    bool IsStraightThrough() const { return m_settings.straightThrough; }
    void SetStraightThrough(bool on);
    int Volume() const { return m_settings.volume; }
    void SetVolume(int percent);
    bool IsMuted() const { return m_settings.muted; }
    void SetMuted(bool muted);
    zorbel::listening::SleepTimer& Sleep() { return m_sleep; }
    void SetSleepAfterTitles(int titles);
    void SetSleepAfterMinutes(int minutes);
    void SetSleepOff();

    bool IsCountingDown() const { return m_countdown.IsRunning(); }
    const std::string& NextTitle() const { return m_strNext; }
    bool IsAsleep() const {
        return m_pCover && m_pCover->CurrentMode() == CListeningCover::Mode::kSleep;
    }
    CListeningCover* Cover() const { return m_pCover; }
    CSkinSlider* VolumeSlider() const { return m_pVolume; }
    // Ends heard since start (one per title that ended).
    int EndsHeard() const { return m_nEnds; }
    zorbel::listening::TitleKind CurrentKind() const { return m_kind; }
    // The countdown's end now: the next title starts.
    void StartNextNow();
    void CancelCountdown();
    // Bedtime's button: the cover goes and the movie plays again.
    void Wake();

private:
    void MakeControls();
    void ApplyVolume();
    void Save();
    void ShowCountdown();
    void OnTick(wxTimerEvent& event);
    void OnCoverButton(CListeningCover::Mode mode);
    void OnNextButton(wxCommandEvent& event);
    void OnSleepButton(wxCommandEvent& event);
    void OnSoundButton(wxCommandEvent& event);
    void OnVolumeSlider(wxCommandEvent& event);
    void OnVolumeDone(wxScrollEvent& event);
    void ShowSleepState();

    wxWindow* m_pPlayer;
    PlayerHooks m_hooks;
    ListHooks m_list;
    zorbel::files::SettingsFiles m_files;
    zorbel::listening::ListeningSettings m_settings;
    zorbel::listening::SleepTimer m_sleep;
    zorbel::listening::Countdown m_countdown;
    zorbel::listening::TitleKind m_kind = zorbel::listening::TitleKind::Unknown;
    zorbel::CShockwaveFlash* m_pMovie = nullptr;
    CSkinButton* m_pNext = nullptr;
    CSkinButton* m_pSleepButton = nullptr;
    CSkinButton* m_pSound = nullptr;
    CSkinSlider* m_pVolume = nullptr;
    CListeningCover* m_pCover = nullptr;
    wxTimer m_timer;
    std::string m_strNext;
    int m_nEnds = 0;
    int m_nSleepChoice = 0;  // the menu item that set the running timer
};
