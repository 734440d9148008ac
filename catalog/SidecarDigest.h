#pragma once

#include <string>

namespace zorbel::catalog {

// The digest in a "<title address>.sha256" file beside a title on the content server, as 64
// hex digits; empty when there is none (any status but 200, an internet error, a text that
// is not a digest).
std::string FetchSidecarDigest(const std::string& url, long timeoutSeconds);

}  // namespace zorbel::catalog
