#pragma once

#include <functional>
#include <optional>
#include <string>

#include <wx/dialog.h>

class wxTextCtrl;

// Asks a grown-up for the parent PIN: one masked field, OK and Cancel. Ask() returns the
// digits typed, or nothing when the prompt was cancelled. A hook replaces the real dialog
// (tests), as the message box hook does.
class CDlgPinPrompt : public wxDialog {
public:
    static constexpr const char* kCaption = "爸爸妈妈请输入密码";

    CDlgPinPrompt(wxWindow* owner, const std::string& text);

    using Hook =
        std::function<std::optional<std::string>(wxWindow* owner, const std::string& text)>;
    static void SetHook(Hook hook);
    static std::optional<std::string> Ask(wxWindow* owner, const std::string& text);

    wxTextCtrl* PinEdit() const { return m_edit; }

private:
    wxTextCtrl* m_edit = nullptr;
};
