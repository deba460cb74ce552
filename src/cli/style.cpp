#include "cli/style.h"

#include <cstdlib>

#include "platform/console.h"

namespace korrin::cli {

bool Style::ForStandardOutput() {
    if (!platform::StandardOutputTakesColour()) return false;
    const char* noColour = std::getenv("NO_COLOR");
    return noColour == nullptr || *noColour == '\0';
}

}  // namespace korrin::cli
