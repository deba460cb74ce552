#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace korrin::platform {

void UsePlainStandardStreams() {
    // Output is the same bytes as elsewhere, so that scripts and files see LF line ends.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // Arguments arrive as UTF-8 through the program's manifest; a console shows the output so.
    ::SetConsoleOutputCP(CP_UTF8);
}

bool StandardOutputTakesColour() {
    // Only a console has a mode; a pipe or a file has none. An older console that cannot take
    // escapes refuses the mode that turns them on.
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out == INVALID_HANDLE_VALUE || !::GetConsoleMode(out, &mode)) return false;
    return ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace korrin::platform
