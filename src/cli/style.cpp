#include "cli/style.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace korrin::cli {

bool Style::ForStandardOutput() {
    if (::isatty(STDOUT_FILENO) == 0) return false;
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour != nullptr && *noColour != '\0') return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

}  // namespace korrin::cli
