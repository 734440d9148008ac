#include "parent/DlgParentSettings.h"

#include <cstdio>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include "parent/AllowanceRules.h"
#include "parent/DlgPlayWeek.h"
#include "parent/ParentGate.h"
#include "parent/ParentSettingsFile.h"
#include "parent/PinStore.h"
#include "parent/PlayDiary.h"
#include "parent/SystemClock.h"
#include "platform/MessageBox.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgParentSettings, wxDialog)
    EVT_BUTTON (CDlgParentSettings::kIdSetPin,    CDlgParentSettings::OnSetPin)
    EVT_BUTTON (CDlgParentSettings::kIdRemovePin, CDlgParentSettings::OnRemovePin)
    EVT_BUTTON (CDlgParentSettings::kIdWeek,      CDlgParentSettings::OnWeek)
    EVT_BUTTON (wxID_OK,                          CDlgParentSettings::OnOK)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
using zorbel::parent::AllowanceRules;

wxString Utf8(const char* text) {
    return wxString::FromUTF8(text);
}

std::string ClockText(int minuteOfDay) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60 % 24, minuteOfDay % 60);
    return text;
}

// "21:00" or "21" into minutes of the day; -1 when it is no time.
int ParseClock(const std::string& text) {
    int hours = 0, minutes = 0;
    char extra = 0;
    const int n = std::sscanf(text.c_str(), "%d:%d%c", &hours, &minutes, &extra);
    if (n < 1 || n > 2 || hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return -1;
    return hours * 60 + minutes;
}

void Tell(wxWindow* owner, const char* text) {
    zorbel::AppMessageBox(owner, text, zorbel::parent::ParentGate::kCaption,
                          zorbel::kMbIconInformation);
}
}  // namespace

CDlgParentSettings::CDlgParentSettings(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Utf8(kCaption)) {
    auto* column = new wxBoxSizer(wxVERTICAL);

    auto* pinBox = new wxStaticBoxSizer(wxVERTICAL, this, Utf8("家长密码（4 到 8 位数字）"));
    auto* pinGrid = new wxFlexGridSizer(2, 6, 6);
    wxTextValidator digits(wxFILTER_DIGITS);
    m_pin = new wxTextCtrl(this, kIdPin, wxString(), wxDefaultPosition, wxSize(120, -1),
                           wxTE_PASSWORD, digits);
    m_pinAgain = new wxTextCtrl(this, kIdPinAgain, wxString(), wxDefaultPosition, wxSize(120, -1),
                                wxTE_PASSWORD, digits);
    pinGrid->Add(new wxStaticText(this, wxID_ANY, Utf8("新密码：")), 0, wxALIGN_CENTER_VERTICAL);
    pinGrid->Add(m_pin);
    pinGrid->Add(new wxStaticText(this, wxID_ANY, Utf8("再输一次：")), 0, wxALIGN_CENTER_VERTICAL);
    pinGrid->Add(m_pinAgain);
    pinBox->Add(pinGrid, 0, wxALL, 6);
    auto* pinButtons = new wxBoxSizer(wxHORIZONTAL);
    pinButtons->Add(new wxButton(this, kIdSetPin, Utf8("设置密码")));
    m_removePin = new wxButton(this, kIdRemovePin, Utf8("取消密码"));
    pinButtons->Add(m_removePin, 0, wxLEFT, 6);
    pinBox->Add(pinButtons, 0, wxALL, 6);
    column->Add(pinBox, 0, wxEXPAND | wxALL, 10);

    auto* playBox =
        new wxStaticBoxSizer(wxVERTICAL, this, Utf8("每天可以玩多久（分钟，0 为不限）"));
    auto* days = new wxFlexGridSizer(7, 4, 6);
    static const char* const kDayNames[7] = {"日", "一", "二", "三", "四", "五", "六"};
    for (const char* name : kDayNames)
        days->Add(new wxStaticText(this, wxID_ANY, Utf8(name)), 0, wxALIGN_CENTER);
    for (int day = 0; day < 7; ++day) {
        m_minutes[day] = new wxSpinCtrl(this, kIdMinutesSunday + day, wxString(), wxDefaultPosition,
                                        wxSize(80, -1), wxSP_ARROW_KEYS, 0, 600, 0);
        days->Add(m_minutes[day]);
    }
    playBox->Add(days, 0, wxALL, 6);
    auto* bedRow = new wxBoxSizer(wxHORIZONTAL);
    m_bedtime = new wxCheckBox(this, kIdBedtime, Utf8("睡觉时间不能玩："));
    m_bedtimeStart =
        new wxTextCtrl(this, kIdBedtimeStart, "21:00", wxDefaultPosition, wxSize(60, -1));
    m_bedtimeEnd = new wxTextCtrl(this, kIdBedtimeEnd, "07:00", wxDefaultPosition, wxSize(60, -1));
    bedRow->Add(m_bedtime, 0, wxALIGN_CENTER_VERTICAL);
    bedRow->Add(m_bedtimeStart, 0, wxLEFT, 4);
    bedRow->Add(new wxStaticText(this, wxID_ANY, Utf8(" 到 ")), 0, wxALIGN_CENTER_VERTICAL);
    bedRow->Add(m_bedtimeEnd);
    playBox->Add(bedRow, 0, wxALL, 6);
    auto* graceRow = new wxBoxSizer(wxHORIZONTAL);
    graceRow->Add(
        new wxStaticText(this, wxID_ANY, Utf8("时间到了，正在播的儿歌故事最多再播（分钟）：")), 0,
        wxALIGN_CENTER_VERTICAL);
    m_grace = new wxSpinCtrl(this, kIdGrace, wxString(), wxDefaultPosition, wxSize(80, -1),
                             wxSP_ARROW_KEYS, 0, 60, 0);
    graceRow->Add(m_grace, 0, wxLEFT, 4);
    playBox->Add(graceRow, 0, wxALL, 6);
    auto* grantRow = new wxBoxSizer(wxHORIZONTAL);
    grantRow->Add(new wxStaticText(this, wxID_ANY, Utf8("时间到了，输入密码可以再玩（分钟）：")), 0,
                  wxALIGN_CENTER_VERTICAL);
    m_grant = new wxSpinCtrl(this, kIdGrant, wxString(), wxDefaultPosition, wxSize(80, -1),
                             wxSP_ARROW_KEYS, 1, 240, AllowanceRules::kDefaultGrantMinutes);
    grantRow->Add(m_grant, 0, wxLEFT, 4);
    playBox->Add(grantRow, 0, wxALL, 6);
    playBox->Add(new wxStaticText(this, wxID_ANY, Utf8("设置了家长密码才会计时哦。")), 0, wxALL, 6);
    column->Add(playBox, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    m_week = new wxButton(this, kIdWeek, Utf8("看看这一周玩了什么"));
    column->Add(m_week, 0, wxLEFT | wxRIGHT | wxTOP, 10);

    auto* buttons = new wxStdDialogButtonSizer();
    buttons->AddButton(new wxButton(this, wxID_OK, Utf8("确定")));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, Utf8("取消")));
    buttons->Realize();
    column->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 10);
    SetSizerAndFit(column);

    LoadAllowance();
    UpdatePinButtons();
    CentreOnParent();
}

