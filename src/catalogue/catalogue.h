#pragma once

// The patch catalogue: one entry per "patch:" line of the definition files in the program folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/definition.h"
#include "platform/file_system.h"

namespace korrin::catalogue {

// An entry's text is the title, this run of 100 blanks, then the file name: the list is narrower
// than the run, so users see the title while the entry still names its file.
inline const std::string kEntryLink(100, ' ');

struct CatalogueEntry {
    std::string title;
    std::string fileName;  // without folder

    std::string text() const { return title + kEntryLink + fileName; }
};

// The file name that an entry's text names: everything after the first run of 100 blanks.
// None when the text holds no such run. A title that ends in a blank yields a wrong name.
std::optional<std::string> FileNameFromEntry(std::string_view entryText);

// Names of the definition files in folder: plain, not hidden, ending in ".pat" in any letter
// case. Sorted by name without regard to case, ties by the exact bytes, so the order is the same
// on every file system.
std::vector<std::string> ListDefinitionFiles(platform::FileSystem& fs, const std::string& folder);

// The catalogue of folder (which ends in a separator), in listing order and, within a file, in
// line order. A file that cannot be read is passed over.
std::vector<CatalogueEntry> ScanCatalogue(platform::FileSystem& fs, const std::string& folder);

// The definition that an entry's text (one byte per character) names, read from folder: the one
// path from a selected entry to what Apply works from, for every front end. An entry that names
// no file gives a view with that problem.
DefinitionView ReadEntryDefinition(platform::FileSystem& fs, const std::string& folder,
                                   std::string_view entryText);

}  // namespace korrin::catalogue
