#pragma once

#include <string>

namespace zorbel {

// Whether an address may go to the desktop's web browser: an http or https address with a
// host. Pages and the advertisement list come from outside; a "file:", "javascript:" or
// "smb:" link, or a bare command, must not reach the desktop's opener.
bool IsWebAddress(const std::string& address);

// A page address as the catalog holds it, made whole against a web site's base address
// (without the trailing '/'): an address that names its scheme ("http:", "https:", ...) stays
// as it is, "//host/page" takes the base's scheme, and a path ("/cartoons/a.html" or
// "cartoons/a.html") lies on the base. So a catalog of paths follows the configured site. The
// empty address stays empty.
std::string ResolveSiteAddress(const std::string& address, const std::string& base);

}  // namespace zorbel
