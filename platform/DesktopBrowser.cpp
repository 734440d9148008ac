#include "platform/DesktopBrowser.h"

#include <wx/utils.h>

#include "platform/WebAddress.h"

namespace zorbel {

bool OpenInDesktopBrowser(const std::string& address) {
    if (!IsWebAddress(address)) return false;
    return wxLaunchDefaultBrowser(wxString::FromUTF8(address));
}

}  // namespace zorbel
