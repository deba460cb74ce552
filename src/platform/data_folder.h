#pragma once

#include <string>

namespace korrin::platform {

// The user's own folder for data that a program keeps between runs, with one separator at its
// end: $XDG_DATA_HOME, or ~/.local/share where that is unset or not absolute. Empty when
// neither can be told. On Windows: the local application data folder.
std::string UserDataFolder();

}  // namespace korrin::platform
