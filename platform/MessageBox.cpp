#include "platform/MessageBox.h"

#include <wx/msgdlg.h>
#include <wx/window.h>

namespace zorbel {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

long ToWxStyle(long style) {
    long wx = 0;
    switch (style & kMbButtonMask) {
        case kMbYesNo:
            wx |= wxYES_NO;
            if ((style & kMbDefMask) == kMbDefButton2) wx |= wxNO_DEFAULT;
            break;
        case kMbOkCancel:
            wx |= wxOK | wxCANCEL;
            if ((style & kMbDefMask) == kMbDefButton2) wx |= wxCANCEL_DEFAULT;
            break;
        default:
            wx |= wxOK;
            break;
    }
    switch (style & kMbIconMask) {
        case kMbIconError:
            wx |= wxICON_ERROR;
            break;
        case kMbIconQuestion:
            wx |= wxICON_QUESTION;
            break;
        case kMbIconWarning:
            wx |= wxICON_WARNING;
            break;
        case kMbIconInformation:
            wx |= wxICON_INFORMATION;
            break;
        default:
            wx |= wxICON_NONE;
            break;
    }
    return wx;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

int AppMessageBox(wxWindow* owner, const std::string& text, const std::string& caption,
                  long style) {
    if (Hook()) return Hook()(owner, text, caption, style);

    wxMessageDialog dialog(owner, wxString::FromUTF8(text), wxString::FromUTF8(caption),
                           ToWxStyle(style));
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
