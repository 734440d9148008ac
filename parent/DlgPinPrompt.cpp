#include "parent/DlgPinPrompt.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include "parent/PinStore.h"

namespace {
CDlgPinPrompt::Hook& PromptHook() {
    static CDlgPinPrompt::Hook hook;
    return hook;
}
}  // namespace

CDlgPinPrompt::CDlgPinPrompt(wxWindow* owner, const std::string& text)
    : wxDialog(owner, wxID_ANY, wxString::FromUTF8(kCaption)) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(text)), 0, wxALL, 12);
    wxTextValidator digits(wxFILTER_DIGITS);
    m_edit = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxSize(160, -1),
                            wxTE_PASSWORD | wxTE_PROCESS_ENTER, digits);
    m_edit->SetMaxLength(zorbel::parent::PinStore::kMaxDigits);
    column->Add(m_edit, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER_HORIZONTAL, 12);
    auto* buttons = new wxStdDialogButtonSizer();
    buttons->AddButton(new wxButton(this, wxID_OK, wxString::FromUTF8("确定")));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, wxString::FromUTF8("取消")));
    buttons->Realize();
    column->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 12);
    SetSizerAndFit(column);
    m_edit->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { EndModal(wxID_OK); });
    m_edit->SetFocus();
    CentreOnParent();
}

void CDlgPinPrompt::SetHook(Hook hook) {
    PromptHook() = std::move(hook);
}

std::optional<std::string> CDlgPinPrompt::Ask(wxWindow* owner, const std::string& text) {
    if (PromptHook()) return PromptHook()(owner, text);
    CDlgPinPrompt dialog(owner, text);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return std::string(dialog.PinEdit()->GetValue().utf8_str());
}
