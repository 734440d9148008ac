#include "listening/ListeningBar.h"

#include <algorithm>
#include <chrono>

#include <wx/menu.h>
#include <wx/window.h>

#include "platform/skin/CSkinButton.h"
#include "platform/skin/CSkinSlider.h"
#include "web/flash/ShockwaveFlash.h"

using namespace zorbel::listening;

namespace {

constexpr const char* kNextTip = "一个接一个播下去（连播）";
constexpr const char* kSleepTip = "睡觉定时";
constexpr const char* kSoundTip = "静音 / 打开声音";
constexpr const char* kVolumeTip = "声音大小";
constexpr const char* kCancelText = "不要了";
constexpr const char* kListDoneText = "这一组都听完啦，真棒！";
constexpr const char* kListDoneButton = "好的";
constexpr const char* kSleepText = "晚安，小宝贝！月亮出来啦，明天再听吧。";
constexpr const char* kWakeText = "再听一会儿";

enum SleepChoice { kSleepOff = 1, kSleepAfter1, kSleepAfter2, kSleepAfter3, kSleep15, kSleep30 };

int64_t NowMs() {
    // A steady clock: a wall clock set back or forward would stretch or skip what is timed.
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr int kSliderWidth = 90;
constexpr int kGap = 5;

}  // namespace

CListeningBar::CListeningBar(wxWindow* player, PlayerHooks hooks,
                             zorbel::files::SettingsFiles settings)
    : m_pPlayer(player), m_hooks(std::move(hooks)), m_files(std::move(settings)) {
    m_settings = ListeningSettings::Load(m_files);
    m_timer.SetOwner(this);
    Bind(wxEVT_TIMER, &CListeningBar::OnTick, this, m_timer.GetId());
    MakeControls();
}

CListeningBar::~CListeningBar() {
    m_timer.Stop();
    if (m_pMovie) m_pMovie->SetEndHandler(nullptr);
}

void CListeningBar::MakeControls() {
    if (!m_pPlayer) return;
    m_pNext = new CSkinButton(m_pPlayer, kNextId, wxString(), wxDefaultPosition, wxDefaultSize,
                              CSkinButton::Kind::Check, 0, "item.plim.btn.Next");
    m_pNext->SetValue(m_settings.straightThrough);
    m_pNext->SetToolTip(wxString::FromUTF8(kNextTip));
    m_pNext->Bind(wxEVT_CHECKBOX, &CListeningBar::OnNextButton, this);

    m_pSleepButton =
        new CSkinButton(m_pPlayer, kSleepId, wxString(), wxDefaultPosition, wxDefaultSize,
                        CSkinButton::Kind::Push, 0, "item.plim.btn.Sleep");
    m_pSleepButton->SetToolTip(wxString::FromUTF8(kSleepTip));
    m_pSleepButton->Bind(wxEVT_BUTTON, &CListeningBar::OnSleepButton, this);

    m_pSound = new CSkinButton(m_pPlayer, kSoundId, wxString(), wxDefaultPosition, wxDefaultSize,
                               CSkinButton::Kind::Check, 0, "item.plim.btn.Sound");
    m_pSound->SetValue(m_settings.muted);
    m_pSound->SetToolTip(wxString::FromUTF8(kSoundTip));
    m_pSound->Bind(wxEVT_CHECKBOX, &CListeningBar::OnSoundButton, this);

    m_pVolume = new CSkinSlider(m_pPlayer, kVolumeId, m_settings.volume, 0, 100, wxDefaultPosition,
                                wxSize(kSliderWidth, 28), "slider.plim.volume");
    m_pVolume->SetToolTip(wxString::FromUTF8(kVolumeTip));
    m_pVolume->Bind(wxEVT_SLIDER, &CListeningBar::OnVolumeSlider, this);
    m_pVolume->Bind(wxEVT_SCROLL_CHANGED, &CListeningBar::OnVolumeDone, this);

    m_pCover = new CListeningCover(m_pPlayer, [this](CListeningCover::Mode mode) {
        // Called from the cover's own button: act after its event.
        m_pPlayer->CallAfter([this, mode] { OnCoverButton(mode); });
    });
}

void CListeningBar::AttachMovie(zorbel::CShockwaveFlash* movie) {
    if (m_pMovie == movie) return;
    m_pMovie = movie;
    if (!m_pMovie) return;
    m_pMovie->SetEndHandler([this](zorbel::MovieEnd end) { OnMovieEnded(end); });
    ApplyVolume();
}

void CListeningBar::ApplyVolume() {
    // Nothing is sent while everything is as it always was.
    const int volume = m_settings.EffectiveVolume();
    if (m_pMovie && volume != m_pMovie->Volume()) m_pMovie->SetVolume(volume);
}

void CListeningBar::Save() {
    m_settings.Save(m_files);  // a settings file that cannot be written only forgets
}

void CListeningBar::OnTitleStarting(TitleKind kind) {
    m_kind = kind;
    m_countdown.Cancel();
    m_strNext.clear();
    if (m_pCover) m_pCover->HideAll();
    if (m_pMovie) m_pMovie->SetEndless(kind == TitleKind::Game);
    if (!m_sleep.IsSet()) m_timer.Stop();
}

void CListeningBar::OnUserHalt() {
    CancelCountdown();
}

void CListeningBar::OnMovieEnded(zorbel::MovieEnd end) {
    if (end == zorbel::MovieEnd::None || m_countdown.IsRunning() || IsAsleep()) return;
    ++m_nEnds;
    std::optional<std::string> next;
    // The list is asked only when its answer can matter.
    if (m_settings.straightThrough && IsListeningKind(m_kind) && m_list.nextTitle)
        next = m_list.nextTitle();
    const EndDecision decision =
        ListeningPlan::Decide(m_kind, m_settings.straightThrough, m_sleep, next, NowMs());
    ShowSleepState();
    switch (decision.what) {
        case AfterEnd::Nothing:
            return;
        case AfterEnd::Countdown:
            // A song that wraps would start again under the countdown.
            if (m_hooks.pause) m_hooks.pause();
            m_strNext = decision.next;
            m_countdown.Start(NowMs());
            ShowCountdown();
            m_timer.Start(kTickMs);
            return;
        case AfterEnd::Sleep:
            if (m_hooks.pause) m_hooks.pause();
            if (m_pCover) m_pCover->ShowSleep(kSleepText, kWakeText);
            return;
        case AfterEnd::ListDone:
            if (m_hooks.pause) m_hooks.pause();
            if (m_pCover) m_pCover->ShowStrip(kListDoneText, kListDoneButton);
            return;
    }
}

void CListeningBar::ShowCountdown() {
    if (!m_pCover) return;
    const int left = std::max(1, m_countdown.SecondsLeft(NowMs()));
    m_pCover->ShowStrip("下一个：《" + m_strNext + "》，" + std::to_string(left) + " 秒后开始",
                        kCancelText);
}

void CListeningBar::OnTick(wxTimerEvent&) {
    if (m_countdown.IsDue(NowMs())) {
        StartNextNow();
        return;
    }
    if (m_countdown.IsRunning()) {
        ShowCountdown();
        return;
    }
    ShowSleepState();  // the minutes of a sleep timer go down
    if (!m_sleep.IsSet()) m_timer.Stop();
}

void CListeningBar::StartNextNow() {
    if (!m_countdown.IsRunning()) return;
    m_countdown.Cancel();
    m_timer.Stop();
    const std::string next = m_strNext;
    if (m_pCover) m_pCover->HideAll();
    if (m_list.playTitle && !next.empty()) m_list.playTitle(next);
    if (m_sleep.IsSet()) m_timer.Start(kTickMs);
}

void CListeningBar::CancelCountdown() {
    if (!m_countdown.IsRunning()) return;
    m_countdown.Cancel();
    m_strNext.clear();
    if (m_pCover && m_pCover->CurrentMode() == CListeningCover::Mode::kStrip) m_pCover->HideAll();
    if (!m_sleep.IsSet()) m_timer.Stop();
}

void CListeningBar::Wake() {
    if (m_pCover) m_pCover->HideAll();
    if (m_hooks.play) m_hooks.play();
}

void CListeningBar::OnCoverButton(CListeningCover::Mode mode) {
    if (mode == CListeningCover::Mode::kSleep) {
        Wake();
    } else if (m_countdown.IsRunning()) {
        CancelCountdown();
    } else if (m_pCover) {
        m_pCover->HideAll();
    }
}

int CListeningBar::Place(int right, int bottom, int buttonHeight) {
    if (!m_pNext) return right;
    const int size = buttonHeight;
    int x = right - kSliderWidth;
    m_pVolume->SetSize(x, bottom - (size + 28) / 2, kSliderWidth, 28);
    for (CSkinButton* button : {m_pSound, m_pSleepButton, m_pNext}) {
        x -= size + kGap;
        button->SetSize(x, bottom - size, size, size);
        button->Refresh();
    }
    m_pVolume->Refresh();
    return x;
}

void CListeningBar::PlaceCover(const wxRect& movieArea) {
    if (m_pCover) m_pCover->Place(movieArea);
}

void CListeningBar::SetStraightThrough(bool on) {
    m_settings.straightThrough = on;
    if (m_pNext) m_pNext->SetValue(on);
    if (!on) CancelCountdown();
    Save();
}

void CListeningBar::SetVolume(int percent) {
    m_settings.volume = std::clamp(percent, 0, 100);
    if (m_pVolume && m_pVolume->GetValue() != m_settings.volume)
        m_pVolume->SetValue(m_settings.volume);
    // Turning the sound up is the end of silence.
    if (m_settings.muted && m_settings.volume > 0) SetMuted(false);
    ApplyVolume();
    Save();
}

void CListeningBar::SetMuted(bool muted) {
    m_settings.muted = muted;
    if (m_pSound) m_pSound->SetValue(muted);
    ApplyVolume();
    Save();
}

void CListeningBar::SetSleepAfterTitles(int titles) {
    m_sleep.AfterTitles(titles);
    ShowSleepState();
}

void CListeningBar::SetSleepAfterMinutes(int minutes) {
    m_sleep.AfterMinutes(minutes, NowMs());
    ShowSleepState();
    if (m_sleep.IsSet()) m_timer.Start(kTickMs);
}

void CListeningBar::SetSleepOff() {
    m_sleep.Off();
    ShowSleepState();
}

void CListeningBar::ShowSleepState() {
    if (!m_pSleepButton) return;
    if (m_pSleepButton->GetValue() != m_sleep.IsSet()) m_pSleepButton->SetValue(m_sleep.IsSet());
    const wxString tip = wxString::FromUTF8(m_sleep.Describe(NowMs()));
    if (m_pSleepButton->GetToolTipText() != tip) m_pSleepButton->SetToolTip(tip);
}

void CListeningBar::OnNextButton(wxCommandEvent&) {
    SetStraightThrough(m_pNext->GetValue());
}

void CListeningBar::OnSoundButton(wxCommandEvent&) {
    SetMuted(m_pSound->GetValue());
}

void CListeningBar::OnVolumeSlider(wxCommandEvent&) {
    // Heard at once while dragging; written once the drag ends.
    m_settings.volume = m_pVolume->GetValue();
    if (m_settings.muted && m_settings.volume > 0) {
        m_settings.muted = false;
        m_pSound->SetValue(false);
    }
    ApplyVolume();
}

void CListeningBar::OnVolumeDone(wxScrollEvent& event) {
    event.Skip();
    Save();
}

void CListeningBar::OnSleepButton(wxCommandEvent&) {
    wxMenu menu;
    menu.AppendRadioItem(kSleepOff, wxString::FromUTF8("不定时"));
    menu.AppendRadioItem(kSleepAfter1, wxString::FromUTF8("听完这一个就睡觉"));
    menu.AppendRadioItem(kSleepAfter2, wxString::FromUTF8("听完 2 个就睡觉"));
    menu.AppendRadioItem(kSleepAfter3, wxString::FromUTF8("听完 3 个就睡觉"));
    menu.AppendRadioItem(kSleep15, wxString::FromUTF8("15 分钟后睡觉"));
    menu.AppendRadioItem(kSleep30, wxString::FromUTF8("30 分钟后睡觉"));
    menu.Check(m_sleep.IsSet() && m_nSleepChoice ? m_nSleepChoice : int(kSleepOff), true);
    menu.Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
        m_nSleepChoice = event.GetId();
        switch (event.GetId()) {
            case kSleepAfter1:
                SetSleepAfterTitles(1);
                break;
            case kSleepAfter2:
                SetSleepAfterTitles(2);
                break;
            case kSleepAfter3:
                SetSleepAfterTitles(3);
                break;
            case kSleep15:
                SetSleepAfterMinutes(15);
                break;
            case kSleep30:
                SetSleepAfterMinutes(30);
                break;
            default:
                SetSleepOff();
                break;
        }
    });
    m_pPlayer->PopupMenu(&menu, m_pSleepButton->GetPosition());
}
