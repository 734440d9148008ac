#pragma once

#include <string>

namespace zorbel::catalogbuild {

// Why a title name cannot be used, or the empty string when it can. A title name becomes a file
// name in the cache folder, a path on the content server and a LIKE pattern in the program's
// SQL (placed there unescaped), so it is kept to plain text.
std::string TitleNameProblem(const std::string& name);

}  // namespace zorbel::catalogbuild
