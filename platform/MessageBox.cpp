#include "platform/MessageBox.h"

#include "platform/MessageBoxDlg.h"

namespace zorbel {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

int AppMessageBox(wxWindow* owner, const std::string& text, const std::string& caption,
                  long style) {
    if (Hook()) return Hook()(owner, text, caption, style);

    // Our own box rather than the toolkit's: GTK's shows no icon and labels its buttons in
    // English under any locale.
    CMessageBoxDlg dialog(owner, wxString::FromUTF8(text), wxString::FromUTF8(caption), style);
    switch (dialog.ShowModal()) {
        case wxID_YES:
            return kIdYes;
        case wxID_NO:
            return kIdNo;
        case wxID_CANCEL:
            return kIdCancel;
        default:
            return kIdOk;
    }
}

}  // namespace zorbel
