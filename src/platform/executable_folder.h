#pragma once

#include <string>

namespace korrin::platform {

// The folder of the running executable, symbolic links resolved, with one separator at its end:
// the program folder, where the definition files lie. Empty when the system cannot tell.
std::string ExecutableFolder();

}  // namespace korrin::platform