void CDlgParentSettings::LoadAllowance() {
    zorbel::parent::ParentSettingsFile file(zorbel::parent::ParentGate::SettingsPath());
    file.Load();
    const AllowanceRules rules = AllowanceRules::Read(file);
    for (int day = 0; day < 7; ++day)
        m_minutes[day]->SetValue(std::max(0, rules.minutesPerDay[day]));
    m_bedtime->SetValue(rules.HasBedtime());
    if (rules.HasBedtime()) {
        m_bedtimeStart->ChangeValue(ClockText(rules.bedtimeStart));
        m_bedtimeEnd->ChangeValue(ClockText(rules.bedtimeEnd));
    }
    m_grace->SetValue(rules.graceMinutes);
    m_grant->SetValue(rules.grantMinutes);
}

void CDlgParentSettings::UpdatePinButtons() {
    const bool pinSet = zorbel::parent::ParentGate::PinIsSet();
    m_removePin->Enable(pinSet);
    m_week->Enable(pinSet);
}

void CDlgParentSettings::OnWeek(wxCommandEvent&) {
    zorbel::parent::SystemClock clock;
    const std::string settings = zorbel::parent::ParentGate::SettingsPath();
    CDlgPlayWeek week(this, zorbel::parent::PlayDiary::PathBeside(settings),
                      zorbel::parent::PlayDiary::LocalDay(clock.WallSeconds()));
    week.ShowModal();
}

void CDlgParentSettings::OnSetPin(wxCommandEvent&) {
    const std::string pin(m_pin->GetValue().utf8_str());
    const std::string again(m_pinAgain->GetValue().utf8_str());
    m_pin->ChangeValue(wxString());
    m_pinAgain->ChangeValue(wxString());
    if (pin != again) return Tell(this, kMismatchText);
    if (!zorbel::parent::PinStore::IsValidPin(pin)) return Tell(this, kBadPinText);
    zorbel::parent::SystemClock clock;
    zorbel::parent::PinStore store(zorbel::parent::ParentGate::SettingsPath(), clock);
    switch (store.SetPin(pin)) {
        case zorbel::parent::PinChange::kOk:
            Tell(this, kPinSetText);
            break;
        case zorbel::parent::PinChange::kBadFormat:
            Tell(this, kBadPinText);
            break;
        default:
            Tell(this, kWriteFailedText);
            break;
    }
    UpdatePinButtons();
}

void CDlgParentSettings::OnRemovePin(wxCommandEvent&) {
    zorbel::parent::SystemClock clock;
    zorbel::parent::PinStore store(zorbel::parent::ParentGate::SettingsPath(), clock);
    Tell(this, store.RemovePin() ? kPinRemovedText : kWriteFailedText);
    UpdatePinButtons();
}

void CDlgParentSettings::OnOK(wxCommandEvent&) {
    AllowanceRules rules;
    for (int day = 0; day < 7; ++day) {
        const int minutes = m_minutes[day]->GetValue();
        rules.minutesPerDay[day] = minutes > 0 ? minutes : AllowanceRules::kNoLimit;
    }
    if (m_bedtime->GetValue()) {
        rules.bedtimeStart = ParseClock(std::string(m_bedtimeStart->GetValue().utf8_str()));
        rules.bedtimeEnd = ParseClock(std::string(m_bedtimeEnd->GetValue().utf8_str()));
    }
    rules.graceMinutes = m_grace->GetValue();
    rules.grantMinutes = m_grant->GetValue();
    zorbel::parent::ParentSettingsFile file(zorbel::parent::ParentGate::SettingsPath());
    if (!file.Load()) return Tell(this, kWriteFailedText);
    rules.Write(file);
    if (!file.Save()) return Tell(this, kWriteFailedText);
    EndModal(wxID_OK);
}
