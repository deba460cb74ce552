#pragma once

// The standard streams of a command-line program, as the platform has them.

namespace korrin::platform {

// Makes the standard streams carry bytes as written: no CR put before each LF, and text shown
// on a console read as UTF-8. Called once, before anything is written.
void UsePlainStandardStreams();

// True when standard output is a terminal or console that shows ANSI colour escapes: not a
// pipe, not a file, not a terminal that says it is dumb. A Windows console is asked to take
// them, which consoles since Windows 10 do.
bool StandardOutputTakesColour();

}  // namespace korrin::platform
