#include "parent/PlayTimeWatch.h"

#include "parent/ParentGate.h"
#include "parent/PlayAllowance.h"
#include "parent/PlayDiary.h"
#include "parent/PlayTimePanel.h"

using zorbel::parent::AllowanceNotice;

CPlayTimeWatch::CPlayTimeWatch(wxWindow* player, Probe probe)
    : m_player(player), m_probe(std::move(probe)), m_timer(this) {
    m_lastInput = m_clock.SteadyMillis();
    m_panel = new CPlayTimePanel(player, [this] {
        if (m_allowance && zorbel::parent::ParentGate::Allow(m_player, "加时间"))
            Grant(m_allowance->Rules().grantMinutes);
    });
    Bind(wxEVT_TIMER, &CPlayTimeWatch::OnTimer, this);
    m_timer.Start(kTickMillis);
}

CPlayTimeWatch::~CPlayTimeWatch() {
    m_timer.Stop();
}

void CPlayTimeWatch::NoteInput() {
    m_lastInput = m_clock.SteadyMillis();
}

void CPlayTimeWatch::Grant(int minutes) {
    if (m_allowance) m_allowance->Grant(minutes);
    m_panel->HideAll();
}

void CPlayTimeWatch::Place() {
    if (m_panel->CurrentMode() != CPlayTimePanel::Mode::kHidden) m_panel->Place();
}

void CPlayTimeWatch::OnTimer(wxTimerEvent&) {
    Check();
}

void CPlayTimeWatch::Check() {
    if (!zorbel::parent::ParentGate::PinIsSet()) {
        m_allowance.reset();
        m_diary.reset();
        if (m_panel->CurrentMode() != CPlayTimePanel::Mode::kHidden) m_panel->HideAll();
        return;
    }
    if (!m_allowance) {
        const std::string settings = zorbel::parent::ParentGate::SettingsPath();
        m_allowance = std::make_unique<zorbel::parent::PlayAllowance>(settings, m_clock);
        m_diary = std::make_unique<zorbel::parent::PlayDiary>(
            zorbel::parent::PlayDiary::PathBeside(settings));
    } else {
        m_allowance->ReloadRules();
    }

    zorbel::parent::PlayActivity activity = m_probe.activity();
    activity.millisSinceInput = m_clock.SteadyMillis() - m_lastInput;
    const AllowanceNotice notice = m_allowance->Tick(activity.Counts(), activity.MayFinish());
    if (const std::int64_t counted = m_allowance->LastCountedMillis(); counted > 0) {
        m_diary->Add(m_allowance->Day(), activity.category, activity.title, counted);
        if (m_diary->UnsavedMillis() >= zorbel::parent::PlayAllowance::kSaveEveryMillis)
            m_diary->Flush();
    } else if (m_diary->UnsavedMillis() > 0) {
        m_diary->Flush();  // play paused: a good moment to write it down
    }

    if (m_allowance->IsStopped()) {
        if (activity.playing) m_probe.pause();
        if (m_panel->CurrentMode() != CPlayTimePanel::Mode::kCover ||
            notice != AllowanceNotice::kNone)
            m_panel->ShowCover(notice == AllowanceNotice::kBedtime ? kBedtimeText : kTimeUpText,
                               m_allowance->Rules().grantMinutes);
        else
            m_panel->KeepCovering();
        return;
    }
    if (m_panel->CurrentMode() == CPlayTimePanel::Mode::kCover) m_panel->HideAll();
    if (notice == AllowanceNotice::kFiveMinutesLeft || notice == AllowanceNotice::kOneMinuteLeft) {
        m_panel->ShowNotice(notice == AllowanceNotice::kOneMinuteLeft ? kOneText : kFiveText);
        m_noticeTicks = kNoticeTicks;
    } else if (m_panel->CurrentMode() == CPlayTimePanel::Mode::kNotice && --m_noticeTicks <= 0) {
        m_panel->HideAll();
    }
}
