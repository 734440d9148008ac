#pragma once

#include <string>

namespace zorbel {

// The user's home folder: $HOME when it is an absolute path, else the password database's
// entry; empty when neither gives one.
std::string HomeFolder();

// The base folder of the user's configuration files, without a trailing '/':
// $XDG_CONFIG_HOME when it is an absolute path (a relative one is ignored, as the base
// directory rules say), else ~/.config; empty when there is no home folder either.
std::string ConfigHome();

}  // namespace zorbel
