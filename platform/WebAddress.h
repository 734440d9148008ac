#pragma once

#include <string>

namespace zorbel {

// Whether an address may go to the desktop's web browser: an http or https address with a
// host. Pages and the advertisement list come from outside; a "file:", "javascript:" or
// "smb:" link, or a bare command, must not reach the desktop's opener.
bool IsWebAddress(const std::string& address);

}  // namespace zorbel
