#pragma once

#include <string>

namespace zorbel {

// The user's home folder: $HOME when it is an absolute path, else the password database's
// entry; empty when neither gives one.
std::string HomeFolder();

}  // namespace zorbel
