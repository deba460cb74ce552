#pragma once

// The update script: the line commands of a description file, which create, fill and delete files
// in the program folder and gather the text shown on the update tab.
//
// A line is a command when it is "open description" or "close" exactly, or begins with "kill " or
// "open " followed by a name; letter case and blanks count. Any other line is a text line: written
// to the open output file (empty lines left out) or shown in the description ("||" left out).

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace korrin::update {

struct ScriptResult {
    std::string description;  // each shown line followed by CR LF
    // Steps that were refused or failed, one line each, for a log or a command line. The
    // script goes on after each of them, as it always has.
    std::vector<std::string> notes;
};

// Runs script (one byte per character, lines ending at CR LF or a lone CR) against
// programFolder, which ends in a separator. Names are plain file names in that folder, matched
// against existing files without regard to case: "open" replaces a file of the same name in
// another letter case, and "kill" deletes every plain file whose name matches, with * and ? as
// wildcards. A name that could leave the folder or that Windows forbids in a file name is refused,
// and no command deletes or overwrites ownExecutableName, the program's own file.
ScriptResult RunScript(platform::FileSystem& fs, const std::string& programFolder,
                       std::string_view script, std::string_view ownExecutableName);

}  // namespace korrin::update
