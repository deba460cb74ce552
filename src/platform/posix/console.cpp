#include "platform/console.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace korrin::platform {

void UsePlainStandardStreams() {}

bool StandardOutputTakesColour() {
    if (::isatty(STDOUT_FILENO) == 0) return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

}  // namespace korrin::platform
