#pragma once

#include <array>

#include <wx/dialog.h>

class wxButton;
class wxCheckBox;
class wxSpinCtrl;
class wxTextCtrl;

// The parent's own page, reached from the settings dialog: set, change or remove the PIN
// (typed twice) and the daily play allowance (minutes per weekday, bedtime, how long a song
// or story may finish). The PIN buttons take effect at once; OK stores the allowance. While
// a PIN is set it also opens the week's play.
class CDlgParentSettings : public wxDialog {
public:
    enum ControlId {
        kIdPin = 2101,
        kIdPinAgain,
        kIdSetPin,
        kIdRemovePin,
        kIdBedtime,
        kIdBedtimeStart,
        kIdBedtimeEnd,
        kIdGrace,
        kIdGrant,
        kIdWeek,
        kIdMinutesSunday,  // then one per weekday, Sunday first
    };
    static constexpr const char* kCaption = "家长设置";
    static constexpr const char* kMismatchText = "两次输入的密码不一样哦，请再输一次吧！";
    static constexpr const char* kBadPinText = "密码要用 4 到 8 位数字哦！";
    static constexpr const char* kPinSetText = "家长密码设置好啦！请爸爸妈妈记牢哦～";
    static constexpr const char* kPinRemovedText = "家长密码已经取消啦。";
    static constexpr const char* kWriteFailedText = "哎呀，家长设置没能保存，请再试一次吧！";

    explicit CDlgParentSettings(wxWindow* parent);

private:
    void OnSetPin(wxCommandEvent& event);
    void OnRemovePin(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnWeek(wxCommandEvent& event);
    void LoadAllowance();
    void UpdatePinButtons();

    wxTextCtrl* m_pin = nullptr;
    wxTextCtrl* m_pinAgain = nullptr;
    wxButton* m_removePin = nullptr;
    wxButton* m_week = nullptr;
    std::array<wxSpinCtrl*, 7> m_minutes{};
    wxCheckBox* m_bedtime = nullptr;
    wxTextCtrl* m_bedtimeStart = nullptr;
    wxTextCtrl* m_bedtimeEnd = nullptr;
    wxSpinCtrl* m_grace = nullptr;
    wxSpinCtrl* m_grant = nullptr;

    wxDECLARE_EVENT_TABLE();
};
