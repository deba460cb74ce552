#pragma once

#include <string>

namespace korrin::platform {

// The path of the running executable, symbolic links resolved. Empty when the system cannot
// tell.
std::string ExecutablePath();

// The folder of the running executable, symbolic links resolved, with one separator at its end:
// the program folder, where the definition files lie. Empty when the system cannot tell.
std::string ExecutableFolder();

}  // namespace korrin::platform
