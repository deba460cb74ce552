#pragma once

// Where the running program lies: its folder holds the definition files, and its own file is
// the one that no update may delete or overwrite. Found once, here, for every front end.

#include <string>

namespace korrin::platform {

struct ProgramFile {
    std::string folder;  // with one separator at its end; empty when the system cannot tell
    std::string name;    // the file's name without folder
};

// The running executable, symbolic links resolved.
ProgramFile OwnProgramFile();

}  // namespace korrin::platform
