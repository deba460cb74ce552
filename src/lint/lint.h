#pragma once

// Finds in definition files what the window passes over without a word or reads other than its
// author meant: the format itself is never validated, so a typo only shows as a patch that does
// nothing, or fails, at Apply.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace korrin::lint {

struct LintFinding {
    // Counted from 1 as an editor counts lines (LF, CR LF and a lone CR each end one), since
    // that is where the author will look; 0 when the finding is about the file as a whole.
    int line = 0;
    std::string code;     // a stable, short name of the kind of finding, for scripts
    std::string message;  // one sentence, the definition's own text quoted as written
};

// Findings for one definition file, given its name without folder (the catalogue links titles
// to it) and its whole contents, in the order of the lines they are about.
std::vector<LintFinding> LintDefinition(std::string_view fileName, std::string_view contents);

struct FileLint {
    std::string fileName;
    std::vector<LintFinding> findings;
};

// Every definition file of folder (which ends in a separator), in catalogue order; files without
// findings are included, so that a caller can tell what was read.
std::vector<FileLint> LintFolder(platform::FileSystem& fs, const std::string& folder);

}  // namespace korrin::lint
