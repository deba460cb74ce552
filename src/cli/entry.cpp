// The catalogue and the selection, as the window makes them.

#include <algorithm>

#include "cli/cli.h"
#include "common/latin1.h"

namespace korrin::cli {

std::vector<catalogue::CatalogueEntry> LoadCatalogue(const Context& ctx) {
    return catalogue::ScanCatalogue(ctx.fs, ctx.folder);
}

Status SelectEntry(const std::vector<catalogue::CatalogueEntry>& entries,
                   const std::string& argument, Selected* selected) {
    const bool isIndex =
        !argument.empty() &&
        std::all_of(argument.begin(), argument.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (isIndex) {
        // Past any catalogue's size; also keeps the conversion below in range.
        const bool tooLong = argument.size() > 9;
        const std::size_t index = tooLong ? entries.size() : std::stoul(argument);
        if (index < entries.size()) {
            *selected = {index, entries[index]};
            return Status::Ok();
        }
        if (entries.empty())
            return Status::Failed("no entry " + argument + ": the catalogue is empty");
        return Status::Failed("no entry " + argument + ": the catalogue has entries 0 to " +
                              std::to_string(entries.size() - 1));
    }
    // Titles are one byte per character; the command line speaks UTF-8.
    const std::string title = Utf8ToLatin1(argument);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].title == title) {
            *selected = {i, entries[i]};
            return Status::Ok();
        }
    }
    return Status::Failed("no entry is titled \"" + argument +
                          "\"; 'korrin-patch list' shows them");
}

catalogue::DefinitionView ReadEntryDefinition(const Context& ctx,
                                              const catalogue::CatalogueEntry& entry) {
    return catalogue::ReadEntryDefinition(ctx.fs, ctx.folder, entry.text());
}

}  // namespace korrin::cli
