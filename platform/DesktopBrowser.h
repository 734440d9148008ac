#pragma once

#include <string>

namespace zorbel {

// Opens a web address in the desktop's browser; anything but an http or https address is
// refused (false), as is an address the desktop could not open.
bool OpenInDesktopBrowser(const std::string& address);

}  // namespace zorbel
